#include "sharing/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "sharing/socket_errors.h"
#include "sharing/wire.h"

namespace tarvolin::sharing {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSliceMs = 50;  // how often a wait looks at the cancel flag

void setNoDelay(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void report(const DiagnosticSink& diag, const char* what, int code) {
  if (diag) diag(std::string(what) + socketErrorText(code));
}

}  // namespace

void printDiagnostic(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

Connection::Connection(int fd) : fd_(fd) {
  if (fd_ >= 0) setNoDelay(fd_);
}
Connection::~Connection() { close(); }
Connection::Connection(Connection&& o) noexcept
    : fd_(o.fd_), out_(std::move(o.out_)), in_(std::move(o.in_)), inAt_(o.inAt_),
      timeoutMs_(o.timeoutMs_), cancel_(o.cancel_), diag_(std::move(o.diag_)),
      lastCode_(o.lastCode_) {
  o.fd_ = -1;
}
Connection& Connection::operator=(Connection&& o) noexcept {
  if (this != &o) {
    close();
    fd_ = o.fd_;
    out_ = std::move(o.out_);
    in_ = std::move(o.in_);
    inAt_ = o.inAt_;
    timeoutMs_ = o.timeoutMs_;
    cancel_ = o.cancel_;
    diag_ = std::move(o.diag_);
    lastCode_ = o.lastCode_;
    o.fd_ = -1;
  }
  return *this;
}

void Connection::shutdownBoth() {
  if (fd_ < 0) return;
  flush();
  ::shutdown(fd_, SHUT_RDWR);
}
void Connection::close() {
  if (fd_ >= 0) {
    flush();
    ::close(fd_);
  }
  fd_ = -1;
  out_.clear();
  in_.clear();
  inAt_ = 0;
}

Connection::Wait Connection::waitFor(short events) {
  const auto start = Clock::now();
  for (;;) {
    if (cancel_ && cancel_->load(std::memory_order_relaxed)) return Wait::Cancelled;
    int slice = kSliceMs;
    if (timeoutMs_ > 0) {
      const auto waited =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      if (waited >= timeoutMs_) return Wait::TimedOut;
      if (timeoutMs_ - waited < slice) slice = int(timeoutMs_ - waited);
    }
    pollfd p{fd_, events, 0};
    const int n = ::poll(&p, 1, slice);
    if (n > 0) return Wait::Ready;
    if (n < 0 && errno != EINTR) {
      lastCode_ = socketCodeOfErrno(errno);
      return Wait::Failed;
    }
  }
}

IoResult Connection::sendAll(std::string_view bytes) {
  if (fd_ < 0) return IoResult::Failed;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      done += std::size_t(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      switch (waitFor(POLLOUT)) {
        case Wait::Ready: continue;
        case Wait::TimedOut: return IoResult::TimedOut;
        case Wait::Cancelled: return IoResult::Cancelled;
        case Wait::Failed: report(diag_, "Error send: ", lastCode_); return IoResult::Failed;
      }
    }
    lastCode_ = socketCodeOfErrno(errno);
    report(diag_, "Error send: ", lastCode_);
    return IoResult::Failed;
  }
  return IoResult::Ok;
}

// Reads until at least `want` bytes wait in the input buffer, sending what
// is gathered before waiting.
IoResult Connection::fill(std::size_t want) {
  if (fd_ < 0) return IoResult::Failed;
  if (inAt_ > 0 && inAt_ == in_.size()) {
    in_.clear();
    inAt_ = 0;
  }
  while (in_.size() - inAt_ < want) {
    if (inAt_ > 0 && inAt_ > in_.size() / 2) {
      in_.erase(0, inAt_);
      inAt_ = 0;
    }
    const std::size_t have = in_.size();
    const std::size_t room = std::max<std::size_t>(64 * 1024, want);
    in_.resize(have + room);
    const ssize_t n = ::recv(fd_, in_.data() + have, room, MSG_DONTWAIT);
    in_.resize(have + (n > 0 ? std::size_t(n) : 0));
    if (n > 0) continue;
    if (n == 0) return IoResult::Closed;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!out_.empty()) {
        const IoResult sent = flush();
        if (sent != IoResult::Ok) return sent;
        continue;
      }
      switch (waitFor(POLLIN)) {
        case Wait::Ready: continue;
        case Wait::TimedOut: return IoResult::TimedOut;
        case Wait::Cancelled: return IoResult::Cancelled;
        case Wait::Failed: report(diag_, "Error recv: ", lastCode_); return IoResult::Failed;
      }
    }
    lastCode_ = socketCodeOfErrno(errno);
    report(diag_, "Error recv: ", lastCode_);
    return IoResult::Failed;
  }
  return IoResult::Ok;
}

