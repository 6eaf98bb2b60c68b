// Little-endian reads that check every offset against the data they read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvolin::project {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t size() const { return data_.size(); }
  // Whether `count` bytes from `offset` lie inside the data.
  bool has(std::size_t offset, std::size_t count) const {
    return offset <= data_.size() && count <= data_.size() - offset;
  }
  // The reads below give 0 outside the data; callers check `has` first.
  std::uint8_t u8(std::size_t offset) const { return has(offset, 1) ? data_[offset] : 0; }
  std::uint16_t u16(std::size_t offset) const {
    if (!has(offset, 2)) return 0;
    return static_cast<std::uint16_t>(data_[offset] | (data_[offset + 1] << 8));
  }
  std::uint32_t u32(std::size_t offset) const {
    if (!has(offset, 4)) return 0;
    return static_cast<std::uint32_t>(data_[offset]) |
           (static_cast<std::uint32_t>(data_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[offset + 3]) << 24);
  }
  std::int32_t s32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
  std::span<const std::uint8_t> bytes(std::size_t offset, std::size_t count) const {
    return has(offset, count) ? data_.subspan(offset, count) : std::span<const std::uint8_t>{};
  }

 private:
  std::span<const std::uint8_t> data_;
};

// Appends little-endian values to a byte vector (for the writers).
template <typename Vec>
void putU16(Vec& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
template <typename Vec>
void putU32(Vec& out, std::uint32_t v) {
  putU16(out, v & 0xFFFF);
  putU16(out, v >> 16);
}

}  // namespace tarvolin::project
