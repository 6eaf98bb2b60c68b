// Merging a file changed both here and on the server. An outside diff
// program (GNU diffutils' `diff`, found on the PATH, run as `diff -n LOCAL
// SERVER`) gives the edit script of deleted ("d") and added ("a") line
// ranges; the merge turns it into differences the user decides one by one
// (keep the local lines, take the server's, or edit by hand), and the three
// ways out update the file and its entry in the shared-file list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sharing/file_info.h"
#include "sharing/sync.h"

namespace tarvolin::sharing {

inline constexpr std::string_view kDiffNotFound =
    "'Diff' tool not found, or unable to execute - unable to merge";
inline constexpr std::string_view kMergeLoadFailed =
    "Failed on file load or merge - unable to proceed. Keeping local version for now.";
inline constexpr std::string_view kConfirmKeepLocal =
    "Se perderán los cambios en el servidor - ¿estás seguro?";
inline constexpr std::string_view kConfirmTakeServer =
    "Se perderán los cambios locales - ¿estás seguro?";

// One command of a `diff -n` edit script. Lines are 1-based: "d" deletes
// `count` lines of the first file from `line`; "a" adds the `lines` after
// line `line` of the first file.
struct DiffEdit {
  char kind = 'd';
  int line = 0;
  int count = 0;
  std::vector<std::string> lines;
};

// Reads an edit script; false when it is malformed.
bool parseEditScript(std::string_view script, std::vector<DiffEdit>& edits);

// Runs `program a b -n` and returns its output; false when the program
// cannot be run or reports trouble (exit status other than 0 or 1).
bool runDiff(const std::string& program, const std::string& a, const std::string& b,
             std::string& script);

// A text cut into lines, each keeping its own line end, so that joining
// them gives the text back byte for byte.
std::vector<std::string> splitKeepingEnds(std::string_view text);

// Whether bytes look like text (no NUL byte).
bool looksLikeText(std::string_view bytes);

enum class HunkChoice { Local, Server, Edited };

// One difference: local lines [localStart, localStart + localCount) (0-based)
// against the server's lines [serverStart, serverStart + serverCount).
struct MergeHunk {
  int localStart = 0, localCount = 0;
  int serverStart = 0, serverCount = 0;
  HunkChoice choice = HunkChoice::Local;
  std::string edited;  // the text used when the choice is Edited
};

class TextMerge {
 public:
  // Builds the differences from an edit script of local against server.
  // False when the script does not fit the two texts.
  bool build(std::string_view local, std::string_view server, const std::vector<DiffEdit>& edits);

  const std::vector<std::string>& localLines() const { return local_; }
  const std::vector<std::string>& serverLines() const { return server_; }
  std::vector<MergeHunk>& hunks() { return hunks_; }
  const std::vector<MergeHunk>& hunks() const { return hunks_; }

  // The text of one hunk's side.
  std::string localText(const MergeHunk& h) const;
  std::string serverText(const MergeHunk& h) const;
  // The merged text with every hunk as chosen.
  std::string result() const;
  // Where hunk `index` lands in the merged text: its first line (0-based)
  // and how many lines its chosen text has.
  std::pair<int, int> resultSpan(std::size_t index) const;

 private:
  std::vector<std::string> local_;
  std::vector<std::string> server_;
  std::vector<MergeHunk> hunks_;
};

// The three ways out of a conflict. Each updates the conflict's entry (one
// is added when the file was not in the list) and returns false with a
// message when the file cannot be written.
//   keep local: the entry takes the server's version and keeps its old time,
//     so the file still counts as changed and goes out with the next commit;
//   take server: the server's copy replaces the local file;
//   save merged: the merged text replaces the local file; unless it equals
//     the server's copy the file stays counted as changed, so the merge
//     reaches the server with the next commit.
void keepLocalVersion(FileInfoList& list, const Conflict& conflict);
bool takeServerVersion(const std::string& folder, FileInfoList& list, const Conflict& conflict,
                       std::string& error);
bool saveMergedVersion(const std::string& folder, FileInfoList& list, const Conflict& conflict,
                       const std::string& text, std::string& error);

// The two copies of a conflict: the local file and the server's in the
// update folder.
std::string localCopyOf(const std::string& folder, const Conflict& conflict);
std::string serverCopyOf(const std::string& folder, const Conflict& conflict);

}  // namespace tarvolin::sharing
