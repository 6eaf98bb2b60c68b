#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "common/text.h"

namespace tarvolin::platform {

std::string toNativeSeparators(std::string_view stored) {
  std::string out(stored);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool isAbsolutePath(std::string_view stored) {
  if (stored.empty()) return false;
  if (stored[0] == '/' || stored[0] == '\\') return true;
  return stored.size() >= 3 && stored[1] == ':' && (stored[2] == '\\' || stored[2] == '/');
}

std::string joinPath(std::string_view folder, std::string_view relative) {
  std::string out = toNativeSeparators(folder);
  std::string rel = toNativeSeparators(relative);
  while (rel.size() >= 2 && rel[0] == '.' && rel[1] == '/') rel.erase(0, 2);
  if (out.empty()) return rel;
  if (rel.empty()) return out;
  if (out.back() != '/') out += '/';
  return out + rel;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Finds `name` in `folder` ignoring ASCII case; empty when not found.
static std::string findEntryIgnoringCase(const std::string& folder, std::string_view name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* e = ::readdir(dir)) {
    if (equalsIgnoreCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

std::string normalisePath(std::string_view path) {
  const bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string_view> kept;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) slash = path.size();
    const std::string_view part = path.substr(start, slash - start);
    start = slash + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!kept.empty() && kept.back() != "..") kept.pop_back();
      else if (!absolute) kept.push_back(part);  // above the root is the root
      continue;
    }
    kept.push_back(part);
  }
  std::string out = absolute ? "/" : "";
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i) out += '/';
    out += kept[i];
  }
  return out.empty() ? "." : out;
}

std::string resolvePath(std::string_view base, std::string_view stored) {
  std::string path;
  std::string native = toNativeSeparators(stored);
  if (native.size() >= 3 && native[1] == ':' && native[2] == '/') native.erase(0, 2);  // drive
  path = (isAbsolutePath(native) || base.empty()) ? native : joinPath(base, native);
  if (path.empty()) return path;
  // ".." takes back the name before it in the text, as the paths' home
  // system does, so a folder that does not exist can be stepped out of.
  path = normalisePath(path);
  if (exists(path)) return path;

  // Walk component by component, correcting case where needed.
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    parts.emplace_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  std::string built = path[0] == '/' ? "/" : "";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) continue;
    std::string candidate = built.empty() || built.back() == '/' ? built + part : built + "/" + part;
    if (part == "." || part == ".." || exists(candidate)) {
      built = candidate;
      continue;
    }
    std::string entry = findEntryIgnoringCase(built.empty() ? "." : built, part);
    if (entry.empty()) return path;
    built = built.empty() || built.back() == '/' ? built + entry : built + "/" + entry;
  }
  return built;
}

namespace {

// The path with its links followed as far as it exists; the rest as written.
std::string physicalPath(std::string_view path) {
  std::string head = normalisePath(path);
  std::string tail;
  while (true) {
    char buffer[PATH_MAX];
    if (::realpath(head.c_str(), buffer)) {
      std::string out = buffer;
      if (!tail.empty()) out = joinPath(out, tail);
      return normalisePath(out);
    }
    const std::size_t slash = head.rfind('/');
    if (slash == std::string::npos || head == "/") return normalisePath(joinPath(head, tail));
    const std::string last = head.substr(slash + 1);
    tail = tail.empty() ? last : last + "/" + tail;
    head = slash == 0 ? "/" : head.substr(0, slash);
  }
}

}  // namespace

bool isInsideFolder(std::string_view path, std::string_view folder) {
  if (path.empty() || folder.empty()) return false;
  const std::string p = physicalPath(toNativeSeparators(path));
  const std::string f = physicalPath(toNativeSeparators(folder));
  if (p == f) return true;
  if (f == "/") return p.size() > 1 && p[0] == '/';
  return p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/';
}

std::string_view fileNameOf(std::string_view path) {
  std::size_t p = path.find_last_of("/\\");
  return p == std::string_view::npos ? path : path.substr(p + 1);
}

std::string_view folderOf(std::string_view path) {
  std::size_t p = path.find_last_of("/\\");
  return p == std::string_view::npos ? std::string_view{} : path.substr(0, p);
}

bool makeFolders(const std::string& path) {
  if (path.empty()) return false;
  if (folderExists(path)) return true;
  std::string native = toNativeSeparators(path);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  std::size_t pos = native[0] == '/' ? 1 : 0;
  while (true) {
    std::size_t slash = native.find('/', pos);
    std::string prefix = native.substr(0, slash);
    if (!prefix.empty() && !folderExists(prefix)) {
      if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  return folderExists(native);
}

namespace {

bool listInto(const std::string& folder, const std::string& relative, const std::string& realRoot,
              std::vector<ListedFile>& files) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  std::vector<std::string> names;
  while (dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    const std::string rel = relative.empty() ? name : relative + "/" + name;
    struct stat link;
    struct stat target;
    if (::lstat(path.c_str(), &link) != 0) continue;
    if (S_ISDIR(link.st_mode)) {
      listInto(path, rel, realRoot, files);
      continue;
    }
    if (::stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) continue;
    ListedFile f{rel, false};
    if (S_ISLNK(link.st_mode)) {
      char buffer[PATH_MAX];
      const std::string real = ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
      f.outside = real.size() <= realRoot.size() || real.compare(0, realRoot.size(), realRoot) != 0 ||
                  real[realRoot.size()] != '/';
    }
    files.push_back(std::move(f));
  }
  return true;
}

}  // namespace

bool listFilesBelow(const std::string& folder, std::vector<ListedFile>& files) {
  files.clear();
  char buffer[PATH_MAX];
  if (!folderExists(folder) || !::realpath(folder.c_str(), buffer)) return false;
  if (!listInto(folder, "", buffer, files)) return false;
  std::sort(files.begin(), files.end(),
            [](const ListedFile& a, const ListedFile& b) { return a.relative < b.relative; });
  return true;
}

bool staysInside(std::string_view stored) {
  if (stored.empty() || isAbsolutePath(stored)) return false;
  if (stored.size() >= 2 && stored[1] == ':') return false;  // "C:name", relative to a drive
  std::size_t start = 0;
  while (start <= stored.size()) {
    std::size_t end = stored.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = stored.size();
    if (stored.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace tarvolin::platform
