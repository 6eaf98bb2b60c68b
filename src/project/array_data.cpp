// Element access and the operations of the array commands over an array's
// storage: a table's own bytes, or the modelled memory the array was placed
// in (so what a script writes, a memory viewer reads).
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "project/arrays.h"
#include "platform/files.h"

namespace tarvolin::project {

namespace {

bool fail(ErrorState& err, ErrorCode code) {
  err.SetError(code);
  return false;
}

std::int32_t readValue(const std::uint8_t* p, int type) {
  switch (type) {
    case kU8: return p[0];
    case kS8: return std::int8_t(p[0]);
    case kU16: return std::uint16_t(p[0] | p[1] << 8);
    case kS16: return std::int16_t(std::uint16_t(p[0] | p[1] << 8));
    default:
      return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                          std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
  }
}

void writeValue(std::uint8_t* p, int type, std::int32_t value) {
  const std::uint32_t u = std::uint32_t(value);
  p[0] = std::uint8_t(u);
  if (elementSize(type) >= 2) p[1] = std::uint8_t(u >> 8);
  if (elementSize(type) >= 4) {
    p[2] = std::uint8_t(u >> 16);
    p[3] = std::uint8_t(u >> 24);
  }
}

std::int32_t clampTo(int type, std::int32_t v) {
  switch (type) {
    case kU8: return std::clamp(v, 0, 255);
    case kS8: return std::clamp(v, -128, 127);
    case kU16: return std::clamp(v, 0, 65535);
    case kS16: return std::clamp(v, -32768, 32767);
    default: return v;
  }
}

bool isInteger(int type) { return type >= kU8 && type <= kS32; }

}  // namespace

std::span<std::uint8_t> ArrayList::data(int array, std::int64_t offset, std::int64_t length,
                                        bool write) {
  ArrayDef* a = at(array);
  if (!a || offset < 0 || length < 0 || offset + length > a->totalSize) return {};
  switch (a->storage) {
    case StorageKind::Table:
      return std::span<std::uint8_t>(a->tableBytes.data() + offset, std::size_t(length));
    case StorageKind::Memory:
    case StorageKind::System: {
      if (!memory_) return {};
      const std::int64_t at = a->storage == StorageKind::Memory ? a->storageOffset + offset : offset;
      if (at > 0xFFFFFFFFLL) return {};
      std::span<std::uint8_t> bytes = memory_->bytes(a->memoryKind, std::uint32_t(at), write);
      if (std::int64_t(bytes.size()) < length) return {};
      // An empty stretch still needs a valid place (a zero-length copy).
      return bytes.first(std::size_t(length));
    }
    default: return {};
  }
}

bool ArrayList::locate(int array, int element, std::int64_t x, std::int64_t y, bool write,
                       std::span<std::uint8_t>& out, int& type, ErrorState& err,
                       bool initialising) {
  ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (element < 0 || std::size_t(element) >= a->elements.size()) return fail(err, err::kUnknownArrayElement);
  const ArrayElement& e = a->elements[std::size_t(element)];
  type = e.type;
  std::int64_t offset;
  if (a->system) {
    // The index is a byte offset; halfwords lie on even bytes.
    if (x < 0 || x >= a->dimX) return fail(err, err::kArrayIndexOutOfRange);
    if (elementSize(type) == 2 && (x & 1)) return fail(err, err::kMisaligned);
    offset = x;
  } else {
    if (x < 0 || x >= a->dimX) return fail(err, err::kArrayIndexOutOfRange);
    if (a->twoDimensional() ? (y < 0 || y >= a->dimY) : y != 0) return fail(err, err::kArrayIndexOutOfRange);
    offset = (x + y * a->dimX) * a->recordSize + e.offset;
  }
  if (write && a->readOnly() && !initialising) return fail(err, err::kArrayReadOnly);
  out = data(array, offset, elementSize(type), write);
  if (out.empty()) return fail(err, err::kArrayIndexOutOfRange);
  return true;
}

bool ArrayList::getElement(int array, int element, std::int64_t x, std::int64_t y,
                           std::int32_t& value, ErrorState& err) {
  std::span<std::uint8_t> bytes;
  int type = 0;
  if (!locate(array, element, x, y, false, bytes, type, err)) return false;
  if (!isInteger(type)) return fail(err, err::kDirect3DAccess);
  value = readValue(bytes.data(), type);
  return true;
}

bool ArrayList::setElement(int array, int element, std::int64_t x, std::int64_t y,
                           std::int32_t value, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (a && element >= 0 && std::size_t(element) < a->elements.size() &&
      !isInteger(a->elements[std::size_t(element)].type))
    return fail(err, err::kDirect3DAccess);
  std::span<std::uint8_t> bytes;
  int type = 0;
  if (!locate(array, element, x, y, true, bytes, type, err)) return false;
  writeValue(bytes.data(), type, clampTo(type, value));
  return true;
}

bool ArrayList::getValues(int array, int element, std::int64_t x, std::int64_t y,
                          std::int32_t* values, ErrorState& err) {
  std::span<std::uint8_t> bytes;
  int type = 0;
  if (!locate(array, element, x, y, false, bytes, type, err)) return false;
  if (isInteger(type)) {
    values[0] = readValue(bytes.data(), type);
    return true;
  }
  for (int i = 0; i < elementValueCount(type); ++i) values[i] = readValue(bytes.data() + 4 * i, kS32);
  return true;
}

bool ArrayList::setValues(int array, int element, std::int64_t x, std::int64_t y,
                          const std::int32_t* values, ErrorState& err, bool initialising) {
  std::span<std::uint8_t> bytes;
  int type = 0;
  if (!locate(array, element, x, y, true, bytes, type, err, initialising)) return false;
  if (isInteger(type)) {
    writeValue(bytes.data(), type, clampTo(type, values[0]));
    return true;
  }
  for (int i = 0; i < elementValueCount(type); ++i) writeValue(bytes.data() + 4 * i, kS32, values[i]);
  return true;
}

bool ArrayList::peek(int array, int size, std::int64_t offset, std::int32_t& value, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  const int type = std::clamp(size, 0, 3);
  if (a->system && elementSize(type) == 2 && (offset & 1)) return fail(err, err::kMisaligned);
  std::span<std::uint8_t> bytes = data(array, offset, elementSize(type), false);
  if (bytes.empty()) return fail(err, err::kArrayIndexOutOfRange);
  value = readValue(bytes.data(), type);
  return true;
}

bool ArrayList::poke(int array, int size, std::int64_t offset, std::int32_t value, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->readOnly()) return fail(err, err::kArrayReadOnly);
  const int type = std::clamp(size, 0, 3);
  if (a->system && elementSize(type) == 2 && (offset & 1)) return fail(err, err::kMisaligned);
  std::span<std::uint8_t> bytes = data(array, offset, elementSize(type), true);
  if (bytes.empty()) return fail(err, err::kArrayIndexOutOfRange);
  // The memory size cuts the value to its bytes, as a store of that width does.
  writeValue(bytes.data(), type, value);
  return true;
}

