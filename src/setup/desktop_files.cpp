#include "setup/desktop_files.h"

#include "common/text.h"
#include "setup/file_tree.h"
#include "setup/setup_texts.h"

namespace tarvolin::setup {

static bool isReserved(char c) {
  switch (c) {
    case ' ': case '\t': case '\n': case '"': case '\'': case '\\': case '>': case '<':
    case '~': case '|': case '&': case ';': case '$': case '*': case '?': case '#':
    case '(': case ')': case '`':
      return true;
    default:
      return false;
  }
}

std::string execArgument(std::string_view argument) {
  bool quote = argument.empty();
  for (char c : argument) quote = quote || isReserved(c);
  std::string out;
  if (quote) out += '"';
  for (char c : argument) {
    if (c == '%') {
      out += "%%";
      continue;
    }
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    out += c;
  }
  if (quote) out += '"';
  return out;
}

std::string escapeEntryValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == ' ' && out.empty()) out += "\\s";  // a leading blank would be dropped
    else out += c;
  }
  return out;
}

bool isDesktopSafePath(std::string_view path) {
  std::size_t i = 0;
  while (i < path.size()) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (c < 0x20 || c == 0x7f) return false;
    int follow = 0;
    if (c < 0x80) follow = 0;
    else if ((c & 0xe0) == 0xc0 && c >= 0xc2) follow = 1;
    else if ((c & 0xf0) == 0xe0) follow = 2;
    else if ((c & 0xf8) == 0xf0 && c <= 0xf4) follow = 3;
    else return false;
    for (int k = 1; k <= follow; ++k) {
      if (i + k >= path.size()) return false;
      if ((static_cast<unsigned char>(path[i + k]) & 0xc0) != 0x80) return false;
    }
    // Overlong three- and four-byte forms and surrogates.
    if (follow == 2) {
      const auto d = static_cast<unsigned char>(path[i + 1]);
      if ((c == 0xe0 && d < 0xa0) || (c == 0xed && d >= 0xa0)) return false;
    } else if (follow == 3) {
      const auto d = static_cast<unsigned char>(path[i + 1]);
      if ((c == 0xf0 && d < 0x90) || (c == 0xf4 && d >= 0x90)) return false;
    }
    i += static_cast<std::size_t>(follow) + 1;
  }
  return true;
}

static std::string joined(const std::string& folder, std::string_view name) {
  std::string out = folder;
  if (out.empty() || out.back() != '/') out += '/';
  return out + std::string(name);
}

static DesktopEntry studioEntry(const std::string& program, const std::string& icon) {
  DesktopEntry studio;
  studio.fileName = std::string(kStudioEntry);
  studio.name = std::string(kProductName);
  studio.comment = "Crea juegos de Game Boy Advance sin escribir código máquina";
  // Started from the menu, "-P" has no file after it and is ignored; opened
  // from a project file it receives the file, as the association asks.
  studio.exec = execArgument(program) + " -P %f";
  studio.icon = icon;
  studio.categories = "Development;IDE;";
  studio.mimeType = std::string(kProjectMimeType) + ";";
  return studio;
}

DesktopEntry packagedStudioEntry() {
  return studioEntry(std::string(kStudioProgram), std::string(kStudioIconName));
}

namespace {

// The guide opens in the studio's help window, with no project and no
// emulator: the same pages and search as F1.
DesktopEntry guideEntry(const std::string& program) {
  DesktopEntry guide;
  guide.fileName = std::string(kGuideEntry);
  guide.name = std::string(kGuideTitle);
  guide.comment = "Abre la guía de usuario de Tarvolin";
  guide.exec = execArgument(program) + " --guide";
  guide.icon = "help-contents";
  guide.categories = "Development;Documentation;";
  return guide;
}

}  // namespace

DesktopEntry packagedGuideEntry() { return guideEntry(std::string(kStudioProgram)); }

