// A program run as a child process for the sharing fault tests: its standard
// output read line by line, its end waited for, or killed.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tarvolin::sharing::test {

class ChildProcess {
 public:
  // Starts `args[0]` with the arguments, extra environment ("NAME=value")
  // and `input` as its standard input.
  bool start(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
             const std::string& input = {});
  ~ChildProcess();
  // The next line of standard output, waiting at most `waitMs`; false at the end.
  bool readLine(std::string& line, int waitMs = 10000);
  void kill(int signal);
  // Waits for the end; the exit status (-1 when killed by a signal).
  int wait();

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string pending_;
};

}  // namespace tarvolin::sharing::test
