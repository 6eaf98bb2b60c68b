#include "project/resource_ops.h"

#include <fstream>

#include "platform/paths.h"
#include "project/images/image.h"
#include "project/images/tilemap_file.h"
#include "project/project.h"

namespace tarvolin::project {

namespace {

bool failWith(ErrorState& errors, ErrorCode code) {
  errors.SetError(code);
  errors.SetErrorDetail("");  // none left over from an earlier failure
  return false;
}

bool failWithDetail(ErrorState& errors, ErrorCode code, const std::string& detail) {
  errors.SetError(code);
  errors.SetErrorDetail(detail);
  return false;
}

// Length of a file, or -1 when it cannot be opened.
std::int64_t fileLength(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return -1;
  return static_cast<std::int64_t>(in.tellg());
}

bool resolveForLoading(const Resource& resource, const ResourceContext& context,
                       ErrorState& errors, std::string& path) {
  return resolveResourceFile(resource, context, errors, path) == ResolveResult::Found;
}

// Bits of the tile data a kind makes: 4, 8, or 0 for kinds that make none.
int tileBitsOf(ResourceKind kind) {
  return kind == ResourceKind::Bitmap16 ? 4 : kind == ResourceKind::Bitmap256 ? 8 : 0;
}

// Resolves and reads the image of a tile resource, checking kind and depth.
// With `silent`, a kind or depth mismatch fails without an error code.
bool tileImageOf(const Resource& resource, const ResourceContext& context,
                 ErrorState& errors, IndexedImage& image, int& bits, bool silent) {
  std::string path;
  if (!resolveForLoading(resource, context, errors, path)) return false;
  bits = tileBitsOf(resource.kind);
  if (bits == 0) return silent ? false : failWith(errors, err::kWrongResourceKind);
  std::string error;
  if (!readImageFile(path, image, error)) return failWithDetail(errors, err::kResourceFile, error);
  if (image.bits != bits) return silent ? false : failWith(errors, err::kUnsupportedImageFormat);
  return true;
}

}  // namespace

ResourceContext resourceContextOf(const Project& project, std::int64_t rangeIndex, Host* host) {
  ResourceContext context;
  context.resourceRoot = project.resourceRootPath();
  context.workingFolder = project.folder();
  context.rangeIndex = rangeIndex;
  context.host = host;
  return context;
}

std::string rangedFileName(std::string_view file, int rangeFormat, std::int64_t index) {
  const std::string number = formatRangeNumber(rangeFormat, index);
  // The last "." of the file name itself, not of a folder such as ".\".
  const std::size_t nameStart = file.find_last_of("/\\") == std::string_view::npos
                                    ? 0
                                    : file.find_last_of("/\\") + 1;
  const std::size_t dot = file.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart) return std::string(file) + number + ".";
  return std::string(file.substr(0, dot)) + number + std::string(file.substr(dot));
}

ResolveResult resolveResourceFile(const Resource& resource, const ResourceContext& context,
                                  ErrorState& errors, std::string& path,
                                  const ResolveOptions& options) {
  if (options.askAllowed && resource.ask) {
    std::string chosen = platform::resolvePath(context.workingFolder, context.resourceRoot);
    const char* title = options.forSaving ? "Seleccionar el archivo para guardar"
                                          : "Seleccionar el archivo para cargar";
    if (context.host && context.host->chooseFile(title, "*.*", chosen) && !chosen.empty()) {
      path = chosen;
      if (options.chosenByUser) *options.chosenByUser = true;
      return ResolveResult::Found;
    }
    if (options.reportCancel) return ResolveResult::Cancelled;
  }
  std::string stored =
      resource.relative ? platform::joinPath(context.resourceRoot, resource.file) : resource.file;
  if (resource.range) {
    if (context.rangeIndex < 0 || context.rangeIndex >= resource.rangeMax) {
      errors.SetError(err::kResourceRangeTooSmall);
      return ResolveResult::Failed;
    }
    stored = rangedFileName(stored, resource.rangeFormat, context.rangeIndex);
  }
  path = platform::resolvePath(context.workingFolder, stored);
  // A name written with a trailing "." means the name without it on the
  // file systems projects come from.
  if (path.size() > 1 && path.back() == '.' && !platform::fileExists(path)) {
    std::string bare = platform::resolvePath(context.workingFolder, stored.substr(0, stored.size() - 1));
    if (platform::fileExists(bare)) path = bare;
  }
  if (options.mustExist && !platform::fileExists(path)) {
    errors.SetError(resource.range ? err::kRangeFileMissing : err::kFileMissing);
    errors.SetErrorDetail(resource.range ? "Archivo <" + path + ">, rango de recurso " +
                                               std::to_string(context.rangeIndex)
                                         : "Archivo <" + path + ">");
    return ResolveResult::Failed;
  }
  return ResolveResult::Found;
}

