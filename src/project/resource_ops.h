// Resolving a resource to its file, and the operations the script commands
// use on resources: tiles into character memory, palettes into palette
// memory, tile maps into a background map, sizes and raw values. The machine
// model hands in its memory as spans and callbacks, so this layer does not
// depend on it. Failures set the current error and return false.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "common/host.h"
#include "project/images/tiles.h"
#include "project/resource.h"
#include "common/errors.h"

namespace tarvolin::project {

// What resolving needs from its surroundings.
struct ResourceContext {
  std::string resourceRoot;   // base of relative resources (absolute, or below workingFolder)
  std::string workingFolder;  // base of other relative paths
  std::int64_t rangeIndex = 0;  // the current resource range index set by scripts
  Host* host = nullptr;       // file chooser for resources that ask; none answers cancel
};

class Project;
// The context of the open project: its resource root and folder.
ResourceContext resourceContextOf(const Project& project, std::int64_t rangeIndex, Host* host);

struct ResolveOptions {
  bool askAllowed = true;
  bool forSaving = false;
  bool mustExist = true;
  bool reportCancel = false;  // the caller wants to know when the user cancels
  bool* chosenByUser = nullptr;  // set when the path came from the file dialog
};

enum class ResolveResult { Found, Failed, Cancelled };

// Resolves a resource to a path usable on this system. Sets 21, 160 or 161
// (with the file as error detail) on failure.
ResolveResult resolveResourceFile(const Resource& resource, const ResourceContext& context,
                                  ErrorState& errors, std::string& path,
                                  const ResolveOptions& options = {});

// The file name of a ranged resource for a number: the number, in the range
// format, goes before the last "." of the file name, or at its end followed
// by "." when the name has none.
std::string rangedFileName(std::string_view file, int rangeFormat, std::int64_t index);

// Loads the tiles of a "Bitmap16" (4-bit image) or "Bitmap256" (8-bit image)
// resource into a character area. `area` is that area's memory (sprite or
// background). Tile (c, r) goes to (first + c + max(stride, across) x r)
// wrapped inside the area; `markUsed` hears each tile number written.
bool resourceLoadTiles(const Resource& resource, const ResourceContext& context,
                       ErrorState& errors, TileArea target, std::span<std::uint8_t> area,
                       std::int64_t first, std::int64_t stride,
                       const std::function<void(int)>& markUsed = {});

// Stores the tiles one after another from first x tile size in `block`. A kind
// or depth mismatch fails without an error code.
bool resourceLoadTilesToBlock(const Resource& resource, const ResourceContext& context,
                              ErrorState& errors, std::int64_t first,
                              std::span<std::uint8_t> block);

// Whole tiles of a "Bitmap16" or "Bitmap256" resource.
bool resourceTileCount(const Resource& resource, const ResourceContext& context,
                       ErrorState& errors, TileGrid& grid);

// Loads a palette resource into one palette of 256 GBA colours: "PaletteRaw16"
// gives 16 colours at bank x 16, "PaletteRaw256" 256 colours from entry 0.
// Colours missing from the file load as black.
bool resourceLoadPalette(const Resource& resource, const ResourceContext& context,
                         ErrorState& errors, int bank, std::span<std::uint16_t> palette);
// The same through a writer of one palette entry (index 0..255).
bool resourceLoadPalette(const Resource& resource, const ResourceContext& context,
                         ErrorState& errors, int bank,
                         const std::function<void(int index, std::uint16_t colour)>& setColour);

// A background map to load into: its size in cells, whether its cells are one
// byte (a rotation map), and the writer of one cell.
struct TileMapTarget {
  int width = 0;
  int height = 0;
  bool rotation = false;
  std::function<void(int x, int y, std::uint16_t value)> set;
};

// Loads a "Tilemap" resource with its entry (x, y) at cell (x0 + x, y0 + y);
// entries outside the map are dropped.
bool resourceLoadTileMap(const Resource& resource, const ResourceContext& context,
                         ErrorState& errors, const TileMapTarget& map, std::int64_t x0,
                         std::int64_t y0);

// Size in bytes: 32 for "PaletteRaw16", 512 for "PaletteRaw256", the file's
// length for sound effects and binaries, 0 for the others.
bool resourceSize(const Resource& resource, const ResourceContext& context,
                  ErrorState& errors, std::int64_t& bytes);

// Reads one value of a sound-effect or binary file: element type 0 u8, 1 s8,
// 2 u16, 3 s16, little-endian, at a byte offset (16-bit reads need an even one).
bool resourceReadValue(const Resource& resource, const ResourceContext& context,
                       ErrorState& errors, int elementType, std::int64_t offset,
                       std::int32_t& value);

// Whether the resolved file exists; sets no error.
bool resourceExists(const Resource& resource, const ResourceContext& context);

}  // namespace tarvolin::project
