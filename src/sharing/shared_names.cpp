#include "sharing/shared_names.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/text.h"
#include "platform/paths.h"

namespace tarvolin::sharing {

namespace fs = std::filesystem;

std::string storedName(std::string_view name) {
  std::string out(name);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

bool sameSharedName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i] == '/' ? '\\' : toLowerAscii(a[i]);
    char y = b[i] == '/' ? '\\' : toLowerAscii(b[i]);
    if (x != y) return false;
  }
  return true;
}

std::string sharedNameKey(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = c == '/' ? '\\' : toLowerAscii(c);
  return out;
}

bool isSafeRelativeName(std::string_view name, std::string* why) {
  auto refuse = [&](const char* reason) {
    if (why) *why = reason;
    return false;
  };
  if (name.empty()) return refuse("nombre vacío");
  if (name[0] == '/' || name[0] == '\\') return refuse("ruta absoluta");
  for (char c : name) {
    if (c == '\0') return refuse("carácter nulo dentro del nombre");
    if (static_cast<unsigned char>(c) < 32) return refuse("carácter de control en el nombre");
    if (c == ':') return refuse("prefijo de unidad o dos puntos en el nombre");
  }
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part.empty()) return refuse("carpeta vacía en el nombre");
    if (part == "." || part == "..") return refuse("'.' o '..' en el nombre");
    start = end + 1;
  }
  return true;
}

bool isNeverShared(std::string_view name) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (end > start && name[start] == '~') return true;
    start = end + 1;
  }
  return equalsIgnoreCase(platform::fileNameOf(name), "network_versions.txt");
}

bool listProjectFiles(const std::string& folder, bool excludeCvs, std::vector<std::string>& out) {
  out.clear();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return false;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  if (ec) return false;
  const fs::path base(folder);
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) return false;
    const fs::directory_entry& e = *it;
    const std::string leaf = e.path().filename().string();
    if (e.is_directory(ec) && !e.is_symlink(ec)) {
      if (excludeCvs && leaf == "CVS") it.disable_recursion_pending();
      continue;
    }
    if (!e.is_regular_file(ec)) continue;
    if (excludeCvs && leaf == "CVS") continue;
    out.push_back(storedName(e.path().lexically_relative(base).string()));
  }
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    const int c = compareIgnoreCase(a, b);
    return c != 0 ? c < 0 : a < b;
  });
  return true;
}

std::string localPathOf(const std::string& folder, std::string_view name) {
  return platform::resolvePath(folder, name);
}

}  // namespace tarvolin::sharing
