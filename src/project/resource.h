// Resources: named references from the project to files on disk (images,
// palettes, tile maps, music, sound effects, raw data), the ordered list the
// project keeps, and the text file "resource.txt" that stores it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"
#include "project/named_list.h"

namespace tarvolin::project {

enum class ResourceKind : std::int32_t {
  Bitmap16 = 0,
  Bitmap256 = 1,
  BitmapRaw = 2,
  PaletteRaw16 = 3,
  PaletteRaw256 = 4,
  Tilemap = 5,
  MusicTrack = 6,
  SoundEffect = 7,
  Binary = 8,
};

// Names as "resource.txt" holds them; "Unknown type!" for a value without one.
std::string_view resourceKindName(ResourceKind kind);
// Reads a kind name ignoring case ("MOD file" is read as MusicTrack).
std::optional<ResourceKind> resourceKindFromName(std::string_view name);

// Compression kinds 0 "None", 1 "RLE", 2 "LZH" ("Unknown compression!").
std::string_view compressionName(int compression);
std::optional<int> compressionFromName(std::string_view name);

// Range name formats 0..7: "Decimal0" .. "Decimal0000", "Hex0" .. "Hex0000"
// ("Unknown type!" for a value without a name).
inline constexpr int kRangeFormatCount = 8;
std::string_view rangeFormatName(int format);
std::optional<int> rangeFormatFromName(std::string_view name);
// The number of a ranged file as its format writes it; numbers above the
// format's largest are written as the largest, negative ones as 0.
std::string formatRangeNumber(int format, std::int64_t number);

struct Resource {
  std::string name;
  std::string file;
  ResourceKind kind = ResourceKind::Bitmap16;
  int compression = 0;
  bool relative = false;
  int rangeFormat = 0;
  std::uint16_t rangeMax = 0;
  bool ask = false;
  bool range = false;
  bool imported = false;  // not stored: read by "load into" for project import

  bool operator==(const Resource&) const = default;
};

// The ordered list of a project's resources; a resource's number is its
// position. Names are unique and compared ignoring case. As an asset family
// it is stored in "resource.txt" (see resource_file.h).
class ResourceList : public AssetFamily, public NamedList<Resource, NameMember> {
  friend struct AssetAccess;  // the project's edits (asset_edit.h)

 public:
  // Appends a record as a file stored it, even when its name repeats one
  // already held, so loading and saving never drop a stored record.
  void appendStored(Resource resource) { items_.push_back(std::move(resource)); }

  // Where the resource root lies when the list is loaded: files inside it
  // are made relative. The project hands in its own folder lookup.
  void setRootSource(std::function<std::string()> source) { rootSource_ = std::move(source); }
  std::string resourceRoot() const { return rootSource_ ? rootSource_() : std::string(); }

  // Reads a file into another list (cleared first), leaving this one alone;
  // the records read are marked imported.
  bool loadInto(const std::string& path, std::vector<Resource>& other) const;

  std::string_view fileName() const override { return "resource.txt"; }
  std::string_view saveFailureMessage() const override { return "Error: al escribir el recurso"; }
  CheckKind checkKind() const override { return CheckKind::Resources; }
  void clear() override { items_.clear(); }
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;

  // A name for a copy of `name`: the number at its end counted up until no
  // resource has the name, at most 1000 times; empty when none was free.
  std::string uniqueCopyName(std::string_view name) const;

 private:
  std::function<std::string()> rootSource_;
};

}  // namespace tarvolin::project
