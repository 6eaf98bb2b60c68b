#include "shell/icons.h"

#include <QFile>

// The resources of a static library are registered by hand.
static void registerIconResources() { Q_INIT_RESOURCE(shell_icons); }

namespace tarvolin::shell {
namespace {

QString pathOf(const char* name) { return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)); }

void ensureRegistered() {
  static const bool done = [] {
    registerIconResources();
    return true;
  }();
  (void)done;
}

}  // namespace

bool hasStudioIcon(const char* name) {
  ensureRegistered();
  return QFile::exists(pathOf(name));
}

QIcon studioIcon(const char* name) {
  if (!hasStudioIcon(name)) return {};
  return QIcon(pathOf(name));
}

}  // namespace tarvolin::shell
