#include "help/guide_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarvolin::help {

namespace {

QString programFolder() {
  // Before a QCoreApplication exists there is no program folder to ask.
  return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

}  // namespace

QStringList guideFolders() {
  const QString exe = programFolder();
  const QStringList installed{exe + "/../share/tarvolin/guide", exe + "/UserGuide"};
  for (const QString& folder : installed)
    if (!exe.isEmpty() && QFileInfo::exists(folder + "/" + kContentsPage)) return {QDir::cleanPath(folder)};
  QStringList folders;
#ifdef TARVOLIN_BUILD_DATA_DIR
  folders << QStringLiteral(TARVOLIN_BUILD_DATA_DIR "/guide");
#endif
#ifdef TARVOLIN_SOURCE_DATA_DIR
  folders << QStringLiteral(TARVOLIN_SOURCE_DATA_DIR "/guide");
#endif
  return folders;
}

QString whatsNewPath() {
  const QString exe = programFolder();
  QStringList candidates;
  if (!exe.isEmpty()) candidates << exe + "/../share/tarvolin/WhatsNew.txt" << exe + "/WhatsNew.txt";
#ifdef TARVOLIN_SOURCE_DATA_DIR
  candidates << QStringLiteral(TARVOLIN_SOURCE_DATA_DIR "/WhatsNew.txt");
#endif
  for (const QString& path : candidates)
    if (QFileInfo(path).isFile()) return QDir::cleanPath(path);
  return candidates.isEmpty() ? QStringLiteral("WhatsNew.txt") : QDir::cleanPath(candidates.first());
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
