#include "sharing/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace tarvolin::sharing::test {

bool ChildProcess::start(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& input) {
  int fds[2], in[2];
  if (::pipe2(fds, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0) return false;
  pid_ = ::fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    ::dup2(fds[1], 1);
    ::dup2(in[0], 0);
    const int devnull = ::open("/dev/null", O_RDWR);
    ::dup2(devnull, 2);
    for (const std::string& e : env) ::putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  ::close(in[0]);
  if (!input.empty() && ::write(in[1], input.data(), input.size()) < 0) {
  }
  ::close(in[1]);
  out_ = fds[0];
  return true;
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(SIGKILL);
    wait();
  }
  if (out_ >= 0) ::close(out_);
}

bool ChildProcess::readLine(std::string& line, int waitMs) {
  for (;;) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::read(out_, buffer, sizeof buffer);
    if (n <= 0) return false;
    pending_.append(buffer, std::size_t(n));
  }
}

void ChildProcess::kill(int signal) {
  if (pid_ > 0) ::kill(pid_, signal);
}

int ChildProcess::wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tarvolin::sharing::test
