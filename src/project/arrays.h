// Arrays: named one- or two-dimensional tables of records that a game keeps
// in work RAM, internal RAM or ROM. This file holds the definitions (element
// and array types, the record layout), the placement of arrays in the
// modelled memories, the list as the project keeps it in "arrays.txt", and
// the five built-in arrays over the machine's memories.
//
// Element access and the operations the script commands use are in
// array_data.cpp; vector and matrix arithmetic in array_math.h.
//
// "arrays.txt" (array header, entry layout), per array:
//   "#name", array type name, Dim X, Dim Y,
//   per element "$name", "$type name", comment,
//   "*true|false" (table), "RW|RO", "#",
//   "FastRAM|WorkRAM", "FixedAdd|AnyAdd", "Block|Array", start offset,
//   block length, an empty line.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"
#include "common/errors.h"

namespace tarvolin::project {

// ---- element and array types -------------------------------------------------

enum ElementType : int { kU8 = 0, kS8 = 1, kU16 = 2, kS16 = 3, kS32 = 4, kVector = 5, kMatrix = 6 };
inline constexpr int kElementTypeCount = 7;

// Size in bytes of an element type; 0 for a value outside the table.
int elementSize(int type);
// Alignment an element needs (1, 2 or 4).
int elementAlignment(int type);
// The name written to "arrays.txt" ("Unknown element type!" outside the table).
std::string_view elementTypeName(int type);
// "u8", "s8", "u16", "s16", "s32", "vec", "mat" ("" outside the table).
std::string_view elementShortName(int type);
// The type of a name read from "arrays.txt", older names included, or -1.
int elementTypeFromName(std::string_view name);
// Number of 32-bit values an element holds: 1, 3 for a vector, 12 for a matrix.
int elementValueCount(int type);
// Whether a value fits the range of an integer element type.
bool elementValueFits(int type, std::int64_t value);

enum ArrayType : int { kOneDimensional = 0, kTwoDimensional = 1 };
// "One dimensional", "Two dimensional", "Unknown array type!".
std::string_view arrayTypeName(int type);
int arrayTypeFromName(std::string_view name);  // -1 when none

// Memory kinds, as the machine numbers them.
inline constexpr int kMemoryEram = 0;
inline constexpr int kMemoryIram = 1;
inline constexpr int kMemoryVram = 2;
inline constexpr int kMemoryPram = 3;
inline constexpr int kMemorySram = 4;

// Capacities of the two areas arrays are placed in.
inline constexpr std::int64_t kWorkRamCapacity = 0x30000;
inline constexpr std::int64_t kInternalRamCapacity = 4096;
inline constexpr int kMaxOffset = 0x30000;  // start offset and block length
// Tables larger than this get no storage (no cartridge holds more).
inline constexpr std::int64_t kMaxTableBytes = 32 * 1024 * 1024;

// ---- definitions -------------------------------------------------------------

struct ArrayElement {
  int type = kU8;
  std::string name;
  std::string comment;
  int offset = 0;  // byte offset inside the record (computed)
  // The stored fields (the offset is computed).
  bool operator==(const ArrayElement& o) const {
    return type == o.type && name == o.name && comment == o.comment;
  }
};

// Where an array's bytes are.
enum class StorageKind : std::uint8_t {
  None,    // blocked, not placed, or passing the capacity
  Table,   // its own bytes, apart from the modelled memory
  Memory,  // the modelled memory `memoryKind` from `offset`
  System,  // a built-in array: the whole memory `memoryKind`
};

struct ArrayDef {
  std::string name;
  int arrayType = kOneDimensional;
  int dimX = 1;
  int dimY = 1;
  std::vector<ArrayElement> elements;
  bool table = false;        // read-only constant data kept in ROM
  bool writable = false;     // a table that may be written while running here
  bool internalRam = false;  // must lie in internal RAM
  bool fixedStart = false;   // must begin at startOffset
  bool block = false;        // reserves [startOffset, startOffset + blockLength)
  int startOffset = 0;
  int blockLength = 0;

