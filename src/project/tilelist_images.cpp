#include "project/tilelist_images.h"

#include "project/project.h"
#include "project/resource_ops.h"

namespace tarvolin::project {

TileCounter makeTileCounter(const Project& project) {
  return [&project](std::string_view resourceName, int& tiles) {
    const int index = project.resources().find(resourceName);
    if (index < 0) return false;
    const Resource* resource = project.resources().get(std::size_t(index));
    ResourceContext context = resourceContextOf(project, 0, nullptr);
    // Counting never asks for a file: a resource that asks counts as unknown.
    if (resource->ask) return false;
    ErrorState errors;
    TileGrid grid;
    if (!resourceTileCount(*resource, context, errors, grid)) return false;
    tiles = grid.count();
    return true;
  };
}

}  // namespace tarvolin::project
