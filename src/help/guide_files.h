// Where the help's files are: the user guide's pages and "WhatsNew.txt".
// An installed program finds them beside itself (../share/tarvolin/ relative
// to the executable); a program run from the build tree uses the build
// tree's generated pages and the source tree's data folder.
#pragma once

#include <QString>
#include <QStringList>

namespace tarvolin::help {

// The contents page of the guide.
inline const QString kContentsPage = QStringLiteral("indice.md");

// Folders holding the guide's pages, in search order.
QStringList guideFolders();

// The file "WhatsNew.txt" the program shows; the first candidate that exists,
// else the installed place (which then cannot be read).
QString whatsNewPath();

// The first folder that holds `name` (a page or an image path relative to
// the guide), as a full path; empty when none does.
QString findGuideFile(const QStringList& folders, const QString& name);

// The Markdown pages of the folders, each name once (the first folder wins),
// sorted by name.
QStringList guidePageNames(const QStringList& folders);

}  // namespace tarvolin::help
