// tarvolin-server: the project server of project sharing, and the commands
// that set up its data folder (users, projects, access) and look into it
// (history, proposals).
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "sharing/server/import.h"
#include "sharing/server/server.h"
#include "sharing/server/store.h"

namespace {

using tarvolin::sharing::server::Store;
using Args = std::vector<std::string>;

constexpr const char* kUsage =
    "Uso:\n"
    "  tarvolin-server init --data CARPETA\n"
    "  tarvolin-server user add NOMBRE --data CARPETA      (contraseña por la entrada estándar)\n"
    "  tarvolin-server project add NOMBRE --data CARPETA [--from CARPETA]\n"
    "  tarvolin-server grant USUARIO PROYECTO --data CARPETA\n"
    "  tarvolin-server serve --data CARPETA [--port 4285] [--bind 127.0.0.1]\n"
    "  tarvolin-server log PROYECTO --data CARPETA\n"
    "  tarvolin-server proposals PROYECTO --data CARPETA\n"
    "  tarvolin-server accept ID --data CARPETA\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "tarvolin-server: %s\n", message.c_str());
  return 1;
}

// Splits "--name value" options from the positional words.
struct Parsed {
  Args words;
  std::string data, from, bind = "127.0.0.1";
  int port = 4285;
  bool ok = true;
};

Parsed parse(const Args& args) {
  Parsed p;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) p.ok = false;
      else out = args[++i];
    };
    if (a == "--data") value(p.data);
    else if (a == "--from") value(p.from);
    else if (a == "--bind") value(p.bind);
    else if (a == "--port") {
      std::string text;
      value(text);
      char* end = nullptr;
      const long port = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end || port < 0 || port > 65535) p.ok = false;
      else p.port = int(port);
    } else if (a.rfind("--", 0) == 0) {
      p.ok = false;
    } else {
      p.words.push_back(a);
    }
  }
  if (p.data.empty()) p.ok = false;
  return p;
}

// One line from standard input, not echoed when it is a terminal.
std::string readPassword() {
  termios old{};
  const bool tty = ::isatty(0) && ::tcgetattr(0, &old) == 0;
  if (tty) {
    std::fprintf(stderr, "Contraseña: ");
    termios quiet = old;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    ::tcsetattr(0, TCSANOW, &quiet);
  }
  std::string line;
  std::getline(std::cin, line);
  if (tty) {
    ::tcsetattr(0, TCSANOW, &old);
    std::fprintf(stderr, "\n");
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::atomic<bool> gStop{false};
void onSignal(int) { gStop.store(true); }

int serve(Store& store, const Parsed& p) {
  tarvolin::sharing::server::SharingServer server(store);
  server.setLog([](std::string_view line) {
    std::printf("%.*s\n", int(line.size()), line.data());
    std::fflush(stdout);
  });
  tarvolin::sharing::server::ServerOptions options;
  options.bind = p.bind;
  options.port = p.port;
  std::string error;
  if (!server.start(options, error)) return fail("no se puede escuchar en " + p.bind + ":" +
                                                 std::to_string(p.port) + ": " + error);
  std::printf("Servidor de Tarvolin escuchando en %s:%d\n", p.bind.c_str(), server.port());
  std::fflush(stdout);
  struct sigaction sa{};
  sa.sa_handler = onSignal;
  ::sigaction(SIGINT, &sa, nullptr);
  ::sigaction(SIGTERM, &sa, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  while (!gStop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server.stop();
  std::printf("Servidor detenido\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Args all(argv + 1, argv + argc);
  if (all.empty() || all[0] == "--help" || all[0] == "-h") {
    std::fputs(kUsage, all.empty() ? stderr : stdout);
    return all.empty() ? 2 : 0;
  }
  const std::string command = all[0];
  const Parsed p = parse(Args(all.begin() + 1, all.end()));
  if (!p.ok) return usage();
  std::string error;
  if (command == "init") {
    if (!p.words.empty()) return usage();
    if (!Store::init(p.data, error)) return fail(error);
    std::printf("Carpeta de datos preparada: %s\n", p.data.c_str());
    return 0;
  }
  Store store;
  const bool known = command == "user" || command == "project" || command == "grant" ||
                     command == "serve" || command == "log" || command == "proposals" ||
                     command == "accept";
  if (!known) return usage();
  if (!store.open(p.data, error)) return fail(error);

  if (command == "user") {
    if (p.words.size() != 2 || p.words[0] != "add") return usage();
    const std::string password = readPassword();
    if (password.empty()) return fail("la contraseña no puede estar vacía");
    if (!store.addUser(p.words[1], password, error)) return fail(error);
    std::printf("Usuario '%s' guardado\n", p.words[1].c_str());
    return 0;
  }
  if (command == "project") {
    if (p.words.size() != 2 || p.words[0] != "add") return usage();
    if (!store.addProject(p.words[1], error)) return fail(error);
    int files = 0;
    if (!p.from.empty() &&
        !tarvolin::sharing::server::importFolder(store, p.words[1], p.from, "tarvolin-server",
                                                 error, &files))
      return fail(error);
    std::printf("Proyecto '%s' creado", p.words[1].c_str());
    if (!p.from.empty()) std::printf(" con %d archivos", files);
    std::printf("\n");
    return 0;
  }
  if (command == "grant") {
    if (p.words.size() != 2) return usage();
    if (!store.grant(p.words[0], p.words[1], error)) return fail(error);
    std::printf("'%s' tiene acceso a '%s'\n", p.words[0].c_str(), p.words[1].c_str());
    return 0;
  }
  if (command == "serve") {
    if (!p.words.empty()) return usage();
    return serve(store, p);
  }
  if (command == "log" || command == "proposals") {
    if (p.words.size() != 1) return usage();
    const std::int64_t id = store.projectId(p.words[0]);
    if (!id) return fail("no existe el proyecto '" + p.words[0] + "'");
    const std::string text = command == "log" ? store.historyText(id) : store.proposalsText(id);
    std::fputs(text.empty() ? (command == "log" ? "(sin depósitos)\n" : "(sin propuestas)\n")
                            : text.c_str(),
               stdout);
    return 0;
  }
  // accept
  if (p.words.size() != 1) return usage();
  char* end = nullptr;
  const long long id = std::strtoll(p.words[0].c_str(), &end, 10);
  if (p.words[0].empty() || *end || id <= 0) return usage();
  std::int32_t revision = 0;
  switch (store.acceptProposal(id, revision, error)) {
    case tarvolin::sharing::server::CommitOutcome::Done:
      std::printf("Propuesta %lld aceptada: versión %d\n", id, revision);
      return 0;
    case tarvolin::sharing::server::CommitOutcome::Stale:
      return fail("la propuesta parte de versiones antiguas: " + error);
    case tarvolin::sharing::server::CommitOutcome::Failed:
      break;
  }
  return fail(error);
}
