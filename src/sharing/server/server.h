// The project server: accepts clients of the sharing protocol, one thread
// per connection, and answers their transactions from the store. One commit
// per project at a time (others get "commit in progress"); updates and
// information requests go on meanwhile. Logins are checked against salted
// hashes, and a user name that fails too often is refused for a while.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "sharing/server/store.h"
#include "sharing/socket.h"

namespace tarvolin::sharing::server {

struct ServerOptions {
  std::string bind = "127.0.0.1";
  int port = 4285;                 // 0: any free port
  int idleTimeoutMs = 120000;      // longest silence from a client
  int maxLoginFailures = 5;        // failures in a row before a lock-out
  int lockoutMs = 60000;           // how long a locked-out name is refused
};

class SharingServer {
 public:
  explicit SharingServer(Store& store);
  ~SharingServer();
  SharingServer(const SharingServer&) = delete;
  SharingServer& operator=(const SharingServer&) = delete;

  // Binds and starts accepting; false with a message when binding fails.
  bool start(const ServerOptions& options, std::string& error);
  int port() const { return listener_.port(); }
  // Stops accepting, ends every session and waits for them.
  void stop();

  // One line per event (connections, logins, commits); dropped unless set.
  void setLog(std::function<void(std::string_view)> log) { log_ = std::move(log); }

  // Used by sessions.
  Store& store() { return store_; }
  const ServerOptions& options() const { return options_; }
  const std::atomic<bool>* stopFlag() const { return &stopping_; }
  bool lockCommit(std::int64_t project);
  void unlockCommit(std::int64_t project);
  // Checks a login, counting failures per user name.
  bool login(const std::string& user, std::uint32_t crc);
  void log(std::string_view line);

 private:
  void acceptLoop();
  void serve(Connection conn, std::uint32_t id);

  Store& store_;
  ServerOptions options_;
  Listener listener_;
  std::thread acceptThread_;
  std::atomic<bool> stopping_{false};
  std::atomic<std::uint32_t> nextId_{1};

  std::mutex sessionsMutex_;
  std::condition_variable sessionsDone_;
  int sessions_ = 0;

  std::mutex commitMutex_;
  std::set<std::int64_t> committing_;

  struct Failures {
    int count = 0;
    std::chrono::steady_clock::time_point lockedUntil{};
  };
  std::mutex loginMutex_;
  std::map<std::string, Failures> failures_;

  std::mutex logMutex_;
  std::function<void(std::string_view)> log_;
};

}  // namespace tarvolin::sharing::server
