// Helpers for the sharing tests: a scripted fake server that speaks the
// wire protocol byte for byte, the real server on a loopback port with its
// data in a temporary folder, and a way to run one transaction to its end.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/temp_dir.h"
#include "sharing/client.h"
#include "sharing/server/server.h"
#include "sharing/server/store.h"
#include "sharing/socket.h"
#include "sharing/sync.h"
#include "sharing/wire.h"

namespace tarvolin::sharing::test {

using tarvolin::test::TempDir;

// The server end of one connection, for a script to drive.
class FakePeer {
 public:
  explicit FakePeer(Connection& conn) : conn_(conn) {}
  // The next payload from the client (empty when the connection ended).
  std::string receive();
  void send(const std::string& payload);
  // Sends raw bytes (a frame of any length).
  void sendRaw(const std::string& bytes);
  bool closed() const { return closed_; }

 private:
  Connection& conn_;
  bool closed_ = false;
};

// Accepts connections on a free loopback port, one after the other, and
// runs `script` on each (one connection unless told more).
class FakeServer {
 public:
  explicit FakeServer(std::function<void(FakePeer&)> script, int connections = 1);
  ~FakeServer();
  int port() const { return port_; }
  void join();

 private:
  Listener listener_;
  int port_ = 0;
  std::thread thread_;
};

// A status packet from the server (client id 0).
std::string serverStatus(std::uint32_t status, std::uint32_t value = 0, std::uint32_t value2 = 0);

// A loopback relay in front of a server. It can hold the bytes going to the
// server once a number of them have passed, or cut the connection there.
class Relay {
 public:
  explicit Relay(int serverPort);
  ~Relay();
  int port() const { return port_; }
  // After this many client-to-server bytes, stop forwarding (hold) or close
  // both sides (cut). Applies to connections accepted from now on.
  void holdAfter(std::uint64_t bytes) { limit_ = bytes; cut_ = false; }
  void cutAfter(std::uint64_t bytes) { limit_ = bytes; cut_ = true; }
  // True once a connection has reached its limit.
  bool tripped() const { return tripped_; }
  void release() { stop_ = true; }

 private:
  void serve(Connection client);

  Listener listener_;
  int port_ = 0;
  int serverPort_;
  std::atomic<std::uint64_t> limit_{UINT64_MAX};
  std::atomic<bool> cut_{false};
  std::atomic<bool> tripped_{false};
  std::atomic<bool> stop_{false};
  std::thread accept_;
  std::vector<std::thread> workers_;
  std::mutex mutex_;
};

// The result of one transaction run to its end.
struct RunResult {
  bool success = false;
  std::string message;
  std::vector<std::string> log;
  bool couldNotConnect = false;
};
RunResult runClient(TransactionKind kind, int port, StepHooks& hooks,
                    const Credentials& who = {"ana", "clave", "Demo", ""}, int timeoutMs = 10000,
                    SharingClient* client = nullptr);

// The real server with its data in a temporary folder, on a free port.
class LoopServer {
 public:
  LoopServer();
  ~LoopServer();
  server::Store& store() { return store_; }
  server::SharingServer& server() { return server_; }
  int port() const { return server_.port(); }
  const std::string& dataDir() const { return data_; }
  // A user with access to a project (both made when missing).
  void allow(const std::string& user, const std::string& password, const std::string& project);
  void stop() { server_.stop(); }

 private:
  TempDir dir_;
  std::string data_;
  server::Store store_;
  server::SharingServer server_{store_};
};

// One working copy of a shared project: a folder and its shared-file list.
struct Copy {
  std::string folder;
  FileInfoList list;
  RunResult run(TransactionKind kind, int port, const Credentials& who, ProjectSync** last = nullptr);
  std::unique_ptr<ProjectSync> sync;  // of the last run
};

std::string readFile(const std::string& path);
// The project file of a shared project on the loopback server at `port`.
std::string sharedProjectText(int port, bool networked = true);
void writeFile(const std::string& path, const std::string& bytes);
// Sets a file's last-write time a given number of seconds into the past.
void ageFile(const std::string& path, int seconds);

}  // namespace tarvolin::sharing::test
