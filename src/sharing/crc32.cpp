#include "sharing/crc32.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace tarvolin::sharing {

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const Bytef*>(data);
  while (size > 0) {
    const uInt piece = size > (1u << 30) ? (1u << 30) : uInt(size);
    crc = std::uint32_t(::crc32(crc, p, piece));
    p += piece;
    size -= piece;
  }
  return crc;
}

std::uint32_t crc32Of(std::string_view bytes) { return crc32Update(0, bytes.data(), bytes.size()); }

bool fileCrc32(const std::string& path, std::uint32_t& crc, std::uint64_t limit) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return false;
  std::vector<char> buffer(64 * 1024);
  std::uint32_t c = 0;
  std::uint64_t left = limit;
  while (left > 0) {
    const std::size_t want = left < buffer.size() ? std::size_t(left) : buffer.size();
    const std::size_t got = std::fread(buffer.data(), 1, want, f.get());
    c = crc32Update(c, buffer.data(), got);
    if (limit != UINT64_MAX) left -= got;
    if (got < want) {
      if (std::ferror(f.get())) return false;
      if (limit != UINT64_MAX) return false;  // shorter than asked
      break;
    }
  }
  crc = c;
  return true;
}

}  // namespace tarvolin::sharing
