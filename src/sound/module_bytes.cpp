#include "sound/module_bytes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarvolin::sound::detail {

bool readWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
  // A file that already holds these bytes keeps its time stamp.
  std::string existing;
  if (std::filesystem::exists(path) && readWholeFile(path, existing) && existing == bytes) return true;
  const std::string temp = path + ".~tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace tarvolin::sound::detail
