// Script documents: the open scripts the interpreter reads its lines from,
// with the editor's breakpoint flags. The studio's editor owns them; the
// command-line tool and tests load them from disk or build them in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace tarvolin::script {

class ScriptDocument {
 public:
  ScriptDocument(std::string name, std::string path, std::vector<std::string> lines);

  // File name as the project stores it ("main.txt") and the file on disk.
  const std::string& name() const { return name_; }
  const std::string& path() const { return path_; }

  int lineCount() const { return static_cast<int>(lines_.size()); }
  // The text of a line; empty for an index outside the document.
  std::string_view line(int index) const;

  // Editing (the editor calls these; a running game sees each change at the
  // next execution of the lines concerned).
  void setLines(std::vector<std::string> lines);
  void insertLines(int at, const std::vector<std::string>& lines);
  void removeLines(int first, int count);
  void setLine(int index, std::string text);

  // Edit revisions. Every change raises `revision()`. A line changed in
  // place records the revision of that change in `lineRevision`; lines
  // inserted, removed or replaced wholesale move the others, which records
  // the change in `structureRevision()`. Revision stamps never repeat, not
  // even across documents, so a reader that remembers the revision it last
  // saw re-reads exactly what changed since: the lines whose revision is
  // newer, or everything when the structure is newer.
  std::uint64_t revision() const { return revision_; }
  std::uint64_t structureRevision() const { return structureRevision_; }
  std::uint64_t lineRevision(int index) const {
    return index >= 0 && index < lineCount() ? lineRevisions_[static_cast<std::size_t>(index)] : 0;
  }

  // Breakpoints. `breakpointCount` lets the interpreter skip the per-line test
  // entirely when no breakpoint is set anywhere.
  bool hasBreakpoint(int index) const;
  void setBreakpoint(int index, bool on);
  int breakpointCount() const { return breakpointCount_; }

 private:
  std::string name_;
  std::string path_;
  std::vector<std::string> lines_;
  std::vector<std::uint8_t> breakpoints_;
  int breakpointCount_ = 0;
  std::uint64_t revision_ = 0;
  std::uint64_t structureRevision_ = 0;
  std::vector<std::uint64_t> lineRevisions_;

  void changedStructure();
};

// A file's bytes as document lines (LF or CR LF; a final line end adds no line).
inline std::vector<std::string> SplitLines(std::string_view bytes) { return splitLines(bytes); }

// The set of open documents. Documents keep their index for as long as they
// are open, so the interpreter can refer to them by index.
class ScriptDocuments {
 public:
  virtual ~ScriptDocuments() = default;

  int count() const { return static_cast<int>(docs_.size()); }
  ScriptDocument& at(int index) { return *docs_[static_cast<std::size_t>(index)]; }
  const ScriptDocument& at(int index) const { return *docs_[static_cast<std::size_t>(index)]; }

  // Index of an open document whose name equals `fileName` ignoring case; -1 when none.
  int find(std::string_view fileName) const;
  // Finds the document or loads it by file name; -1 when it cannot be loaded.
  int findOrLoad(std::string_view fileName);
  // Adds a document and returns its index.
  int add(std::unique_ptr<ScriptDocument> doc);
  // Index of the active document (the one the user is editing); -1 when none.
  int active() const { return active_; }
  void setActive(int index) { active_ = index; }
  // Total breakpoints over all documents.
  int breakpointTotal() const;
  // Closes every document (the project they belong to closed). Indices
  // start again from 0, so the interpreter must forget its scripts.
  void clear() {
    docs_.clear();
    active_ = -1;
  }

 protected:
  // Loads a script by its stored file name; null when it cannot be read.
  virtual std::unique_ptr<ScriptDocument> load(std::string_view fileName) = 0;

 private:
  std::vector<std::unique_ptr<ScriptDocument>> docs_;
  int active_ = -1;
};

// Documents loaded from a project's "Script" folder (names resolved ignoring
// case, "\" accepted in stored names).
class FolderScriptDocuments : public ScriptDocuments {
 public:
  explicit FolderScriptDocuments(std::string folder) : folder_(std::move(folder)) {}
  const std::string& folder() const { return folder_; }
  void setFolder(std::string folder) { folder_ = std::move(folder); }

 protected:
  std::unique_ptr<ScriptDocument> load(std::string_view fileName) override;

 private:
  std::string folder_;
};

// Documents from texts held in memory (tests, benchmarks, tools): `addFile`
// makes a file loadable by name; it is opened when first asked for.
class MemoryScriptDocuments : public ScriptDocuments {
 public:
  void addFile(std::string name, std::string text);

 protected:
  std::unique_ptr<ScriptDocument> load(std::string_view fileName) override;

 private:
  std::vector<std::pair<std::string, std::string>> files_;
};

}  // namespace tarvolin::script
