// How the project counts the tiles of a tile list's images: through its
// resource list, reading each image without asking the user for files.
#pragma once

#include "project/tilelists.h"

namespace tarvolin::project {

class Project;
TileCounter makeTileCounter(const Project& project);

}  // namespace tarvolin::project