  // Computed by the layout, not stored.
  int recordSize = 0;
  std::int64_t totalSize = 0;
  int placedOffset = -1;  // -1: not placed
  StorageKind storage = StorageKind::None;
  int memoryKind = kMemoryEram;
  std::int64_t storageOffset = 0;
  std::vector<std::uint8_t> tableBytes;
  bool system = false;

  bool twoDimensional() const { return arrayType == kTwoDimensional; }
  // The stored fields only, as "arrays.txt" holds them.
  bool sameDefinition(const ArrayDef& o) const;
  // Record count: Dim X, times Dim Y for a 2D array (0 for bad dimensions).
  std::int64_t recordCount() const;
  // Whether scripts may not write it (a table without the write flag).
  bool readOnly() const { return table && !writable; }
  // The index of an element by name (ignoring case), or -1.
  int findElement(std::string_view name) const;
};

// Record layout: reorders the elements of a non-table by size (largest
// class first, previous order inside a class), assigns offsets and computes
// the record and total sizes.
void computeRecordLayout(ArrayDef& def);

// ---- the modelled memories ------------------------------------------------------

// The machine's memories as arrays see them. The workbench supplies one over
// its MachineState; `BufferMemory` is a plain one for tests and tools.
class ArrayMemory {
 public:
  virtual ~ArrayMemory() = default;
  // The bytes of memory `kind` from `offset` to its end; empty past the end
  // or for a bad kind. `write`: the caller is about to change them.
  virtual std::span<std::uint8_t> bytes(int kind, std::uint32_t offset, bool write) = 0;
};

class BufferMemory final : public ArrayMemory {
 public:
  BufferMemory();
  std::vector<std::uint8_t> memories[5];
  std::span<std::uint8_t> bytes(int kind, std::uint32_t offset, bool write) override;
};

// ---- file ------------------------------------------------------------------------

// Whether the array's total size in bytes fits a signed 32-bit number (what
// scripts read it as).
bool arraySizeFits(const ArrayDef& def);

// Reads array entries until the end of the file, appending them to `out`.
// A failing entry fails the read; entries read before it stay. An entry
// read whole whose size does not fit (arraySizeFits) is left out, the
// entries after it are read, and the read then gives false.
bool readArrays(LineReader& in, std::vector<ArrayDef>& out);
// The whole file text: the array header, then every array.
std::string writeArrays(const std::vector<ArrayDef>& arrays);

// ---- the list ----------------------------------------------------------------------

inline constexpr int kSystemArrayCount = 5;

class ArrayList : public AssetFamily {
 public:
  ArrayList();

  // The memories placed arrays live in; null: arrays in RAM get no storage.
  void setMemory(ArrayMemory* memory) { memory_ = memory; }
  ArrayMemory* memory() const { return memory_; }

  // The project's arrays, as the editor and "arrays.txt" hold them. After
  // changing them, call `layout`.
  std::vector<ArrayDef>& items() { return items_; }
  const std::vector<ArrayDef>& items() const { return items_; }

  // All arrays by number: the project's arrays first, then the built-in
  // ones "ERAM", "IRAM", "VRAM", "PRAM" and "SRAM".
  int count() const { return int(items_.size()) + kSystemArrayCount; }
  ArrayDef* at(int index);
  const ArrayDef* at(int index) const;
  // The number of an array by name (ignoring case), or -1.
  int find(std::string_view name) const;

  // Record layout of every array, then the memory layout: placement of the
  // arrays in RAM and their storage. Storage that is new or moved is filled
  // with 0xFF bytes. Run after loading, after an import and when the editor
  // applies a change.
  void layout();
  // Bytes used in each area by placed and reserved arrays.
  std::int64_t usedBytes(bool internalRam) const;

  // Reads a file into another list (cleared first), leaving this one alone.
  static bool loadInto(const std::string& path, std::vector<ArrayDef>& other);

  std::string_view fileName() const override { return "arrays.txt"; }
  std::string_view saveFailureMessage() const override {
    return "Error: al escribir el arreglo";
  }
  CheckKind checkKind() const override { return CheckKind::Arrays; }
  void clear() override;
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;
  bool afterOpen(Host& host) override;

  // ---- element access and operations (array_data.cpp) ----
  // Failures set the code in `err` and return false. Coordinates are record
  // indices; `y` is 0 for 1D arrays.

