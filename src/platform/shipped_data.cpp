#include "platform/shipped_data.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace tarvolin::platform {

std::string executableFolder() {
  char buf[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  buf[n] = '\0';
  const std::string_view folder = folderOf(buf);
  return folder.empty() ? std::string("/") : std::string(folder);
}

static bool present(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string findShippedData(std::string_view exeFolder, std::string_view name,
                            std::string_view buildDataFolder) {
  const std::string_view besideName = name == "guide" ? std::string_view("UserGuide") : name;
  const std::string beside = joinPath(exeFolder, besideName);
  if (present(beside)) return beside;
  const std::string installed = joinPath(joinPath(exeFolder, "../share/tarvolin"), name);
  if (present(installed)) return installed;
  return joinPath(buildDataFolder, name);
}

}  // namespace tarvolin::platform
