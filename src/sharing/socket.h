// A TCP stream for the sharing protocol (POSIX sockets, IPv4 and IPv6): whole
// sends and receives, framed messages, a time-out on silence and a cancel
// flag checked while waiting. Failing socket calls report a diagnostic line
// ("Error recv: " and the error's description) through a callback.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarvolin::sharing {

enum class IoResult { Ok, Closed, Failed, TimedOut, Cancelled };

using DiagnosticSink = std::function<void(std::string_view line)>;
// Writes diagnostic lines to standard output.
void printDiagnostic(std::string_view line);

class Connection {
 public:
  Connection() = default;
  explicit Connection(int fd);
  ~Connection();
  Connection(Connection&& other) noexcept;
  Connection& operator=(Connection&& other) noexcept;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Resolves `host` and connects to the first of its addresses that accepts
  // (waiting at most `timeoutMs`, and giving up when `cancel` becomes true).
  // On failure `code` holds the socket error number (0 for a time-out or a
  // cancel) and the diagnostic line has been written.
  static IoResult connectTo(const std::string& host, int port, int timeoutMs,
                            const std::atomic<bool>* cancel, const DiagnosticSink& diag,
                            Connection& out, int& code);

  bool valid() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // Longest wait for the peer (no byte arriving or none leaving); <= 0 waits
  // for ever.
  void setTimeout(int ms) { timeoutMs_ = ms; }
  int timeout() const { return timeoutMs_; }
  void setCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  const std::atomic<bool>* cancelFlag() const { return cancel_; }
  void setDiagnostics(DiagnosticSink diag) { diag_ = std::move(diag); }

  IoResult sendAll(std::string_view bytes);
  IoResult receiveExact(char* buffer, std::size_t size);
  // A framed message: 32-bit little-endian length, then the payload. Messages
  // are gathered and go out together when this side next waits for the
  // peer, when many are waiting, or on `flush`.
  IoResult sendMessage(std::string_view payload);
  IoResult flush();
  // Fails on a length above kMaxPayload (the stream cannot be trusted then).
  IoResult receiveMessage(std::string& payload);

  // The socket error number of the last failure.
  int lastCode() const { return lastCode_; }
  void shutdownBoth();
  void close();

 private:
  enum class Wait { Ready, TimedOut, Cancelled, Failed };
  Wait waitFor(short events);

  IoResult fill(std::size_t want);

  int fd_ = -1;
  std::string out_;      // messages not yet sent
  std::string in_;       // bytes received and not yet taken
  std::size_t inAt_ = 0;
  int timeoutMs_ = 0;
  const std::atomic<bool>* cancel_ = nullptr;
  DiagnosticSink diag_;
  int lastCode_ = 0;
};

// A listening TCP socket for the server.
class Listener {
 public:
  Listener() = default;
  ~Listener();
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds `address` (a host name or numeric address) at `port` (0: any free
  // port). False with a message on failure.
  bool listen(const std::string& address, int port, std::string& error);
  int port() const { return port_; }
  // Waits up to `waitMs` for a connection; an invalid Connection when none.
  Connection accept(int waitMs);
  void close();

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace tarvolin::sharing