IoResult Connection::receiveExact(char* buffer, std::size_t size) {
  const IoResult r = fill(size);
  if (r != IoResult::Ok) return r;
  std::memcpy(buffer, in_.data() + inAt_, size);
  inAt_ += size;
  return IoResult::Ok;
}

IoResult Connection::sendMessage(std::string_view payload) {
  if (fd_ < 0) return IoResult::Failed;
  char head[4];
  putLittle32(head, std::uint32_t(payload.size()));
  out_.append(head, 4);
  out_.append(payload);
  return out_.size() >= 64 * 1024 ? flush() : IoResult::Ok;
}

IoResult Connection::flush() {
  if (out_.empty()) return IoResult::Ok;
  std::string pending;
  pending.swap(out_);
  return sendAll(pending);
}

IoResult Connection::receiveMessage(std::string& payload) {
  IoResult r = fill(4);
  if (r != IoResult::Ok) return r;
  const std::uint32_t length = getLittle32(in_.data() + inAt_);
  if (length > kMaxPayload) return IoResult::Failed;
  r = fill(4 + std::size_t(length));
  if (r != IoResult::Ok) return r;
  payload.assign(in_, inAt_ + 4, length);
  inAt_ += 4 + length;
  return IoResult::Ok;
}

IoResult Connection::connectTo(const std::string& host, int port, int timeoutMs,
                               const std::atomic<bool>* cancel, const DiagnosticSink& diag,
                               Connection& out, int& code) {
  code = 0;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* list = nullptr;
  const std::string service = std::to_string(port);
  // A dotted address is taken as a number first; a name (or a failed
  // number) goes through the resolver.
  hints.ai_flags = AI_NUMERICHOST;
  int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  if (rc != 0) {
    hints.ai_flags = 0;
    rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  }
  if (rc != 0) {
    code = socketCodeOfResolver(rc, errno);
    report(diag, "Error in gethostbyname: ", code);
    return IoResult::Failed;
  }
  IoResult result = IoResult::Failed;
  const auto start = Clock::now();
  for (addrinfo* a = list; a; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      code = socketCodeOfErrno(errno);
      report(diag, "Error in socket: ", code);
      continue;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    Connection c(fd);
    c.setCancelFlag(cancel);
    int left = 0;
    if (timeoutMs > 0) {
      left = timeoutMs - int(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 Clock::now() - start).count());
      if (left <= 0) left = 1;
    }
    c.setTimeout(left);
    if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) {
        code = socketCodeOfErrno(errno);
        report(diag, "Error in connect: ", code);
        continue;
      }
      const Wait w = c.waitFor(POLLOUT);
      if (w == Wait::Cancelled || w == Wait::TimedOut) {
        code = 0;
        result = w == Wait::Cancelled ? IoResult::Cancelled : IoResult::TimedOut;
        break;
      }
      int err = 0;
      socklen_t len = sizeof err;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
      if (w == Wait::Failed || err != 0) {
        code = w == Wait::Failed ? c.lastCode_ : socketCodeOfErrno(err);
        report(diag, "Error in connect: ", code);
        continue;
      }
    }
    c.setTimeout(0);
    c.setCancelFlag(nullptr);
    out = std::move(c);
    result = IoResult::Ok;
    break;
  }
  ::freeaddrinfo(list);
  return result;
}

Listener::~Listener() { close(); }

void Listener::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool Listener::listen(const std::string& address, int port, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* list = nullptr;
  const std::string service = std::to_string(port);
  const int rc = ::getaddrinfo(address.empty() ? nullptr : address.c_str(), service.c_str(),
                               &hints, &list);
  if (rc != 0) {
    error = socketErrorText(socketCodeOfResolver(rc, errno));
    return false;
  }
  for (addrinfo* a = list; a; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 64) == 0) {
      sockaddr_storage bound{};
      socklen_t len = sizeof bound;
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &len);
      port_ = bound.ss_family == AF_INET6
                  ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                  : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
      fd_ = fd;
      ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
      ::freeaddrinfo(list);
      return true;
    }
    error = socketErrorText(socketCodeOfErrno(errno));
    ::close(fd);
  }
  ::freeaddrinfo(list);
  if (error.empty()) error = "Unknown (not listed) error";
  return false;
}

Connection Listener::accept(int waitMs) {
  if (fd_ < 0) return Connection();
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, waitMs) <= 0) return Connection();
  const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) return Connection();
  return Connection(fd);
}

}  // namespace tarvolin::sharing
