// Many clients at once, and the faults a shared project must survive: the
// server killed in the middle of a commit, a client killed in the middle of
// an update.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <algorithm>
#include <chrono>
#include <random>

#include "sharing/child_process.h"
#include "sharing/sharing_kit.h"

namespace tarvolin::sharing {
namespace {

using test::ChildProcess;
using test::Copy;
using test::LoopServer;
using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

// "u3", "p3", "c3": a letter and a client's number.
std::string numbered(const char* prefix, int k) {
  std::string s = prefix;
  s += std::to_string(k);
  return s;
}

TEST(SharingLoad, TwentyClientsCommitAndUpdateTwentyFiveTimes) {
  constexpr int kClients = 20, kRounds = 25;
  LoopServer server;
  TempDir dir;
  for (int k = 0; k < kClients; ++k)
    server.allow(numbered("u", k), numbered("p", k), "Carga");
  std::vector<Copy> copies(kClients);
  std::vector<int> commits(kClients, 0);
  std::vector<std::string> failures(kClients);
  std::vector<std::thread> threads;
  for (int k = 0; k < kClients; ++k) {
    copies[std::size_t(k)].folder = dir.file(numbered("c", k));
    fs::create_directories(copies[std::size_t(k)].folder);
    threads.emplace_back([&, k] {
      Copy& me = copies[std::size_t(k)];
      const Credentials who{numbered("u", k), numbered("p", k), "Carga", ""};
      std::mt19937 rng{unsigned(k)};
      for (int round = 0; round < kRounds; ++round) {
        writeFile(me.folder + "/cliente" + std::to_string(k) + "/datos.txt",
                  "cliente " + std::to_string(k) + " ronda " + std::to_string(round) + "\n" +
                      std::string(rng() % 3000, char('a' + k)));
        // A busy server answers "Commit in progress"; the client tries again
        // until a generous deadline (a slow sanitizer build can keep one
        // client waiting for hundreds of turns).
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        for (;;) {
          const test::RunResult r = me.run(TransactionKind::Commit, server.port(), who);
          if (r.success && r.message == "Complete!") {
            ++commits[std::size_t(k)];
            break;
          }
          if (std::chrono::steady_clock::now() > deadline ||
              (!r.success && r.message != "Commit in progress - try again later")) {
            failures[std::size_t(k)] = r.message;
            return;
          }
          std::this_thread::sleep_for(std::chrono::milliseconds(2 + rng() % 20));
        }
        const test::RunResult r = me.run(TransactionKind::Update, server.port(), who);
        if (!r.success) {
          failures[std::size_t(k)] = r.message;
          return;
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int k = 0; k < kClients; ++k) {
    ASSERT_EQ(failures[std::size_t(k)], "") << "cliente " << k;
    ASSERT_EQ(commits[std::size_t(k)], kRounds);
  }
  server::Store& store = server.store();
  const std::int64_t project = store.projectId("Carga");
  // No commit lost or doubled: one revision per commit, 25 versions per file.
  EXPECT_EQ(store.revision(project), kClients * kRounds);
  const auto latest = store.latest(project);
  ASSERT_EQ(latest.size(), std::size_t(kClients));
  for (int k = 0; k < kClients; ++k) {
    const auto versions = store.history(project, "cliente" + std::to_string(k) + "\\datos.txt");
    ASSERT_EQ(versions.size(), std::size_t(kRounds));
    for (int round = 0; round < kRounds; ++round)
      EXPECT_EQ(readFile(store.objectPath(versions[std::size_t(round)].object))
                    .rfind("cliente " + std::to_string(k) + " ronda " + std::to_string(round) + "\n", 0),
                0u);
  }
  // After one more update every copy holds exactly the server's files.
  for (int k = 0; k < kClients; ++k) {
    Copy& me = copies[std::size_t(k)];
    ASSERT_TRUE(me.run(TransactionKind::Update, server.port(),
                       {numbered("u", k), numbered("p", k), "Carga", ""})
                    .success);
    for (const auto& f : latest) {
      std::string path = me.folder + "/" + f.name;
      std::replace(path.begin(), path.end(), '\\', '/');
      EXPECT_TRUE(readFile(path) == readFile(store.objectPath(f.object))) << k << " " << f.name;
      EXPECT_EQ(me.list.find(f.name)->version, f.version);
    }
  }
}

std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

// A data folder with a user and a project, served by a child process.
struct ServerProcess {
  std::string data;
  ChildProcess child;
  int port = 0;
  bool start() {
    child = ChildProcess();
    if (!child.start({TARVOLIN_SERVER_EXE, "serve", "--data", data, "--port", "0"})) return false;
    std::string line;
    if (!child.readLine(line)) return false;
    port = std::atoi(line.substr(line.rfind(':') + 1).c_str());
    return port > 0;
  }
};

TEST(SharingFaults, ServerKilledInTheMiddleOfACommit) {
  TempDir dir;
  ServerProcess proc;
  proc.data = dir.file("data");
  std::string error;
  {
    server::Store::init(proc.data, error);
    server::Store store;
    ASSERT_TRUE(store.open(proc.data, error));
    store.addUser("ana", "clave", error);
    store.addProject("Demo", error);
    store.grant("ana", "Demo", error);
  }
  ASSERT_TRUE(proc.start());
  Copy copy{dir.file("a"), {}, {}};
  const std::string big = randomBytes(2 << 20, 1);
  writeFile(copy.folder + "/musica.bin", big);
  writeFile(copy.folder + "/Script/main.txt", "main");
  {
    test::Relay relay(proc.port);
    relay.holdAfter(1 << 20);
    std::thread commit([&] {
      const test::RunResult r = copy.run(TransactionKind::Commit, relay.port(), {"ana", "clave", "Demo", ""});
      EXPECT_FALSE(r.success);
    });
    for (int i = 0; i < 1000 && !relay.tripped(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(relay.tripped());
    proc.child.kill(SIGKILL);
    proc.child.wait();
    relay.release();
    commit.join();
  }
  {
    server::Store store;
    ASSERT_TRUE(store.open(proc.data, error));
    EXPECT_EQ(store.revision(store.projectId("Demo")), 0);
    EXPECT_TRUE(store.latest(store.projectId("Demo")).empty());
  }
  EXPECT_TRUE(copy.list.empty());
  ASSERT_TRUE(proc.start());
  const test::RunResult r = copy.run(TransactionKind::Commit, proc.port, {"ana", "clave", "Demo", ""});
  EXPECT_TRUE(r.success) << r.message;
  Copy other{dir.file("b"), {}, {}};
  fs::create_directories(other.folder);
  ASSERT_TRUE(other.run(TransactionKind::Update, proc.port, {"ana", "clave", "Demo", ""}).success);
  EXPECT_TRUE(readFile(other.folder + "/musica.bin") == big);
  proc.child.kill(SIGTERM);
  EXPECT_EQ(proc.child.wait(), 0);
}

TEST(SharingFaults, ClientKilledInTheMiddleOfAnUpdateLeavesWholeFiles) {
  constexpr int kFiles = 120;
  LoopServer server;
  server.allow("ana", "clave", "Demo");
  TempDir dir;
  Copy source{dir.file("origen"), {}, {}};
  auto content = [](int i, int version) {
    return "versión " + std::to_string(version) + " del archivo " + std::to_string(i) + "\n" +
           randomBytes(40000, unsigned(i * 10 + version));
  };
  for (int i = 0; i < kFiles; ++i)
    writeFile(source.folder + "/datos/f" + std::to_string(i) + ".bin", content(i, 1));
  ASSERT_TRUE(source.run(TransactionKind::Commit, server.port(), {"ana", "clave", "Demo", ""}).success);

  // The victim: a project file whose source root holds version 1.
  const std::string project = dir.file("victima/Demo.tvp");
  writeFile(project, test::sharedProjectText(server.port()));
  writeFile(dir.file("settings.txt"), "#NETWORK_USERNAME\nana\n\n");
  Copy victim{dir.file("victima/Demo"), {}, {}};
  fs::create_directories(victim.folder);
  ASSERT_TRUE(victim.run(TransactionKind::Update, server.port(), {"ana", "clave", "Demo", ""}).success);
  ASSERT_TRUE(victim.list.write(victim.folder + "/network_versions.txt"));

  for (int i = 0; i < kFiles; ++i)
    writeFile(source.folder + "/datos/f" + std::to_string(i) + ".bin", content(i, 2));
  ASSERT_TRUE(source.run(TransactionKind::Commit, server.port(), {"ana", "clave", "Demo", ""}).success);

  const std::vector<std::string> args = {TARVOLIN_EXE, "net", "update", project, "--settings",
                                         dir.file("settings.txt")};
  const std::vector<std::string> env = {"TARVOLIN_PASSWORD=clave"};
  std::mt19937 rng(11);
  for (int attempt = 0; attempt < 6; ++attempt) {
    ChildProcess child;
    ASSERT_TRUE(child.start(args, env));
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + rng() % 400));
    child.kill(SIGKILL);
    child.wait();
    for (int i = 0; i < kFiles; ++i) {
      const std::string now = readFile(victim.folder + "/datos/f" + std::to_string(i) + ".bin");
      EXPECT_TRUE(now == content(i, 1) || now == content(i, 2)) << "archivo " << i;
    }
  }
  ChildProcess last;
  ASSERT_TRUE(last.start(args, env));
  std::string line, result;
  while (last.readLine(line, 60000)) result = line;
  EXPECT_EQ(last.wait(), 0);
  EXPECT_EQ(result, "Complete!");
  for (int i = 0; i < kFiles; ++i)
    EXPECT_TRUE(readFile(victim.folder + "/datos/f" + std::to_string(i) + ".bin") == content(i, 2));
}

}  // namespace
}  // namespace tarvolin::sharing
