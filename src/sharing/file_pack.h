// File packs: the compressed bundles of files that client and server
// exchange. The content is a zlib stream (level 9) of
//   "NFP0", u16 version 1, u16 header size 16, u32 entry count,
//   u32 offset of the data area, the directory, then the file data in
//   directory order,
// with every directory entry
//   u16 entry size (name length + 21), u16 0, u32 file size, u32 offset of
//   the data from the start of the data area, u32 0, u16 0,
//   u16 name length + 1, the name and a NUL,
// all little-endian.
//
// Unpacking trusts nothing: the directory is checked against the data
// (counts, sizes, offsets, the announced total), decompression stops at the
// announced size and at a hard limit, every name must stay inside the
// destination, and nothing is written until the whole pack has passed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarvolin::sharing {

inline constexpr std::uint64_t kDefaultUnpackLimit = 1ULL << 30;  // 1 GiB

struct PackedFile {
  std::string name;  // as stored, relative to the packed folder
  std::uint32_t size = 0;
};

// Follows a long packing. `progress` hears, from the packing thread, the
// bytes of file data compressed so far and their total; `stop` is asked
// as often and, when true, ends the packing as a failure (no pack left).
struct PackWatch {
  std::function<void(std::uint64_t done, std::uint64_t total)> progress;
  std::function<bool()> stop;
};

// Packs the files `names` (relative to `folder`) into `packPath`. The names
// are stored with "\" between folders and without a drive prefix. False
// with a message when a file cannot be read or the pack cannot be written.
bool packFiles(const std::string& folder, const std::vector<std::string>& names,
               const std::string& packPath, std::string& error, const PackWatch* watch = nullptr);

// Packs files given by stored name and local path. With `cache` set, the
// file's compressed piece is taken from there when it holds one for this
// size, else compressed and kept there (the server keeps one per stored
// file). Files are compressed apart, on up to two threads.
struct PackSource {
  std::string name;
  std::string path;
  std::string cache;
};
bool packFileList(const std::vector<PackSource>& files, const std::string& packPath,
                  std::string& error, const PackWatch* watch = nullptr);

struct UnpackOptions {
  std::uint64_t limit = kDefaultUnpackLimit;  // most uncompressed bytes accepted
  // When set, every entry must carry one of these names (ignoring case).
  const std::vector<std::string>* allowedNames = nullptr;
  // Write each file straight under its name, not through a temporary file:
  // for a destination folder that is itself thrown away when incomplete.
  bool direct = false;
};

// Unpacks `packPath` into `destFolder` (created when missing). The
// uncompressed form passes through `packPath` + ".pak", which is deleted
// afterwards. On refusal nothing is written and `error` says why. `files`
// receives the directory of a pack that was unpacked.
bool unpackFiles(const std::string& packPath, const std::string& destFolder,
                 const UnpackOptions& options, std::string& error,
                 std::vector<PackedFile>* files = nullptr);

// The uncompressed form of a pack of in-memory files, for tests and tools.
std::string packImage(const std::vector<std::pair<std::string, std::string>>& files);
// Compresses bytes as a zlib stream at level 9.
std::string deflateBytes(const std::string& bytes);

}  // namespace tarvolin::sharing