bool resourceLoadTiles(const Resource& resource, const ResourceContext& context,
                       ErrorState& errors, TileArea target, std::span<std::uint8_t> area,
                       std::int64_t first, std::int64_t stride,
                       const std::function<void(int)>& markUsed) {
  IndexedImage image;
  int bits = 0;
  if (!tileImageOf(resource, context, errors, image, bits, false)) return false;
  writeTilesToArea(image, bits, tileAreaCapacity(target, bits), first, stride, area, markUsed);
  return true;
}

bool resourceLoadTilesToBlock(const Resource& resource, const ResourceContext& context,
                              ErrorState& errors, std::int64_t first,
                              std::span<std::uint8_t> block) {
  IndexedImage image;
  int bits = 0;
  if (!tileImageOf(resource, context, errors, image, bits, true)) return false;
  writeTilesToBlock(image, bits, first, block);
  return true;
}

bool resourceTileCount(const Resource& resource, const ResourceContext& context,
                       ErrorState& errors, TileGrid& grid) {
  IndexedImage image;
  int bits = 0;
  if (!tileImageOf(resource, context, errors, image, bits, false)) return false;
  grid = tileGridOf(image);
  return true;
}

bool resourceLoadPalette(const Resource& resource, const ResourceContext& context,
                         ErrorState& errors, int bank,
                         const std::function<void(int index, std::uint16_t colour)>& setColour) {
  std::string path;
  if (!resolveForLoading(resource, context, errors, path)) return false;
  int start = 0;
  int count = 0;
  if (resource.kind == ResourceKind::PaletteRaw16) {
    if (bank < 0 || bank > 15) return failWith(errors, err::kPaletteIndexOutOfRange);
    start = bank * 16;
    count = 16;
  } else if (resource.kind == ResourceKind::PaletteRaw256) {
    count = 256;
  } else {
    return failWith(errors, err::kWrongResourceKind);
  }
  std::vector<Rgb> colours;
  std::string error;
  if (!readPaletteOf(path, colours, error)) return failWithDetail(errors, err::kResourceFile, error);
  if (!setColour) return true;
  for (int i = 0; i < count; ++i) {
    const std::size_t n = static_cast<std::size_t>(i);
    setColour(start + i, n < colours.size() ? toGbaColour(colours[n]) : 0);
  }
  return true;
}

bool resourceLoadPalette(const Resource& resource, const ResourceContext& context,
                         ErrorState& errors, int bank, std::span<std::uint16_t> palette) {
  // Too small a palette is refused before anything is read or written.
  const std::size_t needed = resource.kind == ResourceKind::PaletteRaw16 && bank >= 0 && bank <= 15
                                 ? static_cast<std::size_t>(bank) * 16 + 16
                                 : 256;
  if (palette.size() < needed &&
      (resource.kind == ResourceKind::PaletteRaw16 || resource.kind == ResourceKind::PaletteRaw256))
    return failWith(errors, err::kPaletteIndexOutOfRange);
  return resourceLoadPalette(resource, context, errors, bank, [&](int index, std::uint16_t colour) {
    palette[static_cast<std::size_t>(index)] = colour;
  });
}

