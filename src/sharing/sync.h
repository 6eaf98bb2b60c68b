// What the four transactions do with the project's files: the preparation
// and completion of every step (version list, change list, packs), applying
// an update with its conflicts, and the list after a commit. The worker
// runs these on its own copy of the shared-file list; the caller takes the
// resulting list once the transaction has ended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sharing/file_info.h"
#include "sharing/transaction.h"
#include "sharing/version_list.h"

namespace tarvolin::sharing {

inline constexpr std::string_view kPackFile = "~filepack.tmp";
inline constexpr std::string_view kProjectInfoFile = "~project_info.txt";
inline constexpr std::string_view kUpdateFolder = "~temp";
inline constexpr std::string_view kNoChanges = "No hay archivos con cambios o que necesitan depositarse";

// A file changed both here and on the server: the server's copy waits in
// the update folder until the user merges it.
struct Conflict {
  std::string name;
  std::int32_t version = 0;
  bool operator==(const Conflict&) const = default;
};

struct UpdateResult {
  int updated = 0;                    // lines received less the files found equal
  std::vector<Conflict> conflicts;
  std::vector<std::string> reloaded;  // local paths replaced by the server's copy
};

// Applies a received update: "~ProjectVersion.txt" in `folder` names the
// files, their new copies wait in `folder`/~temp. Files unchanged here are
// replaced, files changed on both sides become conflicts, files equal on
// both sides only take the new version. `list` becomes the new list only on
// success; a failure leaves the files already copied and the list as it was.
bool applyUpdate(const std::string& folder, FileInfoList& list, UpdateResult& result,
                 std::string& error);

// The list after a commit: one entry per 'V' line of the received
// "~ProjectVersion.txt", with the local file's current time. False when a
// file's time cannot be read or a name is not a project file name.
bool listFromCommitResult(const std::string& folder, FileInfoList& list);

class ProjectSync : public StepHooks {
 public:
  ProjectSync(std::string folder, FileInfoList list, bool excludeCvs);

  std::string projectFolder() const override { return folder_; }
  StepResult prepare(Step step, StepContext& ctx) override;
  bool unpack(Step step, const std::string& packPath, const std::string& destination,
              std::string& error) override;
  StepResult complete(Step step, StepContext& ctx) override;

  // Results, once the transaction has ended.
  const FileInfoList& list() const { return list_; }
  bool listChanged() const { return listChanged_; }
  const UpdateResult& update() const { return update_; }
  bool updateApplied() const { return updateApplied_; }
  const std::string& projectInfo() const { return info_; }
  std::string updateFolder() const;

 private:
  std::string path(std::string_view name) const;
  bool writeVersionList(const std::vector<VersionLine>& lines) const;

  std::string folder_;
  FileInfoList list_;
  bool excludeCvs_;
  ChangeList changes_;
  bool listChanged_ = false;
  bool updateApplied_ = false;
  UpdateResult update_;
  std::string info_;
};

}  // namespace tarvolin::sharing
