#include "project/asset_edit.h"

#include <algorithm>
#include <optional>

#include "common/text.h"
#include "project/project.h"

namespace tarvolin::project {

// The lists whose classes offer only read access to their records.
struct AssetAccess {
  static std::vector<Resource>& items(ResourceList& list) { return list.items_; }
  static std::vector<StringRecord>& items(StringTable& list) { return list.items_; }
};

namespace detail {
namespace {

constexpr std::string_view kOutOfRange = "Índice fuera de rango";
constexpr std::string_view kEmptyName = "El nombre no puede estar vacío";

// What the edits need to know of each family's records: its slot, its list
// and the name that must be unique; `Plain` gives the common rest (kept in
// the order written, no further check, nothing to redo after a change).
template <class Record>
struct Family;

template <class Record, AssetSlot Slot>
struct Plain {
  static constexpr AssetSlot slot = Slot;
  static constexpr bool sorted = false;
  static const std::string& name(const Record& r) { return r.name; }
  static std::string check(Project&, const Record&) { return {}; }
  static void after(Project&) {}
};

template <>
struct Family<StringRecord> : Plain<StringRecord, AssetSlot::StringTable> {
  static constexpr bool sorted = true;
  static std::vector<StringRecord>& items(Project& p) { return AssetAccess::items(p.strings()); }
  static const std::string& name(const StringRecord& r) { return r.identifier; }
  static std::string check(Project&, const StringRecord& r) {
    if (!isStorableText(r.identifier)) return "El identificador no se puede guardar: tiene comillas o saltos de línea";
    for (const std::string& t : r.texts)
      if (!isStorableText(t)) return "El texto no se puede guardar: tiene comillas o saltos de línea";
    return {};
  }
};

template <>
struct Family<Macro> : Plain<Macro, AssetSlot::Macros> {
  static std::vector<Macro>& items(Project& p) { return p.macros().items(); }
};

template <>
struct Family<Resource> : Plain<Resource, AssetSlot::Resources> {
  static std::vector<Resource>& items(Project& p) { return AssetAccess::items(p.resources()); }
};

template <>
struct Family<GlobalSet> : Plain<GlobalSet, AssetSlot::GlobalNames> {
  static std::vector<GlobalSet>& items(Project& p) { return p.globalSets().sets(); }
};

template <>
struct Family<MotionPath> : Plain<MotionPath, AssetSlot::Paths> {
  static std::vector<MotionPath>& items(Project& p) { return p.paths().items(); }
};

template <>
struct Family<TileList> : Plain<TileList, AssetSlot::TileLists> {
  static std::vector<TileList>& items(Project& p) { return p.tileLists().items(); }
};

template <>
struct Family<Level> : Plain<Level, AssetSlot::LevelInfo> {
  static std::vector<Level>& items(Project& p) { return p.levels().items(); }
  static const std::string& name(const Level& r) { return r.name(); }
};

template <>
struct Family<FontMap> : Plain<FontMap, AssetSlot::FontMaps> {
  static std::vector<FontMap>& items(Project& p) { return p.fontMaps().items(); }
};

template <>
struct Family<ArrayDef> : Plain<ArrayDef, AssetSlot::Arrays> {
  static std::vector<ArrayDef>& items(Project& p) { return p.arrays().items(); }
  static std::string check(Project& p, const ArrayDef& r) {
    // The built-in memory arrays keep their names.
    const ArrayList& arrays = p.arrays();
    if (arrays.find(r.name) >= static_cast<int>(arrays.items().size()))
      return "El nombre <" + r.name + "> ya está en uso";
    if (!arraySizeFits(r)) return "El arreglo <" + r.name + "> es demasiado grande";
    return {};
  }
  // Sizes and placements follow the definitions.
  static void after(Project& p) { p.arrays().layout(); }
};

enum class OpKind { Insert, Remove, Replace, Move };

template <class Record>
class RecordEdit final : public EditOp {
 public:
  using F = Family<Record>;
  RecordEdit(OpKind kind, int index, int to, std::optional<Record> record)
      : kind_(kind), index_(index), to_(to), record_(std::move(record)) {}

