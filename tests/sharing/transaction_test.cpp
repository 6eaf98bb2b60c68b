// The client's step machine against a scripted server that checks every
// packet byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>

#include "sharing/crc32.h"
#include "sharing/sharing_kit.h"

namespace tarvolin::sharing {
namespace {

using test::FakePeer;
using test::FakeServer;
using test::serverStatus;
using test::TempDir;

constexpr std::uint32_t kId = 0x2A;

// Step hooks that hand out files of chosen contents and record the rest.
class ScriptHooks : public StepHooks {
 public:
  std::string projectFolder() const override { return dir.path(); }
  StepResult prepare(Step step, StepContext& ctx) override {
    prepared.push_back(step);
    if (auto it = failAt.find(step); it != failAt.end()) return it->second;
    if (classOf(step) == StepClass::SendFile) {
      ctx.fileToSend = dir.file("~filepack.tmp");
      test::writeFile(ctx.fileToSend, sendBytes.count(step) ? sendBytes[step] : "pack");
      test::writeFile(dir.file("~ProjectVersion.txt"), "V:1,x\r\n");
    }
    if (classOf(step) == StepClass::ReceiveFile) ctx.destination = dir.file("dest");
    return StepResult::ok();
  }
  bool unpack(Step, const std::string& packPath, const std::string&, std::string& error) override {
    received.push_back(test::readFile(packPath));
    if (!unpackError.empty()) error = unpackError;
    return unpackError.empty();
  }
  StepResult complete(Step step, StepContext&) override {
    completed.push_back(step);
    return StepResult::ok();
  }

