// Last-write times of files in the form shared lists store them: a 64-bit
// count of 100 ns ticks since 1601-01-01 00:00 UTC, so lists written on other
// systems keep their meaning.
#pragma once

#include <cstdint>
#include <string>

namespace tarvolin::platform {

// Seconds between 1601-01-01 and 1970-01-01.
inline constexpr std::uint64_t kEpochGapSeconds = 11644473600ULL;
inline constexpr std::uint64_t kTicksPerSecond = 10000000ULL;

// The last-write time of a file; false when it cannot be read.
bool fileWriteTime(const std::string& path, std::uint64_t& ticks);

// Sets a file's last-write time; false on failure.
bool setFileWriteTime(const std::string& path, std::uint64_t ticks);

}  // namespace tarvolin::platform
