#include "project/arrays.h"
#include "platform/files.h"

#include <algorithm>
#include <climits>

#include "common/text.h"

namespace tarvolin::project {

namespace {

struct TypeInfo {
  std::string_view fileName;
  std::string_view shortName;
  int size;
  int alignment;
};
constexpr TypeInfo kTypes[kElementTypeCount] = {
    {"8 bit unsigned", "u8", 1, 1},  {"8 bit signed", "s8", 1, 1},
    {"16 bit unsigned", "u16", 2, 2}, {"16 bit signed", "s16", 2, 2},
    {"32 bit signed", "s32", 4, 4},  {"3D vector", "vec", 12, 4},
    {"3D matrix", "mat", 48, 4},
};

// Names older files use.
struct OldName {
  std::string_view name;
  int type;
};
constexpr OldName kOldNames[] = {
    {"8 bit", kS8}, {"16 bit", kS16}, {"32 bit", kS32}, {"8 unsigned bit", kU8},
    {"16 unsigned bit", kU16},
};

constexpr std::string_view kArrayTypeNames[] = {"One dimensional", "Two dimensional"};

bool validType(int type) { return type >= 0 && type < kElementTypeCount; }

// Size class for the reordering of non-tables: larger classes come first.
int sizeClass(int type) {
  switch (type) {
    case kMatrix: return 0;
    case kVector: return 1;
    case kS32: return 2;
    case kU16: case kS16: return 3;
    case kU8: case kS8: return 4;
    default: return 5;
  }
}

std::int64_t roundUp(std::int64_t value, std::int64_t step) {
  return (value + step - 1) / step * step;
}

struct Region {
  std::int64_t begin, end;
};

// The lowest offset, a multiple of `align`, at which [offset, offset + size)
// meets no region and ends within `capacity`; -1 when there is none. The
// candidate starts at 0 and jumps past every region it meets, so the array
// stays clear of all regions over its whole length.
std::int64_t findFree(const std::vector<Region>& regions, std::int64_t size, std::int64_t align,
                      std::int64_t capacity) {
  std::int64_t candidate = 0;
  for (;;) {
    candidate = roundUp(candidate, align);
    if (candidate + size > capacity) return -1;
    bool moved = false;
    for (const Region& r : regions) {
      if (r.end <= r.begin) continue;
      const bool overlaps = size > 0 ? candidate < r.end && r.begin < candidate + size
                                     : candidate >= r.begin && candidate < r.end;
      if (overlaps) {
        candidate = r.end;
        moved = true;
        break;
      }
    }
    if (!moved) return candidate;
  }
}

ArrayDef makeSystemArray(std::string_view name, int kind, int dimX) {
  ArrayDef def;
  def.name = std::string(name);
  def.dimX = dimX;
  def.dimY = 0;
  const int types = kind == kMemorySram ? 2 : 4;
  for (int t = 0; t < types; ++t) def.elements.push_back({t, std::string(kTypes[t].shortName), "", 0});
  // Every element starts at the record's byte: the index is a byte offset.
  def.recordSize = 1;
  def.totalSize = dimX;
  def.storage = StorageKind::System;
  def.memoryKind = kind;
  def.system = true;
  return def;
}

}  // namespace

int elementSize(int type) { return validType(type) ? kTypes[type].size : 0; }
int elementAlignment(int type) { return validType(type) ? kTypes[type].alignment : 1; }
std::string_view elementTypeName(int type) {
  return validType(type) ? kTypes[type].fileName : "Unknown element type!";
}
std::string_view elementShortName(int type) {
  return validType(type) ? kTypes[type].shortName : "";
}
int elementTypeFromName(std::string_view name) {
  for (int t = 0; t < kElementTypeCount; ++t)
    if (equalsIgnoreCase(name, kTypes[t].fileName)) return t;
  for (const OldName& o : kOldNames)
    if (equalsIgnoreCase(name, o.name)) return o.type;
  return -1;
}
int elementValueCount(int type) { return type == kVector ? 3 : type == kMatrix ? 12 : 1; }

bool elementValueFits(int type, std::int64_t value) {
  switch (type) {
    case kU8: return value >= 0 && value <= 255;
    case kS8: return value >= -128 && value <= 127;
    case kU16: return value >= 0 && value <= 65535;
    case kS16: return value >= -32768 && value <= 32767;
    default: return value >= INT32_MIN && value <= INT32_MAX;
  }
}

std::string_view arrayTypeName(int type) {
  return type == 0 || type == 1 ? kArrayTypeNames[type] : "Unknown array type!";
}
int arrayTypeFromName(std::string_view name) {
  for (int t = 0; t < 2; ++t)
    if (equalsIgnoreCase(name, kArrayTypeNames[t])) return t;
  return -1;
}

bool ArrayDef::sameDefinition(const ArrayDef& o) const {
  return name == o.name && arrayType == o.arrayType && dimX == o.dimX && dimY == o.dimY &&
         elements == o.elements && table == o.table && writable == o.writable &&
         internalRam == o.internalRam && fixedStart == o.fixedStart && block == o.block &&
         startOffset == o.startOffset && blockLength == o.blockLength;
}

std::int64_t ArrayDef::recordCount() const {
  if (dimX <= 0) return 0;
  if (!twoDimensional()) return dimX;
  return dimY <= 0 ? 0 : std::int64_t(dimX) * dimY;
}

int ArrayDef::findElement(std::string_view element) const {
  for (std::size_t i = 0; i < elements.size(); ++i)
    if (equalsIgnoreCase(elements[i].name, element)) return int(i);
  return -1;
}

void computeRecordLayout(ArrayDef& def) {
  if (def.system) return;
  if (!def.table)
    std::stable_sort(def.elements.begin(), def.elements.end(),
                     [](const ArrayElement& a, const ArrayElement& b) {
                       return sizeClass(a.type) < sizeClass(b.type);
                     });
  int offset = 0, align = 1;
  for (ArrayElement& e : def.elements) {
    e.offset = offset;
    offset += elementSize(e.type);
    align = std::max(align, elementAlignment(e.type));
  }
  def.recordSize = int(roundUp(offset, align));
  // Absurd dimensions from a damaged file must not overflow: nothing that
  // large is placed or stored anyway.
  constexpr std::int64_t kHuge = std::int64_t(1) << 40;
  const std::int64_t count = def.recordCount();
  def.totalSize = def.recordSize > 0 && count > kHuge / def.recordSize ? kHuge : def.recordSize * count;
}

// ---- memory -------------------------------------------------------------------

BufferMemory::BufferMemory() {
  memories[kMemoryEram].assign(0x30000, 0);
  memories[kMemoryIram].assign(0x1000, 0);
  memories[kMemoryVram].assign(0x18000, 0);
  memories[kMemoryPram].assign(0x400, 0);
  memories[kMemorySram].assign(0x10000, 0);
}

std::span<std::uint8_t> BufferMemory::bytes(int kind, std::uint32_t offset, bool) {
  if (kind < 0 || kind >= 5) return {};
  std::vector<std::uint8_t>& m = memories[kind];
  if (offset >= m.size()) return {};
  return std::span<std::uint8_t>(m.data() + offset, m.size() - offset);
}

// ---- file ---------------------------------------------------------------------------

namespace {

// One entry after its "#" line; false when it fails.
bool readEntry(LineReader& in, ArrayDef& def) {
  std::string line;
  in.next(line);
  def.arrayType = arrayTypeFromName(line);
  if (def.arrayType < 0) return false;
  in.next(line);
  if (!parseInt(line, def.dimX)) return false;
  in.next(line);
  if (!parseInt(line, def.dimY)) return false;

  for (;;) {
    in.next(line);
    if (line.empty() || line[0] != '$') break;
    ArrayElement e;
    e.name.assign(line, 1);
    if (def.findElement(e.name) >= 0) return false;
    in.next(line);
    if (!line.empty() && line[0] == '$') {
      e.type = elementTypeFromName(std::string_view(line).substr(1));
      in.next(e.comment);
    } else {
      e.type = elementTypeFromName(line);  // older form without comment
    }
    if (e.type < 0) return false;
    def.elements.push_back(std::move(e));
  }

  def.table = def.writable = def.internalRam = def.fixedStart = def.block = false;
  def.startOffset = def.blockLength = 0;
  bool flagsLine = false;
  if (!line.empty() && line[0] == '*') {
    flagsLine = true;
    def.table = equalsIgnoreCase(trimBlanks(std::string_view(line).substr(1)), "true");
    in.next(line);
    def.writable = line == "RW";
    in.next(line);
  }
  // Without the "*" line only a lone "#" opens the placement lines, so an
  // entry that ends early does not swallow the next entry's name.
  if (!line.empty() && line[0] == '#' && (flagsLine || line.size() == 1)) {
    in.next(line);
    def.internalRam = equalsIgnoreCase(line, "FastRAM");
    in.next(line);
    def.fixedStart = equalsIgnoreCase(line, "FixedAdd");
    in.next(line);
    def.block = equalsIgnoreCase(line, "Block");
    in.next(line);
    if (!parseInt(line, def.startOffset)) return false;
    in.next(line);
    if (!parseInt(line, def.blockLength)) return false;
  } else if (!line.empty()) {
    // Not the flags: let the next entry's reader see it.
    in.unread();
  }
  return true;
}

}  // namespace

bool arraySizeFits(const ArrayDef& def) {
  std::int64_t record = 0;
  int align = 1;
  for (const ArrayElement& e : def.elements) {
    record += elementSize(e.type);
    align = std::max(align, elementAlignment(e.type));
  }
  record = roundUp(record, align);
  return record == 0 || def.recordCount() <= INT32_MAX / record;
}

bool readArrays(LineReader& in, std::vector<ArrayDef>& out) {
  std::string name;
  bool refused = false;
  while (nextEntry(in, name)) {
    ArrayDef def;
    def.name = std::move(name);
    if (!readEntry(in, def)) return false;
    // An entry read whole whose size no 32-bit number holds is refused; the
    // entries after it are read on, and the read reports the refusal.
    if (!arraySizeFits(def)) {
      refused = true;
      continue;
    }
    out.push_back(std::move(def));
  }
  return !refused;
}

std::string writeArrays(const std::vector<ArrayDef>& arrays) {
  AssetWriter w(HeaderKind::Array);
  for (const ArrayDef& a : arrays) {
    w.beginEntry(a.name);
    w.line(arrayTypeName(a.arrayType));
    w.line(formatInt(a.dimX));
    w.line(formatInt(a.dimY));
    for (const ArrayElement& e : a.elements) {
      w.line('$', e.name);
      w.line('$', elementTypeName(e.type));
      w.line(e.comment);
    }
    w.line('*', flagText(a.table));
    w.line(a.writable ? "RW" : "RO");
    w.line("#");
    w.line(a.internalRam ? "FastRAM" : "WorkRAM");
    w.line(a.fixedStart ? "FixedAdd" : "AnyAdd");
    w.line(a.block ? "Block" : "Array");
    w.line(formatInt(a.startOffset));
    w.line(formatInt(a.blockLength));
    w.endEntry();
  }
  return w.text();
}

// ---- the list -------------------------------------------------------------------------

ArrayList::ArrayList() {
  system_.push_back(makeSystemArray("ERAM", kMemoryEram, 0x30000));
  system_.push_back(makeSystemArray("IRAM", kMemoryIram, 4096));
  system_.push_back(makeSystemArray("VRAM", kMemoryVram, 0xffffff));
  system_.push_back(makeSystemArray("PRAM", kMemoryPram, 0xffffff));
  system_.push_back(makeSystemArray("SRAM", kMemorySram, 0x10000));
}

ArrayDef* ArrayList::at(int index) {
  if (index < 0) return nullptr;
  if (std::size_t(index) < items_.size()) return &items_[std::size_t(index)];
  const std::size_t s = std::size_t(index) - items_.size();
  return s < system_.size() ? &system_[s] : nullptr;
}
const ArrayDef* ArrayList::at(int index) const {
  return const_cast<ArrayList*>(this)->at(index);
}

int ArrayList::find(std::string_view name) const {
  for (int i = 0; i < count(); ++i)
    if (equalsIgnoreCase(at(i)->name, name)) return i;
  return -1;
}

void ArrayList::layout() {
  std::vector<Region> regions[2];
  auto capacityOf = [](bool internal) { return internal ? kInternalRamCapacity : kWorkRamCapacity; };

  for (ArrayDef& a : items_) {
    computeRecordLayout(a);
    a.placedOffset = -1;
  }
  // Fixed arrays reserve their size rounded up to 4; blocks their length.
  for (ArrayDef& a : items_) {
    if (a.fixedStart) {
      regions[a.internalRam].push_back({a.startOffset, a.startOffset + roundUp(a.totalSize, 4)});
      a.placedOffset = a.startOffset;
    } else if (a.block) {
      regions[a.internalRam].push_back({a.startOffset, std::int64_t(a.startOffset) + a.blockLength});
    }
  }
  // The rest of the RAM arrays, in list order, at the lowest offset where
  // the whole array fits.
  for (ArrayDef& a : items_) {
    if (a.table || a.fixedStart || a.block) continue;
    int align = 1;
    for (const ArrayElement& e : a.elements) align = std::max(align, elementAlignment(e.type));
    const std::int64_t at = findFree(regions[a.internalRam], a.totalSize, align, capacityOf(a.internalRam));
    if (at < 0) continue;
    a.placedOffset = int(at);
    regions[a.internalRam].push_back({at, at + a.totalSize});
  }

  // Storage.
  std::vector<Placement> now;
  for (ArrayDef& a : items_) {
    a.storage = StorageKind::None;
    a.memoryKind = a.internalRam ? kMemoryIram : kMemoryEram;
    a.storageOffset = 0;
    if (a.table) {
      if (a.totalSize > 0 && a.totalSize <= kMaxTableBytes) a.storage = StorageKind::Table;
    } else if (a.fixedStart) {
      if (a.startOffset >= 0 && a.startOffset + roundUp(a.totalSize, 4) <= capacityOf(a.internalRam))
        a.storage = StorageKind::Memory;
    } else if (!a.block && a.placedOffset >= 0) {
      a.storage = StorageKind::Memory;
    }
    if (a.storage == StorageKind::Memory) {
      a.storageOffset = a.fixedStart ? a.startOffset : a.placedOffset;
      if (!memory_) a.storage = StorageKind::None;
    }
    if (a.storage != StorageKind::Table) a.tableBytes.clear();
    if (a.storage == StorageKind::None) {
      now.push_back({a.name, a.storage, 0, 0, 0});
      continue;
    }
    const Placement p{a.name, a.storage, a.memoryKind, a.storageOffset, a.totalSize};
    bool same = false;
    for (const Placement& q : previous_)
      if (q.name == p.name && q.storage == p.storage && q.memoryKind == p.memoryKind &&
          q.offset == p.offset && q.size == p.size)
        same = true;
    if (a.storage == StorageKind::Table) {
      if (!same || a.tableBytes.size() != std::size_t(a.totalSize))
        a.tableBytes.assign(std::size_t(a.totalSize), 0xFF);
    } else if (!same) {
      std::span<std::uint8_t> bytes = memory_->bytes(a.memoryKind, std::uint32_t(a.storageOffset), true);
      std::fill_n(bytes.begin(), std::min<std::size_t>(bytes.size(), std::size_t(a.totalSize)), 0xFF);
    }
    now.push_back(p);
  }
  previous_ = std::move(now);
}

std::int64_t ArrayList::usedBytes(bool internalRam) const {
  std::int64_t used = 0;
  for (const ArrayDef& a : items_) {
    if (a.internalRam != internalRam) continue;
    if (a.fixedStart) used += roundUp(a.totalSize, 4);
    else if (a.block) used += a.blockLength;
    else if (a.placedOffset >= 0) used += a.totalSize;
  }
  return used;
}

void ArrayList::clear() {
  items_.clear();
  previous_.clear();
}

bool ArrayList::load(const std::string& path) {
  clear();
  const bool ok = loadAssetFile(path, items_, readArrays);
  layout();
  return ok;
}

bool ArrayList::loadInto(const std::string& path, std::vector<ArrayDef>& other) {
  other.clear();
  return loadAssetFile(path, other, readArrays);
}

bool ArrayList::save(const std::string& path) const { return platform::safeWrite(path, writeArrays(items_)); }

bool ArrayList::checkText(std::string_view text) const {
  return checkAssetText<std::vector<ArrayDef>>(text, readArrays);
}

bool ArrayList::afterOpen(Host&) {
  layout();
  return false;
}

}  // namespace tarvolin::project