bool ArrayList::clearBytes(int array, std::int32_t byte, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->readOnly()) return fail(err, err::kArrayReadOnly);
  if (a->totalSize == 0) return true;
  if (a->system) {
    // A built-in array's Dim X may pass what the machine models (VRAM and
    // PRAM): clear the memory there is, piece by piece as the machine maps it.
    if (!memory_) return fail(err, err::kArrayIndexOutOfRange);
    const std::int64_t limit = std::min<std::int64_t>(a->totalSize, kWorkRamCapacity);
    for (std::int64_t at = 0; at < limit;) {
      std::span<std::uint8_t> piece = memory_->bytes(a->memoryKind, std::uint32_t(at), true);
      if (piece.empty()) break;
      const std::size_t n = std::size_t(std::min<std::int64_t>(std::int64_t(piece.size()), limit - at));
      std::fill_n(piece.begin(), n, std::uint8_t(byte));
      at += std::int64_t(n);
    }
    return true;
  }
  std::span<std::uint8_t> bytes = data(array, 0, a->totalSize, true);
  if (bytes.empty()) return fail(err, err::kArrayIndexOutOfRange);
  std::fill(bytes.begin(), bytes.end(), std::uint8_t(byte));
  return true;
}

bool ArrayList::copyRecord(int array, std::int64_t from, std::int64_t to, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->twoDimensional()) return fail(err, err::kWrongArrayDimensions);
  if (a->readOnly()) return fail(err, err::kArrayReadOnly);
  if (from < 0 || from >= a->dimX || to < 0 || to >= a->dimX) return fail(err, err::kArrayIndexOutOfRange);
  const std::int64_t size = a->recordSize;
  std::span<std::uint8_t> src = data(array, from * size, size, false);
  std::span<std::uint8_t> dst = data(array, to * size, size, true);
  if ((src.empty() || dst.empty()) && size > 0) return fail(err, err::kArrayIndexOutOfRange);
  if (size > 0) std::memmove(dst.data(), src.data(), std::size_t(size));
  return true;
}