bool resourceLoadTileMap(const Resource& resource, const ResourceContext& context,
                         ErrorState& errors, const TileMapTarget& map, std::int64_t x0,
                         std::int64_t y0) {
  std::string path;
  if (!resolveForLoading(resource, context, errors, path)) return false;
  if (resource.kind != ResourceKind::Tilemap) return failWith(errors, err::kWrongResourceKind);
  Bytes bytes;
  std::string error;
  if (!readFileBytes(path, bytes, error)) return failWithDetail(errors, err::kResourceFile, error);
  TileMapFile file;
  if (!readTileMap(bytes, file, error)) return failWith(errors, err::kCannotDecodeResource);
  // A rotation map holds one byte a cell: two-byte entries do not fit.
  if (map.rotation && file.wide()) return failWith(errors, err::kCannotDecodeResource);
  if (!map.set) return true;
  for (int y = 0; y < file.height; ++y) {
    const std::int64_t cy = y0 + y;
    if (cy < 0 || cy >= map.height) continue;
    for (int x = 0; x < file.width; ++x) {
      const std::int64_t cx = x0 + x;
      if (cx < 0 || cx >= map.width) continue;
      map.set(static_cast<int>(cx), static_cast<int>(cy), file.at(x, y));
    }
  }
  return true;
}

bool resourceSize(const Resource& resource, const ResourceContext& context,
                  ErrorState& errors, std::int64_t& bytes) {
  std::string path;
  if (!resolveForLoading(resource, context, errors, path)) return false;
  switch (resource.kind) {
    case ResourceKind::PaletteRaw16: bytes = 32; return true;
    case ResourceKind::PaletteRaw256: bytes = 512; return true;
    case ResourceKind::SoundEffect:
    case ResourceKind::Binary: {
      const std::int64_t length = fileLength(path);
      if (length < 0) return failWithDetail(errors, err::kResourceFile, "Archivo <" + path + ">");
      bytes = length;
      return true;
    }
    default: bytes = 0; return true;
  }
}

bool resourceReadValue(const Resource& resource, const ResourceContext& context,
                       ErrorState& errors, int elementType, std::int64_t offset,
                       std::int32_t& value) {
  std::string path;
  if (!resolveForLoading(resource, context, errors, path)) return false;
  if (resource.kind != ResourceKind::SoundEffect && resource.kind != ResourceKind::Binary)
    return failWith(errors, err::kResourceFile);
  if (elementType < 0 || elementType > 3) return failWith(errors, err::kResourceFile);
  const bool wide = elementType >= 2;
  if (wide && (offset & 1) != 0) return failWith(errors, err::kMisaligned);
  const std::int64_t length = fileLength(path);
  if (length < 0) return failWithDetail(errors, err::kResourceFile, "Archivo <" + path + ">");
  if (offset < 0 || offset + (wide ? 1 : 0) >= length)
    return failWithDetail(errors, err::kResourceFile, "Archivo <" + path + ">");
  std::ifstream in(path, std::ios::binary);
  unsigned char data[2] = {0, 0};
  in.seekg(offset);
  if (!in.read(reinterpret_cast<char*>(data), wide ? 2 : 1))
    return failWithDetail(errors, err::kResourceFile, "Archivo <" + path + ">");
  switch (elementType) {
    case 0: value = data[0]; break;
    case 1: value = static_cast<std::int8_t>(data[0]); break;
    case 2: value = static_cast<std::uint16_t>(data[0] | (data[1] << 8)); break;
    default: value = static_cast<std::int16_t>(data[0] | (data[1] << 8)); break;
  }
  return true;
}

bool resourceExists(const Resource& resource, const ResourceContext& context) {
  ErrorState scratch;
  std::string path;
  ResolveOptions options;
  options.mustExist = false;
  if (resolveResourceFile(resource, context, scratch, path, options) != ResolveResult::Found)
    return false;
  return platform::fileExists(path);
}

}  // namespace tarvolin::project
