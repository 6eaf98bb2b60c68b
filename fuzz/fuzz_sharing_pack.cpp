// Reads arbitrary bytes as a received file pack, both as sent (a zlib
// stream) and as the content of one; unpacking must either refuse or write
// only inside the destination, never more than the pack announced.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "sharing/file_pack.h"

namespace fs = std::filesystem;
using namespace tarvolin::sharing;

namespace {

std::uint64_t bytesUnder(const fs::path& folder) {
  std::uint64_t total = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (ec) break;
    if (it->is_regular_file(ec)) total += it->file_size(ec);
  }
  return total;
}

void tryPack(const std::string& zlib, const fs::path& root) {
  fs::remove_all(root);
  fs::create_directories(root / "dest");
  const std::string pack = (root / "pack").string();
  std::ofstream(pack, std::ios::binary) << zlib;
  UnpackOptions options;
  options.limit = 16u << 20;
  std::string error;
  std::vector<PackedFile> files;
  const bool ok = unpackFiles(pack, (root / "dest").string(), options, error, &files);
  // Everything written lies in the destination; only the pack is beside it.
  for (const auto& e : fs::directory_iterator(root))
    if (e.path().filename() != "dest" && e.path().filename() != "pack") std::abort();
  const std::uint64_t written = bytesUnder(root / "dest");
  if (!ok && written != 0) std::abort();
  if (ok) {
    std::uint64_t announced = 0;
    for (const PackedFile& f : files) announced += f.size;
    if (written > announced) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fs::path root = fs::temp_directory_path() / ("fuzz-pack-" + std::to_string(::getpid()));
  tryPack(bytes, root);
  tryPack(deflateBytes(bytes), root);
  fs::remove_all(root);
  return 0;
}