bool ArrayList::swapRecords(int array, std::int64_t i, std::int64_t j, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->twoDimensional()) return fail(err, err::kWrongArrayDimensions);
  if (a->readOnly()) return fail(err, err::kArrayReadOnly);
  if (i < 0 || i >= a->dimX || j < 0 || j >= a->dimX) return fail(err, err::kArrayIndexOutOfRange);
  const std::int64_t size = a->recordSize;
  std::span<std::uint8_t> p = data(array, i * size, size, true);
  std::span<std::uint8_t> q = data(array, j * size, size, true);
  if ((p.empty() || q.empty()) && size > 0) return fail(err, err::kArrayIndexOutOfRange);
  if (i != j) std::swap_ranges(p.begin(), p.end(), q.begin());
  return true;
}

bool ArrayList::sortRecords(int array, int element, std::int64_t lo, std::int64_t hi,
                            std::int32_t direction, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->twoDimensional()) return fail(err, err::kWrongArrayDimensions);
  if (element < 0 || std::size_t(element) >= a->elements.size()) return fail(err, err::kUnknownArrayElement);
  const int type = a->elements[std::size_t(element)].type;
  if (!isInteger(type)) return fail(err, err::kDirect3DAccess);
  if (a->readOnly()) return fail(err, err::kArrayReadOnly);
  if (hi < lo) return fail(err, err::kBadSortRange);
  if (lo < 0 || hi >= a->dimX) return fail(err, err::kArrayIndexOutOfRange);
  const std::int64_t size = a->recordSize;
  const std::int64_t n = hi - lo + 1;
  std::span<std::uint8_t> bytes = data(array, lo * size, n * size, true);
  if (bytes.empty() && size > 0) return fail(err, err::kArrayIndexOutOfRange);
  const std::int64_t keyOffset = a->elements[std::size_t(element)].offset;
  std::vector<std::int32_t> keys(std::size_t(n), 0);
  for (std::int64_t r = 0; r < n; ++r) {
    // Records whose key runs past the end of a built-in memory read as 0.
    if (keyOffset + r * size + elementSize(type) <= std::int64_t(bytes.size()))
      keys[std::size_t(r)] = readValue(bytes.data() + r * size + keyOffset, type);
  }
  std::vector<std::size_t> order(static_cast<std::size_t>(n));
  std::iota(order.begin(), order.end(), std::size_t(0));
  if (direction == 0)
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t p, std::size_t q) { return keys[p] < keys[q]; });
  else
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t p, std::size_t q) { return keys[p] > keys[q]; });
  std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
  for (std::size_t r = 0; r < order.size(); ++r)
    std::memcpy(bytes.data() + r * std::size_t(size), copy.data() + order[r] * std::size_t(size),
                std::size_t(size));
  return true;
}

bool ArrayList::find1D(int array, int element, std::int64_t lo, std::int64_t hi,
                       const ValueMatch& matches, std::int32_t& found, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->twoDimensional()) return fail(err, err::kWrongArrayDimensions);
  if (hi == 0) hi = a->dimX - 1;
  if (hi < lo) return fail(err, err::kBadSortRange);
  if (lo < 0 || hi >= a->dimX) return fail(err, err::kArrayIndexOutOfRange);
  found = -1;
  for (std::int64_t x = lo; x <= hi; ++x) {
    std::int32_t v = 0;
    if (!getElement(array, element, x, 0, v, err)) return false;
    if (matches(v)) {
      found = std::int32_t(x);
      return true;
    }
  }
  return true;
}

bool ArrayList::find2D(int array, int element, std::int64_t xFirst, std::int64_t x0, std::int64_t y0,
                       std::int64_t x1, std::int64_t y1, const ValueMatch& matches,
                       std::int32_t& foundX, std::int32_t& foundY, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (!a->twoDimensional()) return fail(err, err::kWrongArrayDimensions);
  if (x1 == 0) x1 = a->dimX - 1;
  if (y1 == 0) y1 = a->dimY - 1;
  if (x1 < x0 || y1 < y0 || x1 < xFirst) return fail(err, err::kBadSortRange);
  if (x0 < 0 || xFirst < 0 || y0 < 0 || x1 >= a->dimX || y1 >= a->dimY) return fail(err, err::kArrayIndexOutOfRange);
  foundX = foundY = -1;
  for (std::int64_t y = y0; y <= y1; ++y) {
    for (std::int64_t x = y == y0 ? xFirst : x0; x <= x1; ++x) {
      std::int32_t v = 0;
      if (!getElement(array, element, x, y, v, err)) return false;
      if (matches(v)) {
        foundX = std::int32_t(x);
        foundY = std::int32_t(y);
        return true;
      }
    }
  }
  return true;
}

