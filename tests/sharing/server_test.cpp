// Client and server together on loopback.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "sharing/file_pack.h"
#include "sharing/server/import.h"
#include "sharing/sharing_kit.h"

namespace tarvolin::sharing {
namespace {

using test::Copy;
using test::LoopServer;
using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

const Credentials kAna{"ana", "clave", "Demo", ""};
const Credentials kBeto{"beto", "otra", "Demo", ""};

// A commit repeated while the server still holds the slot of a connection
// that was just cut (it lets go when it notices the end).
test::RunResult commitSoon(Copy& copy, int port, const Credentials& who,
                           SharingClient* client = nullptr) {
  for (int attempt = 0;; ++attempt) {
    ProjectSync sync(copy.folder, copy.list, true);
    test::RunResult r = test::runClient(TransactionKind::Commit, port, sync, who, 10000, client);
    if (sync.listChanged()) copy.list = sync.list();
    if (r.message != "Commit in progress - try again later" || attempt == 100) return r;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

struct Team {
  LoopServer server;
  TempDir dir;
  Copy a{dir.file("a"), {}, {}};
  Copy b{dir.file("b"), {}, {}};
  Team() {
    server.allow("ana", "clave", "Demo");
    server.allow("beto", "otra", "Demo");
    fs::create_directories(a.folder);
    fs::create_directories(b.folder);
  }
  std::int64_t project() { return server.store().projectId("Demo"); }
  std::int32_t revision() { return server.store().revision(project()); }
  // The server's newest content of a file.
  std::string serverCopy(const std::string& name) {
    for (const auto& f : server.store().latest(project()))
      if (f.name == name) return readFile(server.store().objectPath(f.object));
    return "<ninguno>";
  }
};

TEST(SharingServer, TwoCopiesCommitAndUpdateInTurn) {
  Team t;
  writeFile(t.a.folder + "/Script/main.txt", "; Main script\r\n");
  writeFile(t.a.folder + "/resource.txt", "recursos");
  writeFile(t.a.folder + "/~tmp.dat", "nunca se envía");
  auto r = t.a.run(TransactionKind::Commit, t.server.port(), kAna);
  ASSERT_TRUE(r.success) << r.message;
  EXPECT_EQ(r.message, "Complete!");
  EXPECT_EQ(t.revision(), 1);
  EXPECT_EQ(t.server.store().latest(t.project()).size(), 2u);
  ASSERT_EQ(t.a.list.entries().size(), 2u);
  EXPECT_EQ(t.a.list.find("Script\\main.txt")->version, 1);

  // B receives everything.
  ProjectSync* sync = nullptr;
  r = t.b.run(TransactionKind::Update, t.server.port(), kBeto, &sync);
  ASSERT_TRUE(r.success) << r.message;
  EXPECT_EQ(sync->update().updated, 2);
  EXPECT_EQ(readFile(t.b.folder + "/Script/main.txt"), "; Main script\r\n");
  EXPECT_FALSE(fs::exists(t.b.folder + "/~tmp.dat"));
  EXPECT_FALSE(fs::exists(t.b.folder + "/~temp/resource.txt"));  // moved into place

  // B changes one file and adds one; A fetches both.
  writeFile(t.b.folder + "/resource.txt", "recursos de beto");
  writeFile(t.b.folder + "/Script/nivel.txt", "nivel");
  r = t.b.run(TransactionKind::Commit, t.server.port(), kBeto);
  ASSERT_TRUE(r.success) << r.message;
  EXPECT_EQ(t.revision(), 2);
  r = t.a.run(TransactionKind::Update, t.server.port(), kAna, &sync);
  ASSERT_TRUE(r.success) << r.message;
  EXPECT_EQ(sync->update().updated, 2);
  EXPECT_EQ(readFile(t.a.folder + "/resource.txt"), "recursos de beto");
  EXPECT_EQ(readFile(t.a.folder + "/Script/nivel.txt"), "nivel");

  // Nothing new either way now.
  r = t.a.run(TransactionKind::Update, t.server.port(), kAna, &sync);
  ASSERT_TRUE(r.success);
  EXPECT_EQ(sync->update().updated, 0);
  r = t.a.run(TransactionKind::Commit, t.server.port(), kAna);
  EXPECT_TRUE(r.success);
  EXPECT_EQ(r.message, "No hay archivos con cambios o que necesitan depositarse");
  EXPECT_EQ(t.revision(), 2);
  // Every version is kept.
  EXPECT_NE(t.server.store().historyText(t.project()).find("Versión 1"), std::string::npos);
}

TEST(SharingServer, AChangeOnAnOlderVersionMustUpdateFirst) {
  Team t;
  writeFile(t.a.folder + "/x.txt", "x");
  writeFile(t.a.folder + "/y.txt", "y");
  ASSERT_TRUE(t.a.run(TransactionKind::Commit, t.server.port(), kAna).success);
  ASSERT_TRUE(t.b.run(TransactionKind::Update, t.server.port(), kBeto).success);
  writeFile(t.b.folder + "/x.txt", "x de beto");
  ASSERT_TRUE(t.b.run(TransactionKind::Commit, t.server.port(), kBeto).success);

  // A changes x too, from the older version: refused, nothing changes.
  writeFile(t.a.folder + "/x.txt", "x de ana");
  const FileInfoList before = t.a.list;
  auto r = t.a.run(TransactionKind::Commit, t.server.port(), kAna);
  EXPECT_TRUE(r.success);
  EXPECT_EQ(r.message, "Client needs to update first");
  EXPECT_EQ(t.revision(), 2);
  EXPECT_EQ(t.a.list, before);

  // A file only behind (not changed here) does not stop a commit.
  writeFile(t.b.folder + "/x.txt", "x de beto 2");
  ASSERT_TRUE(t.b.run(TransactionKind::Commit, t.server.port(), kBeto).success);
  writeFile(t.b.folder + "/y.txt", "y de beto");
  writeFile(t.a.folder + "/x.txt", "x");  // A gives up its change...
  t.a.list.find("x.txt")->fileTime = 0;   // ...but it still counts as changed
  ProjectSync* sync = nullptr;
  r = t.a.run(TransactionKind::Update, t.server.port(), kAna, &sync);
  ASSERT_TRUE(r.success);
  ASSERT_EQ(sync->update().conflicts.size(), 1u);
  EXPECT_EQ(sync->update().conflicts[0], (Conflict{"x.txt", 3}));
}

TEST(SharingServer, OneCommitAtATimeWhileUpdatesGoOn) {
  Team t;
  writeFile(t.a.folder + "/big.bin", std::string(300000, 'g'));
  ASSERT_TRUE(t.a.run(TransactionKind::Commit, t.server.port(), kAna).success);
  // A commit held in the middle of its files keeps the project's commit slot.
  writeFile(t.a.folder + "/big.bin", std::string(300000, 'h') + "cambio");
  test::Relay relay(t.server.port());
  relay.holdAfter(2000);
  std::thread holder([&] { t.a.run(TransactionKind::Commit, relay.port(), kAna); });
  for (int i = 0; i < 400 && !relay.tripped(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(relay.tripped());
  // Wait until the server has taken the held commit's slot.
  for (int i = 0; i < 400 && t.server.server().lockCommit(t.project()); ++i) {
    t.server.server().unlockCommit(t.project());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  writeFile(t.b.folder + "/otro.txt", "otro");
  auto r = t.b.run(TransactionKind::Commit, t.server.port(), kBeto);
  EXPECT_FALSE(r.success);
  EXPECT_EQ(r.message, "Commit in progress - try again later");
  r = t.b.run(TransactionKind::Update, t.server.port(), kBeto);
  EXPECT_TRUE(r.success) << r.message;
  EXPECT_EQ(readFile(t.b.folder + "/big.bin"), std::string(300000, 'g'));
  relay.release();
  holder.join();
  // The held commit never finished: nothing of it is in the project.
  EXPECT_EQ(t.revision(), 1);
  EXPECT_EQ(t.serverCopy("big.bin"), std::string(300000, 'g'));
  r = commitSoon(t.b, t.server.port(), kBeto);
  EXPECT_TRUE(r.success) << r.message;
}

TEST(SharingServer, ACutConnectionLeavesTheProjectAndTheRetryResumes) {
  Team t;
  std::string big(600000, '\0');
  std::mt19937 rng(5);
  for (char& c : big) c = char(rng());  // does not compress
  writeFile(t.a.folder + "/datos.bin", big);
  test::Relay relay(t.server.port());
  relay.cutAfter(250000);
  auto r = t.a.run(TransactionKind::Commit, relay.port(), kAna);
  EXPECT_FALSE(r.success);
  EXPECT_TRUE(relay.tripped());
  EXPECT_EQ(t.revision(), 0);
  EXPECT_TRUE(t.server.store().latest(t.project()).empty());
  EXPECT_TRUE(t.a.list.empty());
  // The retry picks the file up where the server's copy ends.
  r = commitSoon(t.a, t.server.port(), kAna);
  ASSERT_TRUE(r.success) << r.message;
  bool resumed = false;
  for (const std::string& line : r.log) resumed |= line.rfind("Transfer resumed ", 0) == 0;
  EXPECT_TRUE(resumed);
  EXPECT_EQ(t.revision(), 1);
  EXPECT_EQ(t.serverCopy("datos.bin"), big);
}

TEST(SharingServer, AccessIsChecked) {
  Team t;
  std::string error;
  t.server.store().addUser("carla", "suya", error);
  auto r = t.a.run(TransactionKind::Info, t.server.port(), {"carla", "suya", "Demo", ""});
  EXPECT_EQ(r.message, "User has no access to project 'Demo'");
  r = t.a.run(TransactionKind::Info, t.server.port(), {"ana", "clave", "Nada", ""});
  EXPECT_EQ(r.message, "Server does not recognise project 'Nada'");
  r = t.a.run(TransactionKind::Info, t.server.port(), {"ana", "mala", "Demo", ""});
  EXPECT_EQ(r.message, "Login Packet Error");
  r = t.a.run(TransactionKind::Info, t.server.port(), {"nadie", "x", "Demo", ""});
  EXPECT_EQ(r.message, "Login Packet Error");
  // Repeated failures lock the name out for a while, the right password too.
  for (int i = 0; i < 5; ++i) t.a.run(TransactionKind::Info, t.server.port(), {"beto", "mal", "Demo", ""});
  r = t.a.run(TransactionKind::Info, t.server.port(), kBeto);
  EXPECT_EQ(r.message, "Login Packet Error");
  std::this_thread::sleep_for(std::chrono::milliseconds(450));
  r = t.a.run(TransactionKind::Info, t.server.port(), kBeto);
  EXPECT_TRUE(r.success) << r.message;
  // The store holds no password text.
  const std::string db = readFile(t.server.dataDir() + "/tarvolin-server.db") +
                         readFile(t.server.dataDir() + "/tarvolin-server.db-wal");
  EXPECT_EQ(db.find("clave"), std::string::npos);
}

TEST(SharingServer, ProjectInformationIsReadable) {
  Team t;
  writeFile(t.a.folder + "/a.txt", "a");
  ASSERT_TRUE(t.a.run(TransactionKind::Commit, t.server.port(), {"ana", "clave", "Demo", "primer depósito"}).success);
  ProjectSync* sync = nullptr;
  auto r = t.b.run(TransactionKind::Info, t.server.port(), kBeto, &sync);
  ASSERT_TRUE(r.success) << r.message;
  const std::string& info = sync->projectInfo();
  EXPECT_NE(info.find("Proyecto: Demo"), std::string::npos);
  EXPECT_NE(info.find("Versión más reciente: 1"), std::string::npos);
  EXPECT_NE(info.find("primer depósito"), std::string::npos);
  EXPECT_NE(info.find("Usuarios: ana, beto"), std::string::npos);
  EXPECT_FALSE(fs::exists(t.b.folder + "/~project_info.txt"));
}

TEST(SharingServer, ProposeThenAccept) {
  Team t;
  writeFile(t.a.folder + "/a.txt", "a");
  ASSERT_TRUE(t.a.run(TransactionKind::Commit, t.server.port(), kAna).success);
  ASSERT_TRUE(t.b.run(TransactionKind::Update, t.server.port(), kBeto).success);
  writeFile(t.b.folder + "/a.txt", "propuesta de beto");
  writeFile(t.b.folder + "/b.txt", "nuevo de beto");
  const FileInfoList before = t.b.list;
  auto r = t.b.run(TransactionKind::Propose, t.server.port(), {"beto", "otra", "Demo", "mejoras"});
  ASSERT_TRUE(r.success) << r.message;
  EXPECT_EQ(t.b.list, before);  // a proposal changes no versions
  EXPECT_EQ(t.revision(), 1);
  const std::string open = t.server.store().proposalsText(t.project());
  EXPECT_NE(open.find("Propuesta 1"), std::string::npos);
  EXPECT_NE(open.find("beto"), std::string::npos);

  std::int32_t revision = 0;
  std::string error;
  ASSERT_EQ(t.server.store().acceptProposal(1, revision, error), server::CommitOutcome::Done) << error;
  EXPECT_EQ(revision, 2);
  EXPECT_EQ(t.server.store().acceptProposal(1, revision, error), server::CommitOutcome::Failed);
  ProjectSync* sync = nullptr;
  ASSERT_TRUE(t.a.run(TransactionKind::Update, t.server.port(), kAna, &sync).success);
  EXPECT_EQ(readFile(t.a.folder + "/a.txt"), "propuesta de beto");
  EXPECT_EQ(readFile(t.a.folder + "/b.txt"), "nuevo de beto");

  // A proposal made on a version since replaced cannot be accepted.
  ASSERT_TRUE(t.b.run(TransactionKind::Update, t.server.port(), kBeto).success);
  EXPECT_EQ(t.b.list.find("a.txt")->version, 2);
  writeFile(t.b.folder + "/a.txt", "otra propuesta");
  ASSERT_TRUE(t.b.run(TransactionKind::Propose, t.server.port(), kBeto).success);
  writeFile(t.a.folder + "/a.txt", "ana cambia a");
  ASSERT_TRUE(t.a.run(TransactionKind::Commit, t.server.port(), kAna).success);
  EXPECT_EQ(t.server.store().acceptProposal(2, revision, error), server::CommitOutcome::Stale);
}

TEST(SharingServer, ImportedProjectAndHostileChangeList) {
  Team t;
  TempDir source;
  writeFile(source.file("Script/main.txt"), "main");
  writeFile(source.file("~ignorado.txt"), "no");
  writeFile(source.file("CVS/Entries"), "no");
  std::string error;
  int files = 0;
  ASSERT_TRUE(server::importFolder(t.server.store(), "Demo", source.path(), "admin", error, &files)) << error;
  EXPECT_EQ(files, 1);
  ASSERT_TRUE(t.b.run(TransactionKind::Update, t.server.port(), kBeto).success);
  EXPECT_EQ(readFile(t.b.folder + "/Script/main.txt"), "main");

  // A change list naming a file outside the project ends the transaction.
  class Hostile : public ProjectSync {
   public:
    using ProjectSync::ProjectSync;
    StepResult prepare(Step step, StepContext& ctx) override {
      StepResult r = ProjectSync::prepare(step, ctx);
      if (step == Step::SendChangeList) {
        writeFile(projectFolder() + "/~ProjectVersion.txt", "A:0,..\\..\\fuera.txt\r\n");
        std::string error;
        packFiles(projectFolder(), {"~ProjectVersion.txt"}, projectFolder() + "/~filepack.tmp", error);
      }
      return r;
    }
  };
  writeFile(t.b.folder + "/nuevo.txt", "n");
  Hostile hostile(t.b.folder, t.b.list, true);
  const auto r = test::runClient(TransactionKind::Commit, t.server.port(), hostile, kBeto);
  EXPECT_FALSE(r.success);
  EXPECT_EQ(r.message, "Server Terminate");
  EXPECT_EQ(t.revision(), 1);
}

}  // namespace
}  // namespace tarvolin::sharing
