// The four sharing commands as a person meets them: checks, boxes and
// captions, the busy flag, merging after an update.
#include <gtest/gtest.h>

#include <filesystem>

#include "project/recording_host.h"
#include "project/strings.h"
#include "sharing/project_sharing.h"
#include "sharing/sharing_kit.h"
#include "workbench/workbench.h"

namespace tarvolin::sharing {
namespace {

using test::LoopServer;
using test::readFile;
using test::TempDir;
using test::sharedProjectText;
using test::writeFile;
namespace fs = std::filesystem;

// A host that keeps every box with its caption.
class BoxHost : public Host {
 public:
  void outputLine(std::string_view text) override { lines.emplace_back(text); }
  MessageAnswer messageBox(std::string_view caption, std::string_view text, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    boxes.push_back(std::string(caption) + " | " + std::string(text));
    return defaultAnswer;
  }
  std::vector<std::string> lines, boxes;
};

// A user interface that answers from a script.
class ScriptUi : public SharingUi {
 public:
  bool saveAll() override {
    ++saves;
    return saved;
  }
  bool askComment(std::string& c) override {
    c = comment;
    return !cancelComment;
  }
  void waitFor(SharingClient& client, bool progress) override {
    waited = true;
    withProgress = progress;
    while (!client.finished()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  void showProjectInfo(const std::string& text) override { info = text; }
  bool mergeConflict(ConflictMerge& merge) override {
    merged.push_back(merge.conflict().name);
    std::string error;
    switch (choice) {
      case 'l': merge.keepLocal(); return true;
      case 's': return merge.takeServer(error);
      default: {
        // Both first lines changed: one difference, edited by hand.
        MergeHunk& h = merge.merge().hunks().front();
        h.choice = HunkChoice::Edited;
        h.edited = "línea 1 de ana\r\nlínea 2 de beto\r\n";
        return merge.saveMerged(merge.merge().result(), error);
      }
    }
  }
  void reopenFiles(const std::vector<std::string>& paths) override { reopened = paths; }
  void busyChanged(bool busy) override { busyLog.push_back(busy); }

  bool saved = true;
  int saves = 0;
  std::string comment = "comentario";
  bool cancelComment = false;
  bool waited = false, withProgress = false;
  std::string info;
  char choice = 'l';
  std::vector<std::string> merged, reopened;
  std::vector<bool> busyLog;
};

// A studio's worth of core: a workbench with a shared project open.
struct Studio {
  BoxHost host;
  Workbench bench{host};
  ScriptUi ui;
  std::string folder;
  Studio(const TempDir& dir, const std::string& name, int port, const std::string& user,
         const std::string& password) {
    const std::string file = dir.file(name + "/Demo.tvp");
    writeFile(file, sharedProjectText(port) + "#NO_MAIN_SCRIPT\nTRUE\n\n");
    fs::create_directories(dir.file(name + "/Demo"));
    bench.project().open(file, false);
    bench.programSettings().networkUsername = user;
    bench.programSettings().networkPassword = password;
    bench.sharing().setUi(&ui);
    folder = bench.project().sourceRootPath();
    host.boxes.clear();
  }
  ProjectSharing& net() { return bench.sharing(); }
};

TEST(SharingCommands, SettingsAreCheckedInOrderBeforeConnecting) {
  TempDir dir;
  Studio s(dir, "a", 1, "", "");
  auto& ps = s.bench.programSettings();
  auto& project = s.bench.project().settings();
  project.serverPort = 70000;
  EXPECT_FALSE(s.net().info());
  project.serverPort = 4285;
  project.serverAddress.clear();
  EXPECT_FALSE(s.net().info());
  project.serverAddress = "127.0.0.1";
  EXPECT_FALSE(s.net().info());
  ps.networkUsername = std::string(51, 'u');
  EXPECT_FALSE(s.net().info());
  ps.networkPassword = "x";
  EXPECT_FALSE(s.net().info());
  ps.networkUsername = "ana";
  project.networkName = std::string(51, 'n');
  EXPECT_FALSE(s.net().info());
  project.networkName = "Demo";
  s.ui.comment = std::string(513, 'c');
  EXPECT_FALSE(s.net().commit());
  EXPECT_EQ(s.host.boxes,
            (std::vector<std::string>{
                "Red de Tarvolin | Número de puerto inválido (debe estar entre 0..65535)",
                "Red de Tarvolin | Falta fijar la dirección del servidor",
                "Red de Tarvolin | Falta ingresar un usuario de red",
                "Red de Tarvolin | Falta ingresar una contraseña de red",
                "Red de Tarvolin | El nombre de usuario de red es demasiado largo (50 bytes como máximo)",
                "Red de Tarvolin | El nombre del proyecto en el servidor es demasiado largo (50 bytes como máximo)",
                "Red de Tarvolin | El comentario es demasiado largo (512 bytes como máximo)"}));
  EXPECT_FALSE(s.ui.waited);  // nothing was started

  // A project not marked "Compartir" never writes its shared-file list, so
  // the commands that keep it refuse before asking or saving anything.
  s.host.boxes.clear();
  s.ui.busyLog.clear();
  s.ui.comment = "bien";
  project.networked = false;
  const int savesBefore = s.ui.saves;
  EXPECT_FALSE(s.net().update());
  EXPECT_FALSE(s.net().propose());
  EXPECT_FALSE(s.net().commit());
  EXPECT_EQ(s.host.boxes, std::vector<std::string>(3, "Red de Tarvolin | " + std::string(kNotShared)));
  EXPECT_EQ(s.ui.saves, savesBefore);
  EXPECT_FALSE(s.ui.waited);
  EXPECT_FALSE(s.net().busy());
  EXPECT_TRUE(s.ui.busyLog.empty());
}

TEST(SharingCommands, SaveCheckCommentAndBusyFlag) {
  LoopServer server;
  server.allow("ana", "clave", "Demo");
  TempDir dir;
  Studio s(dir, "a", server.port(), "ana", "clave");
  s.ui.saved = false;
  EXPECT_FALSE(s.net().update());
  EXPECT_FALSE(s.net().commit());
  EXPECT_FALSE(s.net().propose());
  EXPECT_EQ(s.host.boxes, (std::vector<std::string>{
                              "Red de Tarvolin | Todos los archivos deben guardarse antes de actualizar",
                              "Red de Tarvolin | Todos los archivos deben guardarse antes de depositar",
                              "Red de Tarvolin | Todos los archivos deben guardarse antes de proponer"}));
  s.ui.saved = true;
  s.host.boxes.clear();
  s.ui.cancelComment = true;
  EXPECT_FALSE(s.net().commit());
  EXPECT_TRUE(s.host.boxes.empty());
  EXPECT_FALSE(s.ui.waited);
  EXPECT_EQ(s.ui.busyLog, (std::vector<bool>{true, false}));
  EXPECT_FALSE(s.net().busy());

  // Nothing to send: said at once, as a success.
  s.ui.cancelComment = false;
  EXPECT_TRUE(s.net().commit());
  EXPECT_EQ(s.host.boxes.back(),
            "Red - Depositar/Proponer | No hay archivos con cambios o que necesitan depositarse");
  EXPECT_TRUE(s.ui.withProgress);
}

TEST(SharingCommands, UnreachableServer) {
  TempDir dir;
  int port = 0;
  {
    Listener l;
    std::string error;
    l.listen("127.0.0.1", 0, error);
    port = l.port();
  }
  Studio s(dir, "a", port, "ana", "clave");
  s.net().client().setDiagnostics({});
  EXPECT_FALSE(s.net().update());
  EXPECT_EQ(s.host.boxes, (std::vector<std::string>{"Red de Tarvolin | No se puede establecer "
                                                     "conexión con el Servidor:127.0.0.1, Puerto:" +
                                                     std::to_string(port)}));
}

TEST(SharingCommands, InfoCommitUpdateAndTheThreeMerges) {
  LoopServer server;
  server.allow("ana", "clave", "Demo");
  server.allow("beto", "otra", "Demo");
  TempDir dir;
  Studio a(dir, "a", server.port(), "ana", "clave");
  Studio b(dir, "b", server.port(), "beto", "otra");
  for (const char* n : {"uno.txt", "dos.txt", "tres.txt", "igual.txt"})
    writeFile(a.folder + "/" + n, "línea 1\r\nlínea 2\r\nlínea 3\r\n");
  ASSERT_TRUE(a.net().commit());
  EXPECT_EQ(a.host.boxes.back(), "Red - Depositar/Proponer | Complete!");
  // The list went to disk at once (the project is shared).
  FileInfoList saved;
  ASSERT_TRUE(saved.read(a.folder + "/network_versions.txt"));
  EXPECT_EQ(saved, a.net().fileList());

  ASSERT_TRUE(b.net().update());
  EXPECT_EQ(b.host.boxes.back(),
            "Actualización del Proyecto | Proyecto Actualizado - se han actualizado 4 archivos");
  ASSERT_TRUE(b.net().update());
  EXPECT_EQ(b.host.boxes.back(),
            "Actualización del Proyecto | Sin cambios - en sincronización con el servidor");

  // Both change the same three files; B commits first.
  for (const char* n : {"uno.txt", "dos.txt", "tres.txt"}) {
    writeFile(b.folder + "/" + std::string(n), "línea 1\r\nlínea 2 de beto\r\nlínea 3\r\n");
    writeFile(a.folder + "/" + std::string(n), "línea 1 de ana\r\nlínea 2\r\nlínea 3\r\n");
  }
  ASSERT_TRUE(b.net().commit());
  a.host.boxes.clear();
  // Each conflict is merged a different way.
  int turn = 0;
  struct Chooser : ScriptUi {
    int* turn;
    bool mergeConflict(ConflictMerge& m) override {
      choice = "lsm"[(*turn)++];
      return ScriptUi::mergeConflict(m);
    }
  } chooser;
  chooser.turn = &turn;
  a.net().setUi(&chooser);
  ASSERT_TRUE(a.net().update());
  EXPECT_EQ(a.host.boxes.front(), "Actualización del Proyecto | Proyecto Actualizado - 0 archivos "
                                  "actualizados, 3 requieren combinarse");
  EXPECT_EQ(chooser.merged, (std::vector<std::string>{"dos.txt", "tres.txt", "uno.txt"}));
  EXPECT_EQ(readFile(a.folder + "/dos.txt"), "línea 1 de ana\r\nlínea 2\r\nlínea 3\r\n");
  EXPECT_EQ(readFile(a.folder + "/tres.txt"), "línea 1\r\nlínea 2 de beto\r\nlínea 3\r\n");
  EXPECT_EQ(readFile(a.folder + "/uno.txt"), "línea 1 de ana\r\nlínea 2 de beto\r\nlínea 3\r\n");
  EXPECT_FALSE(fs::exists(a.folder + "/~temp"));
  EXPECT_EQ(chooser.reopened.size(), 2u);  // the server's copy and the merged text
  // Kept local and merged go out with the next commit; the server's copy not.
  ASSERT_TRUE(a.net().commit());
  std::int64_t id = server.store().projectId("Demo");
  EXPECT_EQ(server.store().history(id, "dos.txt").size(), 3u);
  EXPECT_EQ(server.store().history(id, "uno.txt").size(), 3u);
  EXPECT_EQ(server.store().history(id, "tres.txt").size(), 2u);

  ASSERT_TRUE(b.net().info());
  EXPECT_NE(b.ui.info.find("Versión más reciente: 3"), std::string::npos);
  EXPECT_FALSE(b.ui.withProgress);  // information has no progress window
}

TEST(SharingCommands, AnUpdateReloadsTheProjectsAssetLists) {
  LoopServer server;
  server.allow("ana", "clave", "Demo");
  TempDir dir;
  Studio a(dir, "a", server.port(), "ana", "clave");
  Studio b(dir, "b", server.port(), "ana", "clave");
  project::StringRecord title;
  title.identifier = "SID_TITULO";
  title.texts[5] = "Aventura";
  writeFile(a.folder + "/string_table.txt", project::writeStrings({title}));
  ASSERT_TRUE(a.net().commit());
  // B's open project sees the new string without opening again.
  struct Watcher : project::ProjectObserver {
    int opened = 0;
    void projectChanged(project::ProjectEvent e) override {
      if (e == project::ProjectEvent::Opened) ++opened;
    }
  } watcher;
  b.bench.project().addObserver(&watcher);
  EXPECT_EQ(b.bench.project().strings().size(), 0u);
  ASSERT_TRUE(b.net().update());
  ASSERT_EQ(b.bench.project().strings().size(), 1u);
  EXPECT_EQ(b.bench.project().strings().items()[0].identifier, "SID_TITULO");
  EXPECT_EQ(watcher.opened, 1);
  EXPECT_EQ(b.ui.reopened.size(), 1u);
  b.bench.project().removeObserver(&watcher);
}

TEST(SharingCommands, MergeFailuresAreReported) {
  LoopServer server;
  server.allow("ana", "clave", "Demo");
  TempDir dir;
  Studio a(dir, "a", server.port(), "ana", "clave");
  Studio b(dir, "b", server.port(), "ana", "clave");
  writeFile(a.folder + "/x.txt", "x\n");
  ASSERT_TRUE(a.net().commit());
  ASSERT_TRUE(b.net().update());
  writeFile(a.folder + "/x.txt", "x de a\n");
  writeFile(b.folder + "/x.txt", "x de b\n");
  ASSERT_TRUE(a.net().commit());
  b.net().setDiffProgram(dir.file("no-hay-diff"));
  b.host.boxes.clear();
  ASSERT_TRUE(b.net().update());
  EXPECT_EQ(b.host.boxes, (std::vector<std::string>{
                              "Actualización del Proyecto | Proyecto Actualizado - 0 archivos actualizados, 1 requieren combinarse",
                              "Tarvolin | 'Diff' tool not found, or unable to execute - unable to merge",
                              "Error de Red | Error mientras se combinaban archivos"}));
  EXPECT_EQ(readFile(b.folder + "/x.txt"), "x de b\n");
  EXPECT_TRUE(b.ui.merged.empty());
}

}  // namespace
}  // namespace tarvolin::sharing
