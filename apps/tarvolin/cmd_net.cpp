// tarvolin net info|update|propose|commit PROJECT.tvp: the sharing commands
// without the studio, for scripts and CI. The password comes from
// TARVOLIN_PASSWORD or standard input, never from the command line.
// Conflicts of an update are listed and left for the studio's merge.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "commands.h"
#include "platform/paths.h"
#include "workbench/workbench.h"

namespace tarvolin::cli {
namespace {

constexpr const char* kUsage =
    "Uso: tarvolin net info|update|propose|commit PROYECTO.tvp [--comment TEXTO] "
    "[--user NOMBRE] [--timeout SEGUNDOS] [--settings ARCHIVO]\n"
    "La contraseña se toma de TARVOLIN_PASSWORD o de la entrada estándar.\n";

// Notes and message boxes go to standard error; standard output gets the
// project information, the conflicts left and the result line.
class NetHost : public Host {
 public:
  void outputLine(std::string_view text) override {
    std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
  }
  MessageAnswer messageBox(std::string_view caption, std::string_view text, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                 text.data());
    return defaultAnswer;
  }
};

class NetUi : public sharing::SharingUi {
 public:
  explicit NetUi(std::string comment) : comment_(std::move(comment)) {}
  bool saveAll() override { return true; }
  bool askComment(std::string& comment) override {
    comment = comment_;
    return true;
  }
  void waitFor(sharing::SharingClient& client, bool) override {
    sharing::Phase phase;
    while (!client.finished()) {
      if (client.progress().takePhase(phase) && phase != sharing::Phase::None) {
        const std::string_view text = sharing::phaseText(phase);
        std::fprintf(stderr, "%.*s\n", int(text.size()), text.data());
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  void showProjectInfo(const std::string& text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  }
  bool canMerge() const override { return false; }
  void conflictLeft(const sharing::Conflict& c) override {
    std::printf("Pendiente de combinar: %s (versión %d en el servidor)\n", c.name.c_str(),
                c.version);
  }
  bool mergeConflict(sharing::ConflictMerge&) override { return false; }
  void reopenFiles(const std::vector<std::string>&) override {}

 private:
  std::string comment_;
};

int runNet(const Args& args) {
  std::string command, projectPath, comment, user, settingsPath;
  int timeoutMs = sharing::kDefaultTimeoutMs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    bool ok = true;
    if (a == "--comment") ok = value(comment);
    else if (a == "--user") ok = value(user);
    else if (a == "--settings") ok = value(settingsPath);
    else if (a == "--timeout") {
      std::string text;
      ok = value(text);
      char* end = nullptr;
      const long seconds = ok ? std::strtol(text.c_str(), &end, 10) : 0;
      ok = ok && !text.empty() && *end == '\0' && seconds > 0 && seconds <= 86400;
      timeoutMs = int(seconds * 1000);
    } else if (a.rfind("--", 0) == 0) ok = false;
    else if (command.empty()) command = a;
    else if (projectPath.empty()) projectPath = a;
    else ok = false;
    if (!ok) {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (projectPath.empty() || (command != "info" && command != "update" &&
                              command != "propose" && command != "commit")) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (command != "commit" && !comment.empty()) {
    std::fprintf(stderr, "tarvolin net: --comment solo vale para commit\n");
    return 2;
  }

  NetHost host;
  Workbench bench(host);
  project::Project& project = bench.project();
  const std::string absolute = project.absolutePath(projectPath);
  if (!platform::fileExists(absolute)) {
    std::fprintf(stderr, "tarvolin net: el proyecto no existe: %s\n", absolute.c_str());
    return 2;
  }
  const std::string settingsFile =
      settingsPath.empty() ? project::defaultProgramSettingsPath() : settingsPath;
  project::loadProgramSettings(settingsFile, bench.programSettings(), 1 << 20, 1 << 20);
  if (!project.open(absolute, false)) {
    std::fprintf(stderr, "tarvolin net: no se puede abrir el proyecto %s\n", absolute.c_str());
    return 2;
  }
  // Refused before connecting: a usage error here, not a failed transaction.
  const sharing::TransactionKind kind = command == "info"     ? sharing::TransactionKind::Info
                                        : command == "update" ? sharing::TransactionKind::Update
                                        : command == "propose" ? sharing::TransactionKind::Propose
                                                               : sharing::TransactionKind::Commit;
  if (sharing::ProjectSharing::needsSharedProject(kind) && !project.settings().networked) {
    std::fprintf(stderr, "tarvolin net: %s\n", std::string(sharing::kNotShared).c_str());
    return 2;
  }

  sharing::ProjectSharing& net = bench.sharing();
  sharing::SharingAccount account = sharing::accountFor(project, bench.programSettings());
  if (!user.empty()) account.user = user;
  if (const char* env = std::getenv("TARVOLIN_PASSWORD")) {
    account.password = env;
  } else {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    account.password = line;
  }
  net.setAccount(account);
  net.setTimeout(timeoutMs);
  NetUi ui(comment);
  net.setUi(&ui);

  bool ok = false;
  if (command == "info") ok = net.info();
  else if (command == "update") ok = net.update();
  else if (command == "propose") ok = net.propose();
  else ok = net.commit();
  if (!net.resultText().empty()) std::printf("%s\n", net.resultText().c_str());
  return ok ? 0 : 1;
}

const SubcommandRegistrar registrar(
    {60, "net", "info|update|propose|commit PROYECTO.tvp  comparte el proyecto con el servidor",
     runNet});

}  // namespace
}  // namespace tarvolin::cli
