#include "sharing/sharing_kit.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/file_time.h"

namespace tarvolin::sharing::test {

std::string FakePeer::receive() {
  std::string payload;
  if (closed_ || conn_.receiveMessage(payload) != IoResult::Ok) {
    closed_ = true;
    return {};
  }
  return payload;
}

void FakePeer::send(const std::string& payload) {
  if (conn_.sendMessage(payload) != IoResult::Ok || conn_.flush() != IoResult::Ok) closed_ = true;
}

void FakePeer::sendRaw(const std::string& bytes) {
  if (conn_.flush() != IoResult::Ok || conn_.sendAll(bytes) != IoResult::Ok) closed_ = true;
}

FakeServer::FakeServer(std::function<void(FakePeer&)> script, int connections) {
  std::string error;
  listener_.listen("127.0.0.1", 0, error);
  port_ = listener_.port();
  thread_ = std::thread([this, connections, script = std::move(script)] {
    for (int n = 0; n < connections; ++n) {
      Connection conn;
      for (int i = 0; i < 200 && !conn.valid(); ++i) conn = listener_.accept(50);
      if (!conn.valid()) return;
      conn.setTimeout(20000);
      conn.setDiagnostics({});
      FakePeer peer(conn);
      script(peer);
      conn.flush();
    }
  });
}

FakeServer::~FakeServer() { join(); }

void FakeServer::join() {
  if (thread_.joinable()) thread_.join();
}

std::string serverStatus(std::uint32_t status, std::uint32_t value, std::uint32_t value2) {
  return encodeStatus({0, status, value, value2});
}

RunResult runClient(TransactionKind kind, int port, StepHooks& hooks, const Credentials& who,
                    int timeoutMs, SharingClient* given) {
  SharingClient own;
  SharingClient& client = given ? *given : own;
  RunResult r;
  std::mutex mutex;
  client.setLog([&](std::string_view line) {
    std::lock_guard lock(mutex);
    r.log.emplace_back(line);
  });
  client.setDiagnostics({});
  if (!client.start(kind, {"127.0.0.1", port, timeoutMs}, who, hooks)) {
    r.message = client.statusText();
    return r;
  }
  client.wait();
  r.success = client.success();
  r.message = client.statusText();
  r.couldNotConnect = client.couldNotConnect();
  return r;
}

Relay::Relay(int serverPort) : serverPort_(serverPort) {
  std::string error;
  listener_.listen("127.0.0.1", 0, error);
  port_ = listener_.port();
  accept_ = std::thread([this] {
    while (!stop_) {
      Connection c = listener_.accept(50);
      if (!c.valid()) continue;
      std::lock_guard lock(mutex_);
      workers_.emplace_back(&Relay::serve, this, std::move(c));
    }
  });
}

Relay::~Relay() {
  stop_ = true;
  accept_.join();
  std::lock_guard lock(mutex_);
  for (std::thread& t : workers_) t.join();
}

void Relay::serve(Connection client) {
  Connection server;
  int code = 0;
  if (Connection::connectTo("127.0.0.1", serverPort_, 5000, nullptr, {}, server, code) !=
      IoResult::Ok)
    return;
  const std::uint64_t limit = limit_;
  const bool cut = cut_;
  std::uint64_t passed = 0;
  bool holding = false;
  char buffer[4096];
  while (!stop_) {
    pollfd fds[2] = {{client.fd(), short(holding ? 0 : POLLIN), 0}, {server.fd(), POLLIN, 0}};
    if (::poll(fds, 2, 50) <= 0) continue;
    if (fds[0].revents && !holding) {
      std::size_t want = sizeof buffer;
      if (limit - passed < want) want = std::size_t(limit - passed);
      const ssize_t n = ::recv(client.fd(), buffer, want, 0);
      if (n <= 0) break;
      if (server.sendAll(std::string_view(buffer, std::size_t(n))) != IoResult::Ok) break;
      passed += std::uint64_t(n);
      if (passed >= limit) {
        tripped_ = true;
        if (cut) break;
        holding = true;
      }
    }
    if (fds[1].revents) {
      const ssize_t n = ::recv(server.fd(), buffer, sizeof buffer, 0);
      if (n <= 0) break;
      if (client.sendAll(std::string_view(buffer, std::size_t(n))) != IoResult::Ok) break;
    }
  }
  client.shutdownBoth();
  server.shutdownBoth();
}

LoopServer::LoopServer() {
  data_ = dir_.file("data");
  std::string error;
  server::Store::init(data_, error);
  store_.open(data_, error);
  server::ServerOptions options;
  options.port = 0;
  options.lockoutMs = 400;
  server_.start(options, error);
}

LoopServer::~LoopServer() { server_.stop(); }

void LoopServer::allow(const std::string& user, const std::string& password,
                       const std::string& project) {
  std::string error;
  if (!store_.userExists(user)) store_.addUser(user, password, error);
  if (!store_.projectId(project)) store_.addProject(project, error);
  store_.grant(user, project, error);
}

RunResult Copy::run(TransactionKind kind, int port, const Credentials& who, ProjectSync** last) {
  sync = std::make_unique<ProjectSync>(folder, list, true);
  RunResult r = runClient(kind, port, *sync, who);
  if (sync->listChanged()) list = sync->list();
  if (last) *last = sync.get();
  return r;
}

std::string readFile(const std::string& path) { return TempDir::read(path); }

std::string sharedProjectText(int port, bool networked) {
  return std::string("#PROJECT_NETWORKED\n") + (networked ? "TRUE" : "FALSE") +
         "\n\n#PROJECT_NETWORK_SERVER_OVERRIDE\nTRUE\n\n"
         "#PROJECT_NETWORK_SERVER_ADDRESS\n127.0.0.1\n\n#PROJECT_NETWORK_SERVER_PORT\n" +
         std::to_string(port) + "\n\n";
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void ageFile(const std::string& path, int seconds) {
  std::uint64_t t = 0;
  platform::fileWriteTime(path, t);
  platform::setFileWriteTime(path, t - std::uint64_t(seconds) * platform::kTicksPerSecond);
}

}  // namespace tarvolin::sharing::test
