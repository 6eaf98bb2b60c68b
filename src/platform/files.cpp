#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/paths.h"

namespace tarvolin::platform {
namespace {

bool writeAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Creates a new temporary file beside the destination. Its name begins with
// "~" so that project sharing never sends it.
int createTemporary(const std::string& folder, std::string& tempPath) {
  std::random_device rd;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(rd()));
    tempPath = platform::joinPath(folder, std::string("~tempfile.dat.") + suffix);
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

template <typename Bytes>
ReadResult readInto(const std::string& path, Bytes& bytes, std::size_t limit) {
  bytes.clear();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ReadResult::Missing;
  if (static_cast<std::uint64_t>(st.st_size) > limit) return ReadResult::TooLarge;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ReadResult::Missing;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    if (bytes.size() + static_cast<std::size_t>(n) > limit) {  // the file grew while read
      ::close(fd);
      bytes.clear();
      return ReadResult::TooLarge;
    }
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  ::close(fd);
  if (!ok) {
    bytes.clear();
    return ReadResult::Failed;
  }
  return ReadResult::Ok;
}

}  // namespace

ReadResult readFile(const std::string& path, std::string& bytes, std::size_t limit) {
  return readInto(path, bytes, limit);
}

ReadResult readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t limit) {
  return readInto(path, bytes, limit);
}

bool safeWrite(const std::string& destination, std::string_view bytes) {
  if (destination.empty()) return false;
  // A link is followed, so the file it names is replaced, not the link.
  std::string path = destination;
  struct stat lst;
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      path = real;
      std::free(real);
    }
  }
  struct stat st;
  const bool destExists = ::stat(path.c_str(), &st) == 0;
  if (destExists && !S_ISREG(st.st_mode)) return false;
  if (destExists && static_cast<std::size_t>(st.st_size) == bytes.size()) {
    std::string current;
    if (readWholeFile(path, current) && current == bytes) return true;  // unchanged
  }

  std::string folder(platform::folderOf(path));
  if (folder.empty() && !path.empty() && path[0] == '/') folder.assign(1, '/');
  if (folder.empty()) folder.assign(1, '.');
  std::string tempPath;
  int fd = createTemporary(folder, tempPath);
  if (fd < 0) return false;
  bool ok = writeAll(fd, bytes);
  if (ok && destExists) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(tempPath.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(tempPath.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace tarvolin::platform
