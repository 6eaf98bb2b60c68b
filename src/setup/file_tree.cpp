#include "setup/file_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/paths.h"

namespace tarvolin::setup {

FolderListing listFolder(const std::string& folder) {
  FolderListing listing;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return listing;
  errno = 0;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    struct stat own;
    if (::lstat(path.c_str(), &own) != 0) continue;
    if (S_ISDIR(own.st_mode)) {
      listing.folders.push_back(name);
    } else {
      struct stat target;
      if (::stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode))
        listing.files.push_back(name);
    }
  }
  listing.ok = errno == 0;
  ::closedir(dir);
  std::sort(listing.files.begin(), listing.files.end());
  std::sort(listing.folders.begin(), listing.folders.end());
  return listing;
}

std::string absolutePath(std::string_view path, std::string_view base, std::string_view home) {
  std::string full;
  if (path == "~" || path.starts_with("~/")) full = std::string(home) + "/" + std::string(path.substr(1));
  else if (path.starts_with("/")) full = std::string(path);
  else full = std::string(base) + "/" + std::string(path);
  // Rooted, so a ".." above the top stays at "/" and the result is absolute
  // even for a relative base.
  return platform::normalisePath("/" + full);
}

bool isSameOrInside(std::string_view path, std::string_view folder) {
  if (folder == "/") return true;
  if (!path.starts_with(folder)) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

std::string resolveExisting(const std::string& path) {
  std::string existing = path;
  std::string rest;
  while (true) {
    char buf[PATH_MAX];
    if (::realpath(existing.c_str(), buf)) {
      std::string out = buf;
      if (!rest.empty()) out += (out == "/" ? "" : "/") + rest;
      return out;
    }
    const std::size_t slash = existing.rfind('/');
    if (slash == std::string::npos || existing == "/") return path;
    const std::string name = existing.substr(slash + 1);
    rest = rest.empty() ? name : name + "/" + rest;
    existing = slash == 0 ? std::string("/") : existing.substr(0, slash);
  }
}

std::string systemError(std::string_view what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool makeFoldersRecording(const std::string& path, std::vector<std::string>& created,
                          std::string& error) {
  std::size_t pos = 1;
  while (pos <= path.size()) {
    std::size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    const std::string prefix = path.substr(0, slash);
    struct stat st;
    if (::stat(prefix.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        error = systemError("No se puede crear la carpeta", prefix);
        return false;
      }
    } else if (::mkdir(prefix.c_str(), 0755) == 0) {
      created.push_back(prefix);
    } else if (errno != EEXIST) {
      error = systemError("No se puede crear la carpeta", prefix);
      return false;
    }
    pos = slash + 1;
  }
  return true;
}

namespace {

// A file descriptor closed on every way out.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string temporaryBeside(const std::string& path) { return path + ".~tarvolin-setup"; }

// Writes through `fill` into a temporary file, then renames it over `path`.
template <typename Fill>
bool replaceFile(const std::string& path, mode_t mode, std::string& error, Fill fill) {
  const std::string temp = temporaryBeside(path);
  Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (out.get() < 0) {
    error = systemError("No se puede escribir", path);
    return false;
  }
  bool ok = fill(out.get());
  if (!ok) error = systemError("No se puede escribir", path);
  if (ok && ::fchmod(out.get(), mode) != 0) {
    error = systemError("No se pueden fijar los permisos de", path);
    ok = false;
  }
  if (!out.close() && ok) {
    error = systemError("No se puede escribir", path);
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    error = systemError("No se puede reemplazar", path);
    ok = false;
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace

bool copyFile(const std::string& from, const std::string& to, std::string& error) {
  Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st;
  if (in.get() < 0 || ::fstat(in.get(), &st) != 0) {
    error = systemError("No se puede leer", from);
    return false;
  }
  bool readFailed = false;
  const bool ok = replaceFile(to, st.st_mode & 07777, error, [&](int fd) {
    std::vector<char> buffer(64 * 1024);
    while (true) {
      const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
      if (n == 0) return true;
      if (n < 0) {
        if (errno == EINTR) continue;
        readFailed = true;
        return false;
      }
      if (!writeAll(fd, buffer.data(), static_cast<std::size_t>(n))) return false;
    }
  });
  if (readFailed) error = systemError("No se puede leer", from);
  return ok;
}

bool writeFile(const std::string& path, std::string_view text, std::string& error) {
  if (platform::safeWrite(path, text)) return true;
  error = systemError("No se puede escribir", path);
  return false;
}

bool removeTree(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0;
  bool ok = true;
  if (DIR* dir = ::opendir(path.c_str())) {
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : names) ok = removeTree(path + "/" + name) && ok;
  }
  return ::rmdir(path.c_str()) == 0 && ok;
}

}  // namespace tarvolin::setup
