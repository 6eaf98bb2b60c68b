// The signals that ask a program to end: SIGTERM (kill, a service stop),
// SIGINT (Ctrl-C in a terminal) and SIGHUP (the session ends). The handler
// only writes the signal's number as one byte to a non-blocking pipe, which
// is all a signal handler may safely do; the program watches the pipe's
// read end in its own loop and ends there in its normal way.
#pragma once

#include <vector>

namespace tarvolin::platform {

class TerminationSignals {
 public:
  // Installs the handlers. One catcher at a time: while one is active,
  // another stays inactive. The handlers found before come back when the
  // active one is destroyed.
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // False when the pipe or the handlers could not be set up (or another
  // catcher is active): the signals then act as they did before.
  bool active() const { return readFd_ >= 0; }
  // The pipe's read end, to watch for readability; -1 when inactive.
  int readFd() const { return readFd_; }
  // The signals that arrived since the last call, oldest first; never blocks.
  std::vector<int> take();

 private:
  int readFd_ = -1;
  int writeFd_ = -1;
};

}  // namespace tarvolin::platform
