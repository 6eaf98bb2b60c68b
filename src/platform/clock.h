// The millisecond stopwatch the frame loop and the timing figures use.
#pragma once

#include <cstdint>

namespace tarvolin::platform {

// Milliseconds from an arbitrary fixed start; wraps like a 32-bit tick count.
std::uint32_t milliseconds();

// A high-resolution reading in microseconds, for measuring frame costs.
std::uint64_t microseconds();

}  // namespace tarvolin::platform