  TempDir dir;
  std::map<Step, std::string> sendBytes;
  std::map<Step, StepResult> failAt;
  std::string unpackError;
  std::vector<Step> prepared, completed;
  std::vector<std::string> received;
};

// Request, ack with the client id, login and project selection, each
// checked byte for byte.
bool handshake(FakePeer& p, TransactionKind kind, std::uint32_t selectStatus = status::kAck,
               const std::string& comment = "") {
  EXPECT_EQ(p.receive(), encodeTransactionRequest(kind));
  p.send(encodeStatus({kId, status::kAck, 0, 0}));
  EXPECT_EQ(p.receive(), encodeLogin({kId, crc32Of("anaclave"), "ana"}));
  p.send(serverStatus(status::kAck));
  EXPECT_EQ(p.receive(), encodeProjectSelect({kId, "Demo", comment}));
  p.send(serverStatus(selectStatus));
  return !p.closed();
}

std::string block(std::uint32_t index, const std::string& data) {
  return encodeFileBlock({kId, std::uint32_t(data.size()), index, crc32Of(data), data});
}
std::string serverBlock(std::uint32_t index, const std::string& data, std::uint32_t id = 0) {
  return encodeFileBlock({id, std::uint32_t(data.size()), index, crc32Of(data), data});
}
std::string header(const std::string& file) {
  return encodeFileHeader({kId, std::uint32_t(file.size()), crc32Of(file)});
}
std::string clientStatus(std::uint32_t st, std::uint32_t value = 0) {
  return encodeStatus({kId, st, value, 0});
}

std::string pattern(std::size_t n, int seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = char((i * 31 + std::size_t(seed) * 7) % 251);
  return s;
}

TEST(SharingTransaction, AckOfTheRequestMustBeATwentyByteAck) {
  struct Case {
    std::string reply;
    const char* message;
  };
  const Case cases[] = {
      {encodeStatus({kId, 1, 0, 0}) + "more", "Transaction ack length bad"},
      {encodeStatus({kId, 2, 0, 0}), "Transaction response not ack"},
      {encodeFileEnd(0) + std::string(12, '\0'), "Transaction response not ack"},
  };
  for (const Case& c : cases) {
    FakeServer server([&](FakePeer& p) {
      EXPECT_EQ(p.receive(), encodeTransactionRequest(TransactionKind::Info));
      p.send(c.reply);
    });
    ScriptHooks hooks;
    const auto r = test::runClient(TransactionKind::Info, server.port(), hooks);
    EXPECT_FALSE(r.success);
    EXPECT_EQ(r.message, c.message);
    EXPECT_TRUE(hooks.prepared.empty());
  }
}

TEST(SharingTransaction, LoginAndSelectAnswers) {
  {
    FakeServer server([](FakePeer& p) {
      p.receive();
      p.send(encodeStatus({kId, 1, 0, 0}));
      p.receive();
      p.send(serverStatus(status::kNoAccess));
    });
    ScriptHooks hooks;
    EXPECT_EQ(test::runClient(TransactionKind::Info, server.port(), hooks).message,
              "Login Packet Error");
  }
  const std::pair<std::uint32_t, const char*> answers[] = {
      {status::kUnknownProject, "Server does not recognise project 'Demo'"},
      {status::kNoAccess, "User has no access to project 'Demo'"},
      {status::kCommitInProgress, "Commit in progress - try again later"},
      {status::kResume, "Project select error"},
  };
  for (const auto& [st, message] : answers) {
    FakeServer server([st = st](FakePeer& p) { handshake(p, TransactionKind::Update, st); });
    ScriptHooks hooks;
    const auto r = test::runClient(TransactionKind::Update, server.port(), hooks);
    EXPECT_FALSE(r.success);
    EXPECT_EQ(r.message, message);
  }
}

TEST(SharingTransaction, SendsFilesOf1024And1025BytesBlockByBlock) {
  const std::string list = pattern(1024, 1), files = pattern(1025, 2);
  FakeServer server([&](FakePeer& p) {
    ASSERT_TRUE(handshake(p, TransactionKind::Propose));
    // 1024 bytes: one block.
    EXPECT_EQ(p.receive(), header(list));
    p.send(serverStatus(1, 0));
    EXPECT_EQ(p.receive(), block(0, list));
    p.send(serverStatus(1, 1));
    EXPECT_EQ(p.receive(), encodeFileEnd(kId));
    p.send(serverStatus(1, 1));
    // 1025 bytes: two blocks, the second of one byte.
    EXPECT_EQ(p.receive(), header(files));
    p.send(serverStatus(2, 0));
    EXPECT_EQ(p.receive(), block(0, files.substr(0, 1024)));
    p.send(serverStatus(1, 1));
    const std::string last = p.receive();
    EXPECT_EQ(last, block(1, files.substr(1024)));
    EXPECT_EQ(getBig32(last.data() + 8), 1u);
    p.send(serverStatus(1, 2));
    EXPECT_EQ(p.receive(), encodeFileEnd(kId));
    p.send(serverStatus(1, 2));
  });
  ScriptHooks hooks;
  hooks.sendBytes[Step::SendChangeList] = list;
  hooks.sendBytes[Step::SendProposedFiles] = files;
  const auto r = test::runClient(TransactionKind::Propose, server.port(), hooks);
  EXPECT_TRUE(r.success) << r.message;
  EXPECT_EQ(r.message, "Complete!");
  EXPECT_EQ(hooks.completed,
            (std::vector<Step>{Step::Login, Step::SelectProject, Step::SendChangeList,
                               Step::SendProposedFiles}));
  // The transaction's temporary files are gone afterwards.
  EXPECT_FALSE(std::filesystem::exists(hooks.dir.file("~filepack.tmp")));
  EXPECT_FALSE(std::filesystem::exists(hooks.dir.file("~ProjectVersion.txt")));
}

TEST(SharingTransaction, ThreeBadBlockRepliesInARowAbandonTheTransfer) {
  const std::string file = pattern(3000, 3);
  FakeServer server([&](FakePeer& p) {
    ASSERT_TRUE(handshake(p, TransactionKind::Propose));
    EXPECT_EQ(p.receive(), header(file));
    p.send(serverStatus(1, 0));
    EXPECT_EQ(p.receive(), block(0, file.substr(0, 1024)));
    p.send(serverStatus(6, 0));  // CRC mismatch: sent again
    EXPECT_EQ(p.receive(), block(0, file.substr(0, 1024)));
    p.send(serverStatus(1, 1));  // an ack clears the count
    EXPECT_EQ(p.receive(), block(1, file.substr(1024, 1024)));
    p.send(serverStatus(0, 1));  // bad block
    EXPECT_EQ(p.receive(), block(1, file.substr(1024, 1024)));
    p.send(serverStatus(4, 1));  // wrong index
    EXPECT_EQ(p.receive(), block(1, file.substr(1024, 1024)));
    p.send(serverStatus(6, 1));  // third in a row
    EXPECT_EQ(p.receive(), clientStatus(5));
  });
  ScriptHooks hooks;
  hooks.sendBytes[Step::SendChangeList] = file;
  const auto r = test::runClient(TransactionKind::Propose, server.port(), hooks);
  EXPECT_FALSE(r.success);
  EXPECT_EQ(r.message, "Too many CRC errors in file Xfer");
}

TEST(SharingTransaction, ResumeIsAcceptedOnlyWhenTheHeldBytesMatch) {
  const std::string file = pattern(4096, 4);
  for (bool matching : {true, false}) {
    FakeServer server([&](FakePeer& p) {
      ASSERT_TRUE(handshake(p, TransactionKind::Propose));
      EXPECT_EQ(p.receive(), header(file));
      const std::uint32_t crc = crc32Of(file.substr(0, 2048)) ^ (matching ? 0 : 1);
      p.send(serverStatus(status::kResume, 2048, crc));
      EXPECT_EQ(p.receive(), clientStatus(matching ? 15 : 16));
      p.send(serverStatus(1, matching ? 2 : 0));
      EXPECT_EQ(p.receive(), block(matching ? 2 : 0, file.substr(matching ? 2048 : 0, 1024)));
      p.send(serverStatus(status::kResume, 0, 0));  // only valid right after the header
    });
    ScriptHooks hooks;
    hooks.sendBytes[Step::SendChangeList] = file;
    const auto r = test::runClient(TransactionKind::Propose, server.port(), hooks);
    EXPECT_EQ(r.message, "Bad state");
    const std::string logged = matching ? "Transfer resumed 50%" : "Transfer resume failed";
    EXPECT_NE(std::find(r.log.begin(), r.log.end(), logged), r.log.end()) << logged;
  }
}

TEST(SharingTransaction, OtherServerAnswersWhileSending) {
  struct Case {
    std::string reply;
    const char* message;
    bool success;
  };
  const Case cases[] = {
      {serverStatus(status::kMustUpdate), "Client needs to update first", true},
      {encodeServerTerminate(), "Server Terminate", false},
  };
  for (const Case& c : cases) {
    FakeServer server([&](FakePeer& p) {
      ASSERT_TRUE(handshake(p, TransactionKind::Commit, 1, "mi comentario"));
      p.receive();  // header
      // An unexpected kind gets status 8 and the transfer goes on.
      p.send(encodeFileEnd(0));
      EXPECT_EQ(p.receive(), clientStatus(8));
      p.send(c.reply);
    });
    ScriptHooks hooks;
    const auto r = test::runClient(TransactionKind::Commit, server.port(), hooks,
                                   {"ana", "clave", "Demo", "mi comentario"});
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.success, c.success);
  }
}

TEST(SharingTransaction, ReceivesAFileThroughTheBlockChecks) {
  const std::string file = pattern(45 * 1024 + 10, 5);  // 46 blocks: the buffer fills twice
  FakeServer server([&](FakePeer& p) {
    ASSERT_TRUE(handshake(p, TransactionKind::Info));
    p.send(encodeFileHeader({0, std::uint32_t(file.size()), crc32Of(file)}));
    EXPECT_EQ(p.receive(), clientStatus(1, 0));
    p.send(serverBlock(0, file.substr(0, 1024)));
    EXPECT_EQ(p.receive(), clientStatus(1, 1));
    p.send(serverBlock(1, file.substr(1024, 1024)));
    EXPECT_EQ(p.receive(), clientStatus(1, 2));
    // Block 3 when 2 are held: wrong index, with the index wanted.
    p.send(serverBlock(3, file.substr(3072, 1024)));
    EXPECT_EQ(p.receive(), clientStatus(4, 2));
    // A packet with a client id from the server is skipped without reply.
    p.send(serverBlock(2, file.substr(2048, 1024), 99));
    // A damaged block: CRC mismatch; an overlong one: bad block.
    std::string damaged = serverBlock(2, file.substr(2048, 1024));
    damaged[40] ^= 1;
    p.send(damaged);
    EXPECT_EQ(p.receive(), clientStatus(6, 2));
    std::string overlong = serverBlock(2, file.substr(2048, 1024));
    putBig32(overlong.data() + 8, 1025);
    p.send(overlong);
    EXPECT_EQ(p.receive(), clientStatus(0, 2));
    for (std::uint32_t i = 2; i < 46; ++i) {
      p.send(serverBlock(i, file.substr(i * 1024, 1024)));
      EXPECT_EQ(p.receive(), clientStatus(1, i + 1));
    }
    p.send(encodeFileEnd(0));
    EXPECT_EQ(p.receive(), clientStatus(1, 46));
  });
  ScriptHooks hooks;
  const auto r = test::runClient(TransactionKind::Info, server.port(), hooks);
  EXPECT_TRUE(r.success) << r.message;
  ASSERT_EQ(hooks.received.size(), 1u);
  EXPECT_TRUE(hooks.received[0] == file);
  EXPECT_NE(std::find(r.log.begin(), r.log.end(),
                      "Found packet, invalid client ID (should be zero for server)"),
            r.log.end());
  EXPECT_FALSE(std::filesystem::exists(hooks.dir.file("~tmp.dat")));
}

TEST(SharingTransaction, ReceivedFileWithWrongCrcOrRefusedPack) {
  const std::string file = pattern(100, 6);
  for (bool refused : {false, true}) {
    FakeServer server([&](FakePeer& p) {
      ASSERT_TRUE(handshake(p, TransactionKind::Info));
      p.send(encodeFileHeader({0, 100, crc32Of(file) ^ (refused ? 0u : 1u)}));
      p.receive();
      p.send(serverBlock(0, file));
      p.receive();
      p.send(encodeFileEnd(0));
      EXPECT_EQ(p.receive(), clientStatus(refused ? 14 : 6, refused ? 0 : 1));
    });
    ScriptHooks hooks;
    if (refused) hooks.unpackError = "Paquete rechazado: prueba";
    const auto r = test::runClient(TransactionKind::Info, server.port(), hooks);
    EXPECT_FALSE(r.success);
    EXPECT_EQ(r.message, refused ? "Paquete rechazado: prueba" : "Se perdió la conexión con el servidor");
  }
}

TEST(SharingTransaction, HookEndingsAndTheirMessages) {
  FakeServer server([](FakePeer& p) { handshake(p, TransactionKind::Commit); });
  ScriptHooks hooks;
  hooks.failAt[Step::SendChangeList] = StepResult::finish("No hay archivos con cambios o que necesitan depositarse");
  auto r = test::runClient(TransactionKind::Commit, server.port(), hooks);
  EXPECT_TRUE(r.success);
  EXPECT_EQ(r.message, "No hay archivos con cambios o que necesitan depositarse");

  FakeServer second([](FakePeer& p) { handshake(p, TransactionKind::Update); });
  ScriptHooks failing;
  failing.failAt[Step::SendVersionList] = StepResult::fail("Error construyendo la lista de archivos del cliente");
  r = test::runClient(TransactionKind::Update, second.port(), failing);
  EXPECT_FALSE(r.success);
  EXPECT_EQ(r.message, "Error construyendo la lista de archivos del cliente");
}

TEST(SharingTransaction, SilenceTimesOutAndCancelEndsTheWait) {
  std::atomic<bool> release{false};
  {
    FakeServer server([&](FakePeer& p) {
      handshake(p, TransactionKind::Info);
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    ScriptHooks hooks;
    const auto r = test::runClient(TransactionKind::Info, server.port(), hooks,
                                   {"ana", "clave", "Demo", ""}, 300);
    EXPECT_FALSE(r.success);
    EXPECT_EQ(r.message, timeoutMessage(300));
    release = true;
  }
  release = false;
  FakeServer server([&](FakePeer& p) {
    handshake(p, TransactionKind::Info);
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  ScriptHooks hooks;
  SharingClient client;
  client.setDiagnostics({});
  ASSERT_TRUE(client.start(TransactionKind::Info, {"127.0.0.1", server.port(), 60000},
                           {"ana", "clave", "Demo", ""}, hooks));
  // A second transaction cannot start while one runs.
  EXPECT_FALSE(client.start(TransactionKind::Info, {"127.0.0.1", server.port(), 60000},
                            {"ana", "clave", "Demo", ""}, hooks));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(client.finished());
  client.cancel();
  for (int i = 0; i < 200 && !client.finished(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(client.finished());
  EXPECT_FALSE(client.success());
  EXPECT_EQ(client.statusText(), "Operación cancelada por el usuario");
  EXPECT_EQ(client.connectionText(), "Closed");
  release = true;

  // A long preparation (packing) that stops when the user cancels ends as
  // a cancel, not with the preparation's own failure.
  FakeServer third([&](FakePeer& p) {
    handshake(p, TransactionKind::Commit);
    while (!p.receive().empty()) {
    }
  });
  struct SlowHooks : ScriptHooks {
    std::atomic<bool> preparing{false};
    StepResult prepare(Step step, StepContext& ctx) override {
      if (step != Step::SendChangeList) return ScriptHooks::prepare(step, ctx);
      preparing = true;
      for (int i = 0; i < 500 && !ctx.cancelled(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      return StepResult::fail("Error construyendo el paquete parcial del proyecto del cliente");
    }
  } slow;
  SharingClient packing;
  packing.setDiagnostics({});
  ASSERT_TRUE(packing.start(TransactionKind::Commit, {"127.0.0.1", third.port(), 60000},
                            {"ana", "clave", "Demo", ""}, slow));
  for (int i = 0; i < 500 && !slow.preparing; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  packing.cancel();
  for (int i = 0; i < 300 && !packing.finished(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(packing.finished());
  EXPECT_FALSE(packing.success());
  EXPECT_EQ(packing.statusText(), "Operación cancelada por el usuario");
}

TEST(SharingTransaction, NoServerMeansNoConnection) {
  int port = 0;
  {
    Listener l;
    std::string error;
    ASSERT_TRUE(l.listen("127.0.0.1", 0, error));
    port = l.port();
  }  // closed again: nothing listens there now
  ScriptHooks hooks;
  const auto r = test::runClient(TransactionKind::Info, port, hooks);
  EXPECT_FALSE(r.success);
  EXPECT_TRUE(r.couldNotConnect);
  EXPECT_EQ(r.message, "Fallo al intentar conexión: 127.0.0.1");
}

TEST(SharingTransaction, ALostConnectionSaysSo) {
  FakeServer server([](FakePeer& p) {
    handshake(p, TransactionKind::Update);
    p.receive();  // header of the version list, then the server goes away
  });
  ScriptHooks hooks;
  const auto r = test::runClient(TransactionKind::Update, server.port(), hooks);
  EXPECT_FALSE(r.success);
  EXPECT_EQ(r.message, "Se perdió la conexión con el servidor");
}

}  // namespace
}  // namespace tarvolin::sharing
