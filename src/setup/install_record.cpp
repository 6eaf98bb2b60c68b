#include "setup/install_record.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "setup/desktop_files.h"
#include "setup/file_tree.h"

namespace tarvolin::setup {

namespace {

struct KindName {
  RecordKind kind;
  std::string_view name;
};
constexpr std::array<KindName, 4> kKindNames = {{
    {RecordKind::Association, "association"},
    {RecordKind::Group, "group"},
    {RecordKind::DefaultApplication, "default"},
    {RecordKind::Folder, "folder"},
}};

}  // namespace

void InstallRecord::add(RecordKind kind, const std::string& path) {
  RecordEntry entry{kind, path};
  if (std::find(entries_.begin(), entries_.end(), entry) == entries_.end())
    entries_.push_back(std::move(entry));
}

std::vector<std::string> InstallRecord::paths(RecordKind kind) const {
  std::vector<std::string> out;
  for (const RecordEntry& e : entries_)
    if (e.kind == kind) out.push_back(e.path);
  return out;
}

std::string InstallRecord::text() const {
  std::string out;
  for (const RecordEntry& e : entries_) {
    for (const KindName& k : kKindNames)
      if (k.kind == e.kind) out += std::string(k.name) + "\t" + e.path + "\n";
  }
  return out;
}

InstallRecord InstallRecord::parse(std::string_view text) {
  InstallRecord record;
  for (const std::string& entry : splitLines(text)) {
    const std::string_view line = entry;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    const std::string_view kind = line.substr(0, tab);
    const std::string_view path = line.substr(tab + 1);
    if (path.empty() || path.front() != '/') continue;
    for (const KindName& k : kKindNames)
      if (k.name == kind) record.add(k.kind, std::string(path));
  }
  return record;
}

InstallRecord InstallRecord::standard(const DesktopPlaces& places) {
  InstallRecord record;
  record.add(RecordKind::Association, places.mimePackages() + "/" + std::string(kMimePackageFile));
  record.add(RecordKind::Association,
             places.icons() + "/mimetypes/" + std::string(kProjectIconName) + ".svg");
  record.add(RecordKind::DefaultApplication, places.mimeappsList());
  record.add(RecordKind::Group, places.mergedMenus() + "/" + std::string(kMenuFile));
  record.add(RecordKind::Group, places.directories() + "/" + std::string(kDirectoryFile));
  for (std::string_view entry : {kStudioEntry, kGuideEntry, kUninstallEntry, kSamplesEntry})
    record.add(RecordKind::Group, places.applications() + "/" + std::string(entry));
  record.add(RecordKind::Group, places.icons() + "/apps/" + std::string(kStudioIconName) + ".svg");
  return record;
}

bool isInstallerFileName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::string mimeIcon = std::string(kProjectIconName) + ".svg";
  const std::string studioIcon = std::string(kStudioIconName) + ".svg";
  for (std::string_view known : {kMimePackageFile, kMenuFile, kDirectoryFile, kStudioEntry,
                                 kGuideEntry, kUninstallEntry, kSamplesEntry,
                                 std::string_view("mimeapps.list"), std::string_view(mimeIcon),
                                 std::string_view(studioIcon)})
    if (name == known) return true;
  return false;
}

}  // namespace tarvolin::setup
