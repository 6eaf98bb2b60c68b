// The studio's icons: the SVG set shipped in data/icons, built into the
// program as resources.
#pragma once

#include <QIcon>

namespace tarvolin::shell {

// The icon of that name (":/icons/<name>.svg"); a null icon for an unknown name.
QIcon studioIcon(const char* name);
// Whether an icon of that name is built in.
bool hasStudioIcon(const char* name);

}  // namespace tarvolin::shell
