// Edits of the project's asset lists, and what the project tells observers.
//
// A window never changes an asset list itself: it builds an `Edit` and hands
// it to `Project::apply`, which checks it, performs it, tells every observer
// what changed and returns the edit that undoes it. Applying that one returns
// the redo again, so an undo stack keeps the pair:
//
//   struct AssetCommand : QUndoCommand {
//     Project& project; Edit redo_, undo_;
//     void redo() override { undo_ = project.apply(redo_); }
//     void undo() override { redo_ = project.apply(undo_); }
//   };
//
// The project's modified flag follows the edits: it is clear exactly when the
// lists are as they were when the project was opened or last saved, so
// undoing back to that point clears it again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "project/asset_file.h"

namespace tarvolin::project {

class Project;
struct Resource;
struct Macro;
struct GlobalSet;
struct ArrayDef;
struct StringRecord;
struct FontMap;
struct MotionPath;
struct Level;
struct TileList;

// The asset families, in the order a project reads them.
enum class AssetSlot {
  StringTable, Macros, Resources, GlobalNames, Paths, TileLists, LevelInfo, FontMaps, Arrays,
  Count
};

// What happened to a family.
enum class AssetChangeKind {
  Inserted,  // a record now at `index`
  Removed,   // the record that was at `index`
  Changed,   // the record at `index` holds new values
  Moved,     // the record at `index` is now at `to`
  Reloaded,  // the whole list was replaced (project opened or closed); index -1
};

struct AssetChange {
  AssetSlot family = AssetSlot::Count;
  AssetChangeKind kind = AssetChangeKind::Changed;
  int index = -1;
  int to = -1;  // Moved only
  bool operator==(const AssetChange&) const = default;
};

enum class ProjectEvent {
  Opening,  // a project is being opened; its asset files are read next
  Opened,   // it is open, its lists read
  Closed,   // the project was closed or left for another; the lists are empty
};

// Told on the GUI thread, inside the operation: record, schedule a repaint,
// never block and never apply another edit from here.
class ProjectObserver {
 public:
  virtual ~ProjectObserver() = default;
  virtual void assetChanged(const AssetChange& /*change*/) {}
  virtual void projectChanged(ProjectEvent /*event*/) {}
  virtual void modifiedChanged(bool /*modified*/) {}
};

namespace detail {
class EditOp;
}

// One undoable change of the asset lists; cheap to copy. A default Edit is
// none: applying it fails and changes nothing.
class Edit {
 public:
  Edit() = default;

  // Inserts a record before `index` (-1 or past the end: at the end). The
  // string table keeps its order, so a string goes where its identifier
  // sorts, whatever the index.
  template <class Record>
  static Edit Insert(int index, Record record);
  // Replaces the record at `index` (a string whose identifier changes may
  // move to its sorted place).
  template <class Record>
  static Edit Replace(int index, Record record);
  static Edit Remove(AssetSlot family, int index);
  // Moves a record from one index to another (not in the sorted string table).
  static Edit Move(AssetSlot family, int from, int to);
  // Edits applied in order as one: all of them or, when one is refused,
  // none (those before it are undone). For imports and multi-record changes.
  static Edit Group(std::vector<Edit> edits);

  bool valid() const { return op_ != nullptr; }
  // The family the edit changes; Count for a group or none.
  AssetSlot family() const;

 private:
  friend class Project;
  explicit Edit(std::shared_ptr<const detail::EditOp> op) : op_(std::move(op)) {}
  std::shared_ptr<const detail::EditOp> op_;
  std::uint64_t project_ = 0;  // generation of the project it belongs to; 0 any
  std::uint64_t target_ = 0;   // state of the lists after applying; 0 a new state
};

namespace detail {

// The operation behind an Edit: performs itself on the project, appending
// what changed, and returns its inverse, or null (with `error` set and
// nothing changed) when refused.
class EditOp {
 public:
  virtual ~EditOp() = default;
  virtual AssetSlot family() const = 0;
  virtual std::shared_ptr<const EditOp> apply(Project& project, std::vector<AssetChange>& changes,
                                              std::string& error) const = 0;
};

}  // namespace detail

}  // namespace tarvolin::project