  AssetSlot family() const override { return F::slot; }

  std::shared_ptr<const EditOp> apply(Project& p, std::vector<AssetChange>& changes,
                                      std::string& error) const override {
    std::vector<Record>& items = F::items(p);
    const int size = static_cast<int>(items.size());
    auto inRange = [&](int i) { return i >= 0 && i < size; };
    auto change = [&](AssetChangeKind kind, int index, int to = -1) {
      changes.push_back({F::slot, kind, index, to});
    };
    switch (kind_) {
      case OpKind::Insert: {
        if (!(error = CheckRecord(p, items, *record_, -1)).empty()) return nullptr;
        const int at = F::sorted ? SortedPlace(items, *record_)
                                 : (index_ < 0 || index_ > size ? size : index_);
        items.insert(items.begin() + at, *record_);
        F::after(p);
        change(AssetChangeKind::Inserted, at);
        return Make(OpKind::Remove, at, -1, std::nullopt);
      }
      case OpKind::Remove: {
        if (!inRange(index_)) return Refuse(error, kOutOfRange);
        if (F::slot == AssetSlot::GlobalNames && size == 1)
          return Refuse(error, "Debe quedar al menos un juego de nombres globales");
        Record old = std::move(items[static_cast<std::size_t>(index_)]);
        items.erase(items.begin() + index_);
        F::after(p);
        change(AssetChangeKind::Removed, index_);
        return Make(OpKind::Insert, index_, -1, std::move(old));
      }
      case OpKind::Replace: {
        if (!inRange(index_)) return Refuse(error, kOutOfRange);
        if (!(error = CheckRecord(p, items, *record_, index_)).empty()) return nullptr;
        Record old = std::move(items[static_cast<std::size_t>(index_)]);
        int at = index_;
        if (F::sorted) {
          items.erase(items.begin() + index_);
          at = SortedPlace(items, *record_);
          items.insert(items.begin() + at, *record_);
        } else {
          items[static_cast<std::size_t>(index_)] = *record_;
        }
        F::after(p);
        if (at == index_) {
          change(AssetChangeKind::Changed, at);
        } else {
          change(AssetChangeKind::Removed, index_);
          change(AssetChangeKind::Inserted, at);
        }
        return Make(OpKind::Replace, at, -1, std::move(old));
      }
      case OpKind::Move: {
        if (F::sorted) return Refuse(error, "La tabla de cadenas se mantiene ordenada");
        if (!inRange(index_) || !inRange(to_)) return Refuse(error, kOutOfRange);
        if (index_ < to_)
          std::rotate(items.begin() + index_, items.begin() + index_ + 1, items.begin() + to_ + 1);
        else if (to_ < index_)
          std::rotate(items.begin() + to_, items.begin() + index_, items.begin() + index_ + 1);
        F::after(p);
        change(AssetChangeKind::Moved, index_, to_);
        return Make(OpKind::Move, to_, index_, std::nullopt);
      }
    }
    return nullptr;
  }

  static std::shared_ptr<const EditOp> Make(OpKind kind, int index, int to, std::optional<Record> record) {
    return std::make_shared<RecordEdit<Record>>(kind, index, to, std::move(record));
  }

 private:
  static std::shared_ptr<const EditOp> Refuse(std::string& error, std::string_view text) {
    error = text;
    return nullptr;
  }

  // Empty when the record may stand in the list (at `replacing`, or new).
  static std::string CheckRecord(Project& p, const std::vector<Record>& items, const Record& record,
                                 int replacing) {
    const std::string& name = F::name(record);
    if (name.empty()) return std::string(kEmptyName);
    for (std::size_t i = 0; i < items.size(); ++i)
      if (static_cast<int>(i) != replacing && equalsIgnoreCase(F::name(items[i]), name))
        return "El nombre <" + name + "> ya está en uso";
    return F::check(p, record);
  }

