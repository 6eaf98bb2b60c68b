#include "platform/clock.h"

#include <chrono>

namespace tarvolin::platform {

std::uint32_t milliseconds() {
  using namespace std::chrono;
  return static_cast<std::uint32_t>(
      duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::uint64_t microseconds() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<std::chrono::microseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace tarvolin::platform