bool ArrayList::copyArray(int target, int source, bool twoDimensional, ErrorState& err) {
  const ArrayDef* t = at(target);
  const ArrayDef* s = at(source);
  if (!t || !s) return fail(err, err::kBadArrayId);
  if (t->twoDimensional() != twoDimensional || s->twoDimensional() != twoDimensional)
    return fail(err, err::kWrongArrayDimensions);
  if (t->dimX != s->dimX || (twoDimensional && t->dimY != s->dimY) || t->totalSize != s->totalSize)
    return fail(err, err::kArraySizesDiffer);
  if (t->readOnly()) return fail(err, err::kArrayReadOnly);
  if (t->totalSize == 0) return true;
  std::span<std::uint8_t> from = data(source, 0, s->totalSize, false);
  std::span<std::uint8_t> to = data(target, 0, t->totalSize, true);
  if (from.empty() || to.empty()) return fail(err, err::kArrayIndexOutOfRange);
  std::memmove(to.data(), from.data(), to.size());
  return true;
}

bool ArrayList::blockCopy(int array, std::int64_t x, std::int64_t y, int other,
                          std::int32_t& offset, bool intoRecord, bool advance, ErrorState& err) {
  const ArrayDef* a = at(array);
  const ArrayDef* o = at(other);
  if (!a || !o) return fail(err, err::kBadArrayId);
  std::int64_t start = 0, length = a->totalSize;
  if (x != -1) {
    if (x < 0 || x >= a->dimX) return fail(err, err::kArrayIndexOutOfRange);
    if (a->twoDimensional() ? (y < 0 || y >= a->dimY) : y != 0) return fail(err, err::kArrayIndexOutOfRange);
    start = (x + (a->twoDimensional() ? y * a->dimX : 0)) * a->recordSize;
    length = a->recordSize;
  }
  if ((intoRecord ? a : o)->readOnly()) return fail(err, err::kArrayReadOnly);
  if (offset < 0 || offset + length > o->totalSize) return fail(err, err::kArrayIndexOutOfRange);
  if (length > 0) {
    std::span<std::uint8_t> record = data(array, start, length, intoRecord);
    std::span<std::uint8_t> bytes = data(other, offset, length, !intoRecord);
    if (record.empty() || bytes.empty()) return fail(err, err::kArrayIndexOutOfRange);
    if (intoRecord) std::memmove(record.data(), bytes.data(), std::size_t(length));
    else std::memmove(bytes.data(), record.data(), std::size_t(length));
  }
  if (advance) offset = std::int32_t(offset + length);
  return true;
}

bool ArrayList::saveData(int array, bool twoDimensional, const std::string& path, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->twoDimensional() != twoDimensional) return fail(err, err::kWrongArrayDimensions);
  std::span<std::uint8_t> bytes = data(array, 0, a->totalSize, false);
  if (bytes.empty() && a->totalSize > 0) return fail(err, err::kArraySaveFailed);
  if (!platform::safeWrite(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    return fail(err, err::kArraySaveFailed);
  return true;
}

bool ArrayList::loadData(int array, bool twoDimensional, const std::string& path, ErrorState& err) {
  const ArrayDef* a = at(array);
  if (!a) return fail(err, err::kBadArrayId);
  if (a->twoDimensional() != twoDimensional) return fail(err, err::kWrongArrayDimensions);
  if (a->readOnly()) return fail(err, err::kArrayReadOnly);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return fail(err, err::kArrayLoadFailed);
  const std::uintmax_t length = std::filesystem::file_size(path, ec);
  if (ec) return fail(err, err::kArrayLoadFailed);
  if (std::int64_t(length) != a->totalSize) return fail(err, err::kArrayFileSizeMismatch);
  std::span<std::uint8_t> bytes = data(array, 0, a->totalSize, true);
  if (bytes.empty() && a->totalSize > 0) return fail(err, err::kArrayLoadFailed);
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail(err, err::kArrayLoadFailed);
  // Read into a scratch buffer first so a short read leaves the array as it was.
  std::vector<char> buffer(std::size_t(a->totalSize));
  if (!buffer.empty() && !in.read(buffer.data(), std::streamsize(buffer.size())))
    return fail(err, err::kArrayLoadFailed);
  std::memcpy(bytes.data(), buffer.data(), buffer.size());
  return true;
}

}  // namespace tarvolin::project
