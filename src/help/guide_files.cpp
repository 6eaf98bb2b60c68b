#include "help/guide_files.h"

#include <QDir>
#include <QFileInfo>

#include <string>

#include "platform/paths.h"
#include "platform/shipped_data.h"

namespace tarvolin::help {

namespace {

#ifdef TARVOLIN_SOURCE_DATA_DIR
const std::string kSourceData = TARVOLIN_SOURCE_DATA_DIR;
#else
const std::string kSourceData = "data";
#endif

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QStringList guideFolders() {
  const std::string found = platform::findShippedData(platform::executableFolder(), "guide", kSourceData);
  // An installed guide holds every page; in the build tree the generated
  // pages are in the build's data folder and the others in the sources.
  if (found != platform::joinPath(kSourceData, "guide")) return {QDir::cleanPath(fromStd(found))};
  QStringList folders;
#ifdef TARVOLIN_BUILD_DATA_DIR
  folders << QStringLiteral(TARVOLIN_BUILD_DATA_DIR "/guide");
#endif
  folders << fromStd(found);
  return folders;
}

QString whatsNewPath() {
  return QDir::cleanPath(fromStd(platform::findShippedData(platform::executableFolder(), "WhatsNew.txt", kSourceData)));
}

QString findGuideFile(const QStringList& folders, const QString& name) {
  // Only names inside the guide: no absolute paths, no way up.
  if (name.isEmpty() || QDir::isAbsolutePath(name) || name.split('/').contains(QStringLiteral("..")))
    return {};
  for (const QString& folder : folders) {
    const QString path = folder + "/" + name;
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

QStringList guidePageNames(const QStringList& folders) {
  QStringList names;
  for (const QString& folder : folders)
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name))
      if (!names.contains(name)) names << name;
  names.sort();
  return names;
}

}  // namespace tarvolin::help
