// tarvolin net: the sharing commands from the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "sharing/child_process.h"
#include "sharing/sharing_kit.h"

namespace tarvolin::sharing {
namespace {

using test::ChildProcess;
using test::LoopServer;
using test::TempDir;
using test::sharedProjectText;
using test::writeFile;

struct NetRun {
  int exitCode = -1;
  std::vector<std::string> lines;
  const std::string& last() const {
    static const std::string none;
    return lines.empty() ? none : lines.back();
  }
  bool has(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

NetRun net(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
           const std::string& input = {}) {
  std::vector<std::string> all{TARVOLIN_EXE, "net"};
  all.insert(all.end(), args.begin(), args.end());
  ChildProcess child;
  NetRun r;
  if (!child.start(all, env, input)) return r;
  std::string line;
  while (child.readLine(line, 60000)) r.lines.push_back(line);
  r.exitCode = child.wait();
  return r;
}

struct CliProject {
  TempDir dir;
  std::string tvp = dir.file("p/Demo.tvp");
  std::string settings = dir.file("Settings.txt");
  std::string folder = dir.file("p/Demo");
  CliProject(int port, bool networked = true) {
    writeFile(tvp, sharedProjectText(port, networked) + "#NO_MAIN_SCRIPT\nTRUE\n\n");
    writeFile(settings, "#NETWORK_USERNAME\nana\n\n");
    std::filesystem::create_directories(folder);
  }
  std::vector<std::string> args(const std::string& command,
                                std::vector<std::string> more = {}) const {
    std::vector<std::string> a{command, tvp, "--settings", settings};
    a.insert(a.end(), more.begin(), more.end());
    return a;
  }
};

TEST(NetCommand, UsageErrorsExitWithTwo) {
  CliProject p(1);
  CliProject unshared(1, false);
  EXPECT_EQ(net({}).exitCode, 2);
  EXPECT_EQ(net({"publish", p.tvp}).exitCode, 2);
  EXPECT_EQ(net({"info"}).exitCode, 2);
  EXPECT_EQ(net(p.args("info", {"--comment", "x"})).exitCode, 2);
  EXPECT_EQ(net(p.args("info", {"--password", "x"})).exitCode, 2);
  EXPECT_EQ(net(p.args("info", {"--timeout", "0"})).exitCode, 2);
  EXPECT_EQ(net({"info", p.dir.file("no/Existe.tvp")}).exitCode, 2);
  EXPECT_EQ(net(unshared.args("update"), {"TARVOLIN_PASSWORD=x"}).exitCode, 2);
}

TEST(NetCommand, TransactionsPrintTheirResultAndExitCode) {
  LoopServer server;
  server.allow("ana", "clave", "Demo");
  server.allow("beto", "otra", "Demo");
  CliProject a(server.port()), b(server.port());
  const std::vector<std::string> ana{"TARVOLIN_PASSWORD=clave"};

  NetRun r = net(a.args("info"), ana);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.has("Proyecto: Demo"));
  EXPECT_EQ(r.last(), "Complete!");

  r = net(a.args("info"), {"TARVOLIN_PASSWORD=mala"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.last(), "Login Packet Error");

  // The password may come on standard input; the comment goes with a commit.
  writeFile(a.folder + "/Script/main.txt", "; ana\r\n");
  r = net(a.args("commit", {"--comment", "desde la consola"}), {}, "clave\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.last(), "Complete!");
  EXPECT_NE(server.store().historyText(server.store().projectId("Demo")).find("desde la consola"),
            std::string::npos);
  r = net(a.args("commit"), ana);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.last(), "No hay archivos con cambios o que necesitan depositarse");

  // Another user's copy changes the same file: the conflict is listed and left.
  r = net(b.args("update", {"--user", "beto"}), {"TARVOLIN_PASSWORD=otra"});
  EXPECT_EQ(r.exitCode, 0);
  writeFile(b.folder + "/Script/main.txt", "; beto\r\n");
  writeFile(a.folder + "/Script/main.txt", "; ana otra vez\r\n");
  EXPECT_EQ(net(b.args("commit", {"--user", "beto"}), {"TARVOLIN_PASSWORD=otra"}).exitCode, 0);
  r = net(a.args("commit"), ana);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.last(), "Client needs to update first");
  r = net(a.args("update"), ana);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.has("Pendiente de combinar: Script\\main.txt (versión 2 en el servidor)"));
  EXPECT_EQ(r.last(), "Complete!");
  EXPECT_EQ(test::readFile(a.folder + "/Script/main.txt"), "; ana otra vez\r\n");

  server.stop();
  r = net(a.args("update", {"--timeout", "5"}), ana);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.last(), "Fallo al intentar conexión: 127.0.0.1");
}

}  // namespace
}  // namespace tarvolin::sharing