  // The bytes of an array's storage from `offset` for `length` bytes; empty
  // when it has none or the stretch passes its end.
  std::span<std::uint8_t> data(int array, std::int64_t offset, std::int64_t length, bool write);

  // Integer elements. Vector and matrix elements give 131. Set clamps the
  // value to the element's range and refuses read-only tables (137).
  bool getElement(int array, int element, std::int64_t x, std::int64_t y, std::int32_t& value,
                  ErrorState& err);
  bool setElement(int array, int element, std::int64_t x, std::int64_t y, std::int32_t value,
                  ErrorState& err);
  // All values of an element (1, 3 or 12) without type checks.
  bool getValues(int array, int element, std::int64_t x, std::int64_t y, std::int32_t* values,
                 ErrorState& err);
  // `initialising`: the preprocessor fills a table with its constant data,
  // which read-only tables allow.
  bool setValues(int array, int element, std::int64_t x, std::int64_t y,
                 const std::int32_t* values, ErrorState& err, bool initialising = false);

  // Raw byte access at a byte offset with a memory size (0 u8, 1 s8, 2 u16,
  // 3 s16).
  bool peek(int array, int size, std::int64_t offset, std::int32_t& value, ErrorState& err);
  bool poke(int array, int size, std::int64_t offset, std::int32_t value, ErrorState& err);
  bool clearBytes(int array, std::int32_t byte, ErrorState& err);

  // Record operations of 1D arrays.
  bool copyRecord(int array, std::int64_t from, std::int64_t to, ErrorState& err);
  bool swapRecords(int array, std::int64_t a, std::int64_t b, ErrorState& err);
  // Sorts records lo..hi by an integer element; direction 0 ascending,
  // any other descending. The sort is stable.
  bool sortRecords(int array, int element, std::int64_t lo, std::int64_t hi, std::int32_t direction,
                   ErrorState& err);
  // Whether an element's value is the one searched for (the script's
  // comparison operator and value, applied by the caller).
  using ValueMatch = std::function<bool(std::int32_t)>;
  // First record in lo..hi (hi 0: to the last) whose element `matches`;
  // `found` is -1 when none does.
  bool find1D(int array, int element, std::int64_t lo, std::int64_t hi, const ValueMatch& matches,
              std::int32_t& found, ErrorState& err);
  // The same over rows y0..y1 of a 2D array: the first row from xFirst, the
  // others from x0, each to x1 (0 for x1 or y1: to the last). Not found:
  // (-1, -1).
  bool find2D(int array, int element, std::int64_t xFirst, std::int64_t x0, std::int64_t y0,
              std::int64_t x1, std::int64_t y1, const ValueMatch& matches, std::int32_t& foundX,
              std::int32_t& foundY, ErrorState& err);
  // Copies a whole array over another of the same shape (130, 138).
  bool copyArray(int target, int source, bool twoDimensional, ErrorState& err);
  // Copies the record (x, y) (x = -1: the whole array) of `array` from
  // (`intoRecord`) or to the bytes of `other` at `offset`; when `advance`
  // the offset moves past the copied bytes.
  bool blockCopy(int array, std::int64_t x, std::int64_t y, int other, std::int32_t& offset,
                 bool intoRecord, bool advance, ErrorState& err);

  // Raw data files: the storage, total size bytes. 130 for an array of the
  // other dimensionality, 135 when writing fails, 134 when reading fails,
  // 136 when the file's length differs from the total size.
  bool saveData(int array, bool twoDimensional, const std::string& path, ErrorState& err);
  bool loadData(int array, bool twoDimensional, const std::string& path, ErrorState& err);

 private:
  bool locate(int array, int element, std::int64_t x, std::int64_t y, bool write,
              std::span<std::uint8_t>& out, int& type, ErrorState& err,
              bool initialising = false);

  std::vector<ArrayDef> items_;
  std::vector<ArrayDef> system_;
  ArrayMemory* memory_ = nullptr;
  // Storage of each array at the previous layout, to tell new or moved storage.
  struct Placement {
    std::string name;
    StorageKind storage;
    int memoryKind;
    std::int64_t offset;
    std::int64_t size;
  };
  std::vector<Placement> previous_;
};

}  // namespace tarvolin::project