  static int SortedPlace(const std::vector<Record>& items, const Record& record) {
    int at = 0;
    while (at < static_cast<int>(items.size()) &&
           compareIdentifiers(F::name(items[static_cast<std::size_t>(at)]), F::name(record)) <= 0)
      ++at;
    return at;
  }

  OpKind kind_;
  int index_;
  int to_;
  std::optional<Record> record_;
};

class GroupEdit final : public EditOp {
 public:
  explicit GroupEdit(std::vector<std::shared_ptr<const EditOp>> ops) : ops_(std::move(ops)) {}

  AssetSlot family() const override {
    if (ops_.empty()) return AssetSlot::Count;
    const AssetSlot first = ops_.front()->family();
    for (const auto& op : ops_)
      if (op->family() != first) return AssetSlot::Count;
    return first;
  }

  std::shared_ptr<const EditOp> apply(Project& p, std::vector<AssetChange>& changes,
                                      std::string& error) const override {
    const std::size_t told = changes.size();
    std::vector<std::shared_ptr<const EditOp>> inverses;
    for (const auto& op : ops_) {
      std::shared_ptr<const EditOp> inverse = op->apply(p, changes, error);
      if (!inverse) {
        // Undo what went before; nothing of the group happened.
        std::string ignored;
        for (auto it = inverses.rbegin(); it != inverses.rend(); ++it) (*it)->apply(p, changes, ignored);
        changes.resize(told);
        return nullptr;
      }
      inverses.push_back(std::move(inverse));
    }
    std::reverse(inverses.begin(), inverses.end());
    return std::make_shared<GroupEdit>(std::move(inverses));
  }

