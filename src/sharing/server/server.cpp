#include "sharing/server/server.h"

#include "sharing/server/session.h"

namespace tarvolin::sharing::server {

SharingServer::SharingServer(Store& store) : store_(store) {}

SharingServer::~SharingServer() { stop(); }

bool SharingServer::start(const ServerOptions& options, std::string& error) {
  options_ = options;
  stopping_.store(false);
  if (!listener_.listen(options.bind, options.port, error)) return false;
  acceptThread_ = std::thread(&SharingServer::acceptLoop, this);
  return true;
}

void SharingServer::stop() {
  stopping_.store(true);
  if (acceptThread_.joinable()) acceptThread_.join();
  listener_.close();
  std::unique_lock lock(sessionsMutex_);
  sessionsDone_.wait(lock, [this] { return sessions_ == 0; });
}

void SharingServer::acceptLoop() {
  while (!stopping_.load()) {
    Connection conn = listener_.accept(100);
    if (!conn.valid()) continue;
    const std::uint32_t id = nextId_.fetch_add(1);
    {
      std::lock_guard lock(sessionsMutex_);
      ++sessions_;
    }
    std::thread(&SharingServer::serve, this, std::move(conn), id).detach();
  }
}

void SharingServer::serve(Connection conn, std::uint32_t id) {
  conn.setTimeout(options_.idleTimeoutMs);
  conn.setCancelFlag(&stopping_);
  conn.setDiagnostics({});
  {
    Session session(*this, conn, id);
    session.run();
  }
  conn.shutdownBoth();
  conn.close();
  std::lock_guard lock(sessionsMutex_);
  if (--sessions_ == 0) sessionsDone_.notify_all();
}

bool SharingServer::lockCommit(std::int64_t project) {
  std::lock_guard lock(commitMutex_);
  return committing_.insert(project).second;
}

void SharingServer::unlockCommit(std::int64_t project) {
  std::lock_guard lock(commitMutex_);
  committing_.erase(project);
}

bool SharingServer::login(const std::string& user, std::uint32_t crc) {
  const auto now = std::chrono::steady_clock::now();
  {
    std::lock_guard lock(loginMutex_);
    Failures& f = failures_[user];
    if (f.lockedUntil > now) return false;
  }
  const bool ok = store_.checkLogin(user, crc);
  std::lock_guard lock(loginMutex_);
  Failures& f = failures_[user];
  if (ok) {
    f.count = 0;
    return true;
  }
  if (++f.count >= options_.maxLoginFailures) {
    f.count = 0;
    f.lockedUntil = now + std::chrono::milliseconds(options_.lockoutMs);
    log("Usuario '" + user + "' bloqueado temporalmente tras varios intentos fallidos");
  }
  return false;
}

void SharingServer::log(std::string_view line) {
  std::lock_guard lock(logMutex_);
  if (log_) log_(line);
}

}  // namespace tarvolin::sharing::server
