#include "sharing/file_ops.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/paths.h"

namespace tarvolin::sharing {
namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;
constexpr std::size_t kPiece = 64 * 1024;

std::string tempBeside(const std::string& to) {
  const std::string folder(platform::folderOf(to));
  return (folder.empty() ? std::string() : folder + "/") + "~copy.tmp";
}

// Writes through a temporary file; `fill` writes the bytes into it.
template <typename Fill>
bool replaceWith(const std::string& to, Fill fill) {
  const std::string folder(platform::folderOf(to));
  if (!folder.empty() && !platform::makeFolders(folder)) return false;
  const std::string temp = tempBeside(to);
  File out(std::fopen(temp.c_str(), "wb"), std::fclose);
  if (!out) return false;
  bool ok = fill(out.get());
  // On the disk before the rename, as the safe write does, so a crash never
  // leaves an empty file in place of the old one.
  ok = std::fflush(out.get()) == 0 && ::fsync(::fileno(out.get())) == 0 && ok;
  ok = std::fclose(out.release()) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), to.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

}  // namespace

bool copyFileAtomically(const std::string& from, const std::string& to) {
  File in(std::fopen(from.c_str(), "rb"), std::fclose);
  if (!in) return false;
  return replaceWith(to, [&](std::FILE* out) {
    std::string buffer(kPiece, '\0');
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in.get())) > 0)
      if (std::fwrite(buffer.data(), 1, got, out) != got) return false;
    return !std::ferror(in.get());
  });
}

bool writeTemporaryFile(const std::string& path, const std::string& bytes) {
  File out(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!out) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
  return std::fclose(out.release()) == 0 && ok;
}

bool sameFileContent(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size) return false;
  File fa(std::fopen(a.c_str(), "rb"), std::fclose);
  File fb(std::fopen(b.c_str(), "rb"), std::fclose);
  if (!fa || !fb) return false;
  std::string ba(kPiece, '\0'), bb(kPiece, '\0');
  for (;;) {
    const std::size_t na = std::fread(ba.data(), 1, kPiece, fa.get());
    const std::size_t nb = std::fread(bb.data(), 1, kPiece, fb.get());
    if (na != nb || std::memcmp(ba.data(), bb.data(), na) != 0) return false;
    if (na < kPiece) return !std::ferror(fa.get()) && !std::ferror(fb.get());
  }
}

bool removeFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  return !std::filesystem::exists(path, ec);
}

}  // namespace tarvolin::sharing