std::vector<DesktopEntry> programGroupEntries(const std::string& folder,
                                              const std::string& studioIcon) {
  std::vector<DesktopEntry> entries(4);
  entries[0] = studioEntry(joined(folder, kStudioProgram), studioIcon);
  entries[0].tryExec = joined(folder, kStudioProgram);
  entries[1] = guideEntry(joined(folder, kStudioProgram));
  entries[1].tryExec = joined(folder, kStudioProgram);

  DesktopEntry& uninstall = entries[2];
  uninstall.fileName = std::string(kUninstallEntry);
  uninstall.name = std::string(kUninstallTitle);
  uninstall.comment = "Quita Tarvolin de este equipo";
  uninstall.exec = execArgument(joined(folder, kUninstallProgram));
  uninstall.tryExec = joined(folder, kUninstallProgram);
  uninstall.icon = "edit-delete";
  uninstall.workingFolder = folder;
  uninstall.categories = "Development;";

  DesktopEntry& samples = entries[3];
  samples.fileName = std::string(kSamplesEntry);
  samples.name = std::string(kSamplesTitle);
  samples.comment = "Abre la carpeta de los proyectos de ejemplo";
  samples.exec = "xdg-open " + execArgument(joined(folder, kSamplesFolder) + "/");
  samples.icon = "folder";
  samples.categories = "Development;";
  return entries;
}

std::string desktopEntryText(const DesktopEntry& e) {
  std::string out = "[Desktop Entry]\nVersion=1.0\nType=Application\n";
  out += "Name=" + escapeEntryValue(e.name) + "\n";
  if (!e.comment.empty()) out += "Comment=" + escapeEntryValue(e.comment) + "\n";
  if (!e.tryExec.empty()) out += "TryExec=" + escapeEntryValue(e.tryExec) + "\n";
  out += "Exec=" + escapeEntryValue(e.exec) + "\n";
  if (!e.workingFolder.empty()) out += "Path=" + escapeEntryValue(e.workingFolder) + "\n";
  if (!e.icon.empty()) out += "Icon=" + escapeEntryValue(e.icon) + "\n";
  out += "Terminal=false\n";
  if (!e.categories.empty()) out += "Categories=" + e.categories + "\n";
  if (!e.mimeType.empty()) out += "MimeType=" + e.mimeType + "\n";
  return out;
}

std::string directoryEntryText(const std::string& icon) {
  std::string out = "[Desktop Entry]\nVersion=1.0\nType=Directory\n";
  out += "Name=" + escapeEntryValue(kGroupName) + "\n";
  if (!icon.empty()) out += "Icon=" + escapeEntryValue(icon) + "\n";
  return out;
}

std::string menuFileText(const std::vector<DesktopEntry>& entries) {
  std::string files;
  for (const DesktopEntry& e : entries) files += "      <Filename>" + e.fileName + "</Filename>\n";
  std::string out =
      "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
      " \"http://www.freedesktop.org/standards/menu-spec/1.0/menu.dtd\">\n"
      "<Menu>\n"
      "  <Name>Applications</Name>\n"
      "  <Menu>\n";
  out += "    <Name>" + std::string(kGroupName) + "</Name>\n";
  out += "    <Directory>" + std::string(kDirectoryFile) + "</Directory>\n";
  out += "    <Include>\n" + files + "    </Include>\n";
  out += "    <Layout>\n" + files + "    </Layout>\n";
  out += "  </Menu>\n</Menu>\n";
  return out;
}

std::string mimePackageText() {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  out += "  <mime-type type=\"" + std::string(kProjectMimeType) + "\">\n";
  out += "    <comment>" + std::string(kProjectTypeName) + "</comment>\n";
  out += "    <comment xml:lang=\"es\">Archivo de proyecto de Tarvolin</comment>\n";
  out += "    <icon name=\"" + std::string(kProjectIconName) + "\"/>\n";
  out += "    <sub-class-of type=\"text/plain\"/>\n";
  out += "    <glob pattern=\"*" + std::string(kProjectExtension) + "\"/>\n";
  out += "  </mime-type>\n</mime-info>\n";
  return out;
}

