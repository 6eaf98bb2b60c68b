#include "project/startup_arguments.h"

#include "common/text.h"
#include "platform/paths.h"

namespace tarvolin::project {

static bool isOption(char c) { return c == 'P' || c == 'p' || c == 'S' || c == 's'; }

std::vector<StartupArgument> parseStartupCommandLine(std::string_view line) {
  std::vector<StartupArgument> out;
  std::size_t i = 0;
  while ((i = line.find('-', i)) != std::string_view::npos) {
    if (i + 1 >= line.size() || !isOption(line[i + 1])) {
      ++i;
      continue;
    }
    const char option = toUpperAscii(line[i + 1]);
    std::size_t pos = skipBlanks(line, i + 2);
    std::string value;
    if (pos < line.size() && line[pos] == '"') {
      std::size_t close = line.find('"', pos + 1);
      if (close == std::string_view::npos) close = line.size();
      value.assign(line.substr(pos + 1, close - pos - 1));
      i = close < line.size() ? close + 1 : close;
    } else {
      std::size_t end = pos;
      while (end < line.size() && !isBlank(line[end])) ++end;
      value.assign(line.substr(pos, end - pos));
      i = end;
    }
    if (!value.empty()) out.push_back({option, std::move(value)});
  }
  return out;
}

static std::string unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  return std::string(text);
}

std::vector<StartupArgument> parseStartupArguments(const std::vector<std::string>& args) {
  std::vector<StartupArgument> out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-' || !isOption(a[1])) continue;
    std::string value;
    if (a.size() > 2) value = unquoted(std::string_view(a).substr(2));
    else if (i + 1 < args.size()) value = unquoted(args[++i]);
    if (!value.empty()) out.push_back({toUpperAscii(a[1]), std::move(value)});
  }
  return out;
}

void applyStartupArguments(Project& project, Host& host,
                           const std::vector<StartupArgument>& arguments) {
  for (const StartupArgument& arg : arguments) {
    if (arg.option == 'P') {
      std::string path = arg.value;
      auto exists = [&](const std::string& p) {
        return platform::fileExists(project.absolutePath(p));
      };
      if (!exists(path)) {
        if (!exists(path + ".tvp")) {
          host.messageBox("Tarvolin", "El proyecto no existe", MessageButtons::Ok,
                          MessageAnswer::Ok);
          continue;
        }
        path += ".tvp";
      }
      project.open(path, false);
    } else if (arg.option == 'S' && project.isOpen()) {
      const std::string script = project.scriptPath(arg.value);
      if (platform::fileExists(script) && project.hooks().openScript)
        project.hooks().openScript(script);
    }
  }
}

}  // namespace tarvolin::project