 private:
  std::vector<std::shared_ptr<const EditOp>> ops_;
};

// An edit without a record (remove, move) of a family.
std::shared_ptr<const EditOp> FamilyOp(AssetSlot family, OpKind kind, int index, int to) {
  switch (family) {
    case AssetSlot::StringTable: return RecordEdit<StringRecord>::Make(kind, index, to, std::nullopt);
    case AssetSlot::Macros: return RecordEdit<Macro>::Make(kind, index, to, std::nullopt);
    case AssetSlot::Resources: return RecordEdit<Resource>::Make(kind, index, to, std::nullopt);
    case AssetSlot::GlobalNames: return RecordEdit<GlobalSet>::Make(kind, index, to, std::nullopt);
    case AssetSlot::Paths: return RecordEdit<MotionPath>::Make(kind, index, to, std::nullopt);
    case AssetSlot::TileLists: return RecordEdit<TileList>::Make(kind, index, to, std::nullopt);
    case AssetSlot::LevelInfo: return RecordEdit<Level>::Make(kind, index, to, std::nullopt);
    case AssetSlot::FontMaps: return RecordEdit<FontMap>::Make(kind, index, to, std::nullopt);
    case AssetSlot::Arrays: return RecordEdit<ArrayDef>::Make(kind, index, to, std::nullopt);
    default: return nullptr;
  }
}

}  // namespace
}  // namespace detail

template <class Record>
Edit Edit::Insert(int index, Record record) {
  if constexpr (std::is_same_v<Record, MotionPath>) record.updateTiming();
  return Edit(detail::RecordEdit<Record>::Make(detail::OpKind::Insert, index, -1, std::move(record)));
}

template <class Record>
Edit Edit::Replace(int index, Record record) {
  if constexpr (std::is_same_v<Record, MotionPath>) record.updateTiming();
  return Edit(detail::RecordEdit<Record>::Make(detail::OpKind::Replace, index, -1, std::move(record)));
}

Edit Edit::Remove(AssetSlot family, int index) {
  return Edit(detail::FamilyOp(family, detail::OpKind::Remove, index, -1));
}

Edit Edit::Move(AssetSlot family, int from, int to) {
  return Edit(detail::FamilyOp(family, detail::OpKind::Move, from, to));
}

Edit Edit::Group(std::vector<Edit> edits) {
  std::vector<std::shared_ptr<const detail::EditOp>> ops;
  for (Edit& e : edits) {
    if (!e.op_) return Edit();  // a group with a non-edit in it is none
    ops.push_back(std::move(e.op_));
  }
  return Edit(std::make_shared<detail::GroupEdit>(std::move(ops)));
}

AssetSlot Edit::family() const { return op_ ? op_->family() : AssetSlot::Count; }

#define TARVOLIN_RECORD_EDITS(Record)                  \
  template Edit Edit::Insert<Record>(int, Record); \
  template Edit Edit::Replace<Record>(int, Record);
TARVOLIN_RECORD_EDITS(StringRecord)
TARVOLIN_RECORD_EDITS(Macro)
TARVOLIN_RECORD_EDITS(Resource)
TARVOLIN_RECORD_EDITS(GlobalSet)
TARVOLIN_RECORD_EDITS(MotionPath)
TARVOLIN_RECORD_EDITS(TileList)
TARVOLIN_RECORD_EDITS(Level)
TARVOLIN_RECORD_EDITS(FontMap)
TARVOLIN_RECORD_EDITS(ArrayDef)
#undef TARVOLIN_RECORD_EDITS

// ---- the project's side -----------------------------------------------------

Edit Project::apply(const Edit& edit, std::string* why) {
  auto refuse = [&](std::string_view text) {
    if (why) *why = text;
    return Edit();
  };
  if (!edit.op_) return refuse("No hay nada que cambiar");
  if (!open_) return refuse("No hay ningún proyecto abierto");
  if (edit.project_ != 0 && edit.project_ != generation_)
    return refuse("El cambio pertenece a otro proyecto");
  const bool wasModified = isModified();
  std::vector<AssetChange> changes;
  std::string error;
  std::shared_ptr<const detail::EditOp> inverse = edit.op_->apply(*this, changes, error);
  if (!inverse) return refuse(error);
  const std::uint64_t before = state_;
  state_ = edit.target_ != 0 ? edit.target_ : ++stateCounter_;
  Edit undo(std::move(inverse));
  undo.project_ = generation_;
  undo.target_ = before;
  if (why) why->clear();
  for (const AssetChange& c : changes) tellAsset(c);
  if (wasModified != isModified()) tellModified();
  return undo;
}

void Project::addObserver(ProjectObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void Project::removeObserver(ProjectObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Project::tellAsset(const AssetChange& change) {
  const std::vector<ProjectObserver*> observers = observers_;  // one may leave while told
  for (ProjectObserver* o : observers) o->assetChanged(change);
}

void Project::tellEvent(ProjectEvent event) {
  const std::vector<ProjectObserver*> observers = observers_;
  for (ProjectObserver* o : observers) o->projectChanged(event);
  if (event == ProjectEvent::Opening) return;
  for (int slot = 0; slot < static_cast<int>(AssetSlot::Count); ++slot)
    for (ProjectObserver* o : observers)
      o->assetChanged({static_cast<AssetSlot>(slot), AssetChangeKind::Reloaded, -1, -1});
}

void Project::tellModified() {
  const bool modified = isModified();
  const std::vector<ProjectObserver*> observers = observers_;
  for (ProjectObserver* o : observers) o->modifiedChanged(modified);
}

void Project::setModified(bool modified) {
  const bool was = isModified();
  settingsModified_ = modified;
  if (!modified) savedState_ = state_;
  if (was != isModified()) tellModified();
}

void Project::startOver() {
  ++generation_;
  state_ = savedState_ = ++stateCounter_;
  settingsModified_ = false;
}

}  // namespace tarvolin::project