namespace {

constexpr std::string_view kDefaultSection = "[Default Applications]";
constexpr std::string_view kAddedSection = "[Added Associations]";

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> splitList(std::string_view value) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find(';', start);
    if (end == std::string_view::npos) end = value.size();
    std::string_view item = trimmed(value.substr(start, end - start));
    if (!item.empty()) items.emplace_back(item);
    start = end + 1;
  }
  return items;
}

std::string joinList(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& i : items) out += i + ";";
  return out;
}

// The key of a "key=value" line, or empty.
std::string_view keyOf(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return {};
  return trimmed(line.substr(0, eq));
}

// Rewrites the `mime` line of `section` through `change` (which gets the
// current items); appends the line, and the section, when missing and the
// change leaves items.
template <typename Change>
std::vector<std::string> editList(std::vector<std::string> lines, std::string_view section,
                                  std::string_view mime, Change change) {
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view t = trimmed(lines[i]);
    if (!t.empty() && t.front() == '[') {
      inSection = t == section;
      continue;
    }
    if (!inSection || keyOf(t) != mime) continue;
    std::vector<std::string> items = change(splitList(t.substr(t.find('=') + 1)));
    if (items.empty()) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    else lines[i] = std::string(mime) + "=" + joinList(items);
    return lines;
  }
  std::vector<std::string> items = change({});
  if (items.empty()) return lines;
  const std::string line = std::string(mime) + "=" + joinList(items);
  bool found = false;
  inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view t = trimmed(lines[i]);
    if (!t.empty() && t.front() == '[') {
      if (inSection) {
        // Insert before any blank lines that end the section.
        std::size_t at = i;
        while (at > 0 && trimmed(lines[at - 1]).empty()) --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        return lines;
      }
      inSection = t == section;
      found = found || inSection;
    }
  }
  if (found) {
    std::size_t at = lines.size();
    while (at > 0 && trimmed(lines[at - 1]).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    return lines;
  }
  if (!lines.empty() && !trimmed(lines.back()).empty()) lines.emplace_back();
  lines.emplace_back(section);
  lines.push_back(line);
  return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// Drops a default or added section left without keys (with the blank lines
// after it), so that a list the installer created leaves nothing behind.
std::vector<std::string> withoutEmptySections(std::vector<std::string> lines) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view t = trimmed(lines[i]);
    if (t == kDefaultSection || t == kAddedSection) {
      std::size_t next = i + 1;
      while (next < lines.size() && trimmed(lines[next]).empty()) ++next;
      if (next == lines.size() || trimmed(lines[next]).front() == '[') {
        i = next - 1;
        continue;
      }
    }
    out.push_back(std::move(lines[i]));
  }
  while (!out.empty() && trimmed(out.back()).empty()) out.pop_back();
  return out;
}

std::vector<std::string> without(std::vector<std::string> items, std::string_view id) {
  std::erase(items, std::string(id));
  return items;
}

}  // namespace

std::string withDefaultApplication(std::string_view mimeapps, std::string_view mime,
                                   std::string_view desktopId) {
  auto first = [&](std::vector<std::string> items) {
    items = without(std::move(items), desktopId);
    items.insert(items.begin(), std::string(desktopId));
    return items;
  };
  std::vector<std::string> lines = splitLines(mimeapps);
  lines = editList(std::move(lines), kDefaultSection, mime, first);
  lines = editList(std::move(lines), kAddedSection, mime, first);
  return joinLines(lines);
}

std::string withoutDefaultApplication(std::string_view mimeapps, std::string_view mime,
                                      std::string_view desktopId) {
  auto drop = [&](std::vector<std::string> items) { return without(std::move(items), desktopId); };
  std::vector<std::string> lines = splitLines(mimeapps);
  lines = editList(std::move(lines), kDefaultSection, mime, drop);
  lines = editList(std::move(lines), kAddedSection, mime, drop);
  return joinLines(withoutEmptySections(std::move(lines)));
}

}  // namespace tarvolin::setup
