#include "platform/file_time.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tarvolin::platform {

bool fileWriteTime(const std::string& path, std::uint64_t& ticks) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Times before 1601 cannot be stored; they count as the earliest tick.
  const std::int64_t seconds = std::int64_t(st.st_mtim.tv_sec) + std::int64_t(kEpochGapSeconds);
  if (seconds < 0) {
    ticks = 0;
    return true;
  }
  ticks = std::uint64_t(seconds) * kTicksPerSecond + std::uint64_t(st.st_mtim.tv_nsec) / 100;
  return true;
}

bool setFileWriteTime(const std::string& path, std::uint64_t ticks) {
  const std::uint64_t seconds = ticks / kTicksPerSecond;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = time_t(std::int64_t(seconds) - std::int64_t(kEpochGapSeconds));
  times[1].tv_nsec = long((ticks % kTicksPerSecond) * 100);
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace tarvolin::platform
