#include "platform/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace tarvolin::platform {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// The one piece of process-wide state: a signal handler reaches nothing
// else. -1 while no catcher is active.
std::atomic<int> gWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs a lock-free fd");

struct sigaction gPrevious[kSignals.size()];

extern "C" void onTerminationSignal(int signal) {
  const int saved = errno;
  const int fd = gWriteFd.load(std::memory_order_relaxed);
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request: losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
  int expected = -1;
  if (!gWriteFd.compare_exchange_strong(expected, fds[1])) {
    ::close(fds[0]);
    ::close(fds[1]);
    return;
  }
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    if (::sigaction(kSignals[i], &action, &gPrevious[i]) != 0) {
      for (std::size_t j = 0; j < i; ++j) ::sigaction(kSignals[j], &gPrevious[j], nullptr);
      gWriteFd.store(-1);
      ::close(fds[0]);
      ::close(fds[1]);
      return;
    }
  }
  readFd_ = fds[0];
  writeFd_ = fds[1];
}

TerminationSignals::~TerminationSignals() {
  if (!active()) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &gPrevious[i], nullptr);
  gWriteFd.store(-1);
  ::close(readFd_);
  ::close(writeFd_);
}

std::vector<int> TerminationSignals::take() {
  std::vector<int> signals;
  if (!active()) return signals;
  unsigned char buffer[64];
  for (;;) {
    const ssize_t n = ::read(readFd_, buffer, sizeof buffer);
    if (n > 0) {
      signals.insert(signals.end(), buffer, buffer + n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return signals;  // empty (EAGAIN) or closed
  }
}

}  // namespace tarvolin::platform
