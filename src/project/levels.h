// Levels: named multi-layer tile maps with their settings. The settings are
// records of "level_info.txt" (block layout, section "LevelInfo"); each
// level's map, block and stamps live in its own body file (level_body.h) in
// the folder "LevelData" of the source root.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"
#include "project/level_body.h"
#include "project/named_list.h"

namespace tarvolin::project {

inline constexpr int kLevelPaletteBanks = 16;
inline constexpr int kLevelTileCount = 1024;

struct LevelPaletteBank {
  std::string name;          // a name or comment
  std::string paletteFile;   // relative to the resource root
  bool fillsAllBanks = false;  // a 256-colour palette for all 16 banks
  bool operator==(const LevelPaletteBank&) const = default;
};

struct LevelLayerLink {
  std::string levelName;  // a level shown as this layer
  int priority = 0;       // -7..7
  bool operator==(const LevelLayerLink&) const = default;
};

// The fields of a "level_info.txt" record, in file order.
struct LevelSettings {
  std::string name;
  bool ownPalette = false;  // "Sustituir paleta actual"
  bool colours16 = false;   // "16 Colores"; false: 256 colours
  std::array<LevelPaletteBank, kLevelPaletteBanks> banks{};
  std::array<LevelLayerLink, kMaxLevelLayers> layerLinks{};
  bool useTileList = false;  // "Sustituir tiles actuales"
  std::string tileList;
  int tileCount = 0;         // tiles taken from the tile list (1024 without one)
  std::uint16_t tileBank = 0;  // 0..3
  std::string linkedLevel;
  // Per-layer editor flags, two a layer (both on in a new level).
  std::array<std::array<bool, 2>, kMaxLevelLayers> editorFlags{};
  bool operator==(const LevelSettings&) const = default;
};

struct Level {
  LevelSettings settings;
  LevelBody body;
  // False when the body file was missing or refused when the project opened:
  // saving then leaves that file alone rather than replace it with an empty
  // map. Set again when the body is replaced (a new level, an editor).
  bool bodyLoaded = true;

  const std::string& name() const { return settings.name; }
  // A new level: one empty layer of that size, editor flags on, 1024 tiles.
  static Level makeNew(std::string name, int width, int height, int layers);
  bool operator==(const Level&) const = default;
};

// Reads the records of "level_info.txt" (bodies not read), appending to `out`.
bool readLevelInfo(LineReader& in, std::vector<Level>& out);
// The text of "level_info.txt".
std::string writeLevelInfo(const std::vector<Level>& levels);

struct LevelName {
  const std::string& operator()(const Level& level) const { return level.name(); }
};

class LevelList : public AssetFamily, public NamedList<Level, LevelName> {
 public:
  using NamedList::items;
  std::vector<Level>& items() { return items_; }


  // The folder of the body files ("LevelData" beside "level_info.txt").
  static std::string bodyFolderFor(const std::string& infoPath);

  // Reads "level_info.txt" and then every level's body. A body that is
  // missing or refused makes the load fail; its level keeps its settings and
  // is marked as having no body.
  static bool loadInto(const std::string& path, std::vector<Level>& other);

  std::string_view fileName() const override { return "level_info.txt"; }
  std::string_view saveFailureMessage() const override { return "Error: al escribir nivel"; }
  CheckKind checkKind() const override { return CheckKind::Levels; }
  void clear() override { items_.clear(); }
  bool load(const std::string& path) override;
  // Writes "level_info.txt", then every loaded body (creating "LevelData").
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;

 private:
};

}  // namespace tarvolin::project
