// Bounds-checked byte access for the module readers and an appending writer
// for the module writers. Reads outside the data give 0, so a truncated file
// reads as if padded with zeros; callers check `has` where that matters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarvolin::sound::detail {

class ByteView {
 public:
  explicit ByteView(std::string_view bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  // Whether `count` bytes from `offset` lie inside the data.
  bool has(std::size_t offset, std::size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  std::uint8_t u8(std::size_t offset) const {
    return offset < bytes_.size() ? static_cast<std::uint8_t>(bytes_[offset]) : 0;
  }
  std::int8_t s8(std::size_t offset) const { return static_cast<std::int8_t>(u8(offset)); }
  std::uint16_t le16(std::size_t offset) const {
    return static_cast<std::uint16_t>(u8(offset) | (u8(offset + 1) << 8));
  }
  std::uint32_t le32(std::size_t offset) const {
    return static_cast<std::uint32_t>(le16(offset)) | (static_cast<std::uint32_t>(le16(offset + 2)) << 16);
  }
  std::uint16_t be16(std::size_t offset) const {
    return static_cast<std::uint16_t>((u8(offset) << 8) | u8(offset + 1));
  }
  // Text of at most `count` bytes, cut at the first NUL.
  std::string text(std::size_t offset, std::size_t count) const {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t c = u8(offset + i);
      if (c == 0) break;
      out.push_back(static_cast<char>(c));
    }
    return out;
  }
  // Bytes available from `offset` (0 past the end).
  std::size_t available(std::size_t offset) const {
    return offset < bytes_.size() ? bytes_.size() - offset : 0;
  }
  const char* data() const { return bytes_.data(); }

 private:
  std::string_view bytes_;
};

class ByteSink {
 public:
  void u8(unsigned v) { out_.push_back(static_cast<char>(v & 0xFF)); }
  void le16(unsigned v) { u8(v); u8(v >> 8); }
  void le32(std::uint32_t v) { le16(v & 0xFFFF); le16(v >> 16); }
  void be16(unsigned v) { u8(v >> 8); u8(v); }
  // `text` padded with NULs (or cut) to exactly `count` bytes.
  void text(std::string_view text, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) u8(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
  }
  void zeros(std::size_t count) { out_.append(count, '\0'); }
  std::size_t size() const { return out_.size(); }
  void patchLe16(std::size_t offset, unsigned v) {
    out_[offset] = static_cast<char>(v & 0xFF);
    out_[offset + 1] = static_cast<char>((v >> 8) & 0xFF);
  }
  std::string& bytes() { return out_; }

 private:
  std::string out_;
};

}  // namespace tarvolin::sound::detail
