// Whole files: the one reader every subsystem uses for a file it takes in at
// once, and the one safe write for every file the program writes whole
// (asset files, scripts, images, music modules, samples, screenshots).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin::platform {

inline constexpr std::size_t kNoSizeLimit = std::numeric_limits<std::size_t>::max();

enum class ReadResult { Ok, Missing, TooLarge, Failed };

// Reads a whole regular file into `bytes`. Missing: no such file, or not a
// regular file; TooLarge: more than `limit` bytes; Failed: a read error.
// Anything but Ok leaves `bytes` empty.
ReadResult readFile(const std::string& path, std::string& bytes, std::size_t limit = kNoSizeLimit);
ReadResult readFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                    std::size_t limit = kNoSizeLimit);

inline bool readWholeFile(const std::string& path, std::string& bytes) {
  return readFile(path, bytes) == ReadResult::Ok;
}
inline bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  return readFile(path, bytes) == ReadResult::Ok;
}

// Writes `bytes` to `path` safely: the bytes go to a temporary file in the
// destination's own folder (its name begins with "~", so project sharing
// never sends it), are flushed to the disk, and replace the destination by an
// atomic rename only when they differ from what it holds. An unchanged file
// keeps its bytes and time stamp (project sharing relies on that); a link is
// followed and the file it names replaced, keeping its permissions. True
// when the destination holds `bytes` afterwards; false leaves it as it was.
bool safeWrite(const std::string& path, std::string_view bytes);
inline bool safeWrite(const std::string& path, std::span<const std::uint8_t> bytes) {
  return safeWrite(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace tarvolin::platform
