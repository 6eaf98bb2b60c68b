// The model of the GBA hardware that scripts drive: display registers, four
// background layers, 128 sprites, 32 sprite rotation banks, two palettes and
// the memories. The command layer changes it through the setters below (each
// validates and returns false on a bad value); the renderer reads it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "machine/sprite_line.h"

namespace tarvolin::machine {

inline constexpr int kScreenWidth = 240;
inline constexpr int kScreenHeight = 160;

inline constexpr std::size_t kEramSize = 0x30000;
inline constexpr std::size_t kIramSize = 4096;
inline constexpr std::size_t kVramSize = 0x18000;
inline constexpr std::size_t kPramSize = 1024;
inline constexpr std::size_t kSramSize = 0x10000;
inline constexpr std::uint32_t kSpriteTileOffset = 0x10000;  // sprite tiles in VRAM
inline constexpr std::size_t kSpriteTileAreaSize = 0x8000;
inline constexpr std::uint32_t kSecondPageOffset = 0xA000;    // second bitmap page

// Memory kinds by number.
enum MemoryKind : int { kEram = 0, kIram = 1, kVram = 2, kPram = 3, kSram = 4 };

enum class LayerKind : std::uint8_t { Text = 0, Rotational = 1, Unavailable = 2 };

// What changed, for the emulator picture and the debug viewers.
enum class ChangeKind { Display, Tiles, TileMap, Palette, Sprites, Memory };

// Observers (emulator window, viewers) register to hear about changes.
class MachineObserver {
 public:
  virtual ~MachineObserver() = default;
  virtual void machineChanged(ChangeKind kind) = 0;
};

// Attribute numbers, in the order of the script's attribute tables, so the
// command layer can pass the matched index straight through.
enum class DisplayAttribute {
  VideoMode, PageFlip, HblankProcess, SpriteLayout, BlankDisplay,
  EnableBG0, EnableBG1, EnableBG2, EnableBG3, EnableSprite,
  EnableWindowA, EnableWindowB, EnableSpriteWindow
};
enum class MosaicAttribute { BackgroundX, BackgroundY, SpriteX, SpriteY };
enum class BgRotationAttribute { ScaleX, ScaleY, ShearX, ShearY, OffsetX, OffsetY };
enum class WindowAttribute { WindowBG0, WindowBG1, WindowBG2, WindowBG3, WindowSprites, WindowBlends };
enum class SpriteAttribute {
  Xpos, Ypos, RotScale, SdFold, DisplayMode, Mosaic, ColourMode, SizeTop, SizeBottom,
  FlipHorizontal, FlipVertical, RotationIndex, PaletteIndex, RenderLayer, TileIndex
};
enum class RotationAttribute { Xscale, Yscale, Xshear, Yshear };
// Layer settings of the tile-map commands.
enum class LayerAttribute { ColourMode, Priority, TileBank, MapBank, OffsetX, OffsetY, Size, Mosaic, Tiled };

inline constexpr int kBlendNone = 0, kBlendAlpha = 1, kBlendLighten = 2, kBlendDarken = 3;
inline constexpr int kSpriteNormal = 0, kSpriteSemiAlpha = 1, kSpriteObjWindow = 2;

// Window-content bits (also the content flags of a drawn segment).
inline constexpr std::uint8_t kContentBg0 = 1, kContentSprites = 0x10, kContentBlend = 0x20;

struct BackgroundLayer {
  int colourMode = 0;  // 0: 16 colours, 1: 256 colours
  LayerKind kind = LayerKind::Text;
  // When set the map is read from (and cells written to) this buffer, laid
  // out like the map in video memory; a buffer too small for the map shows
  // nothing.
  std::uint8_t* mapOverride = nullptr;
  std::size_t mapOverrideSize = 0;
  std::vector<std::uint8_t> cellMarks = std::vector<std::uint8_t>(128 * 128);  // [y * 128 + x]
  std::int16_t scrollX = 0, scrollY = 0;
  std::uint8_t tileBank = 0, mapBank = 0, priority = 0, size = 0;
  bool tiled = false, mosaic = false, enabled = false;
  bool changed = false;  // set by a setter whose value really changed
};

// Sprite sizes in pixels (width, height) by shape and size.
inline constexpr int kSpriteSizes[3][4][2] = {
    {{8, 8}, {16, 16}, {32, 32}, {64, 64}},
    {{16, 8}, {32, 8}, {32, 16}, {64, 32}},
    {{8, 16}, {8, 32}, {16, 32}, {32, 64}},
};

struct SpriteEntry {
  std::uint8_t displayMode = 0, colourMode = 0, shape = 0, size = 0;
  std::uint16_t tile = 0;
  std::uint16_t x = 0;  // 9 bits
  std::uint8_t y = 0;
  std::uint8_t rotation = 0;  // bank, or bit 3 horizontal / bit 4 vertical flip
  std::uint8_t palette = 0, priority = 0;
  bool rotScale = false, sdFold = true, mosaic = false;

  bool shown() const { return !(sdFold && !rotScale); }
  int width() const { return kSpriteSizes[shape < 3 ? shape : 0][size & 3][0]; }
  int height() const { return kSpriteSizes[shape < 3 ? shape : 0][size & 3][1]; }
  bool flipH() const { return rotation & 8; }
  bool flipV() const { return rotation & 16; }
};

struct RotationBank {
  float xscale = 0, xshear = 0, yshear = 0, yscale = 0;  // pa, pb, pc, pd
  bool changed = false;
};

// Affine parameters of BG2 (set 0) and BG3 (set 1).
struct BgRotation {
  std::int16_t scaleX = 256, scaleY = 256, shearX = 0, shearY = 0;
  std::int32_t offsetX = 0, offsetY = 0;
};

class PaletteBank {
 public:
  std::uint16_t colour(int index) const { return colours_[index & 255]; }
  void setColour(int index, std::uint16_t value) { colours_[index & 255] = value; dirty_ = true; }
  void clear() { colours_.fill(0); dirty_ = true; }
  // The 256 colours as 32-bit values (bytes blue, green, red, 0), rebuilt
  // after a change.
  const std::uint32_t* converted() const;
  // The colours as bytes (little-endian, as the machine's memory). Writes
  // through a pointer kept from an earlier call are picked up by
  // noticeOutsideWrites.
  std::uint8_t* bytes() { dirty_ = true; return reinterpret_cast<std::uint8_t*>(colours_.data()); }
  void markDirty() { dirty_ = true; }
  // Marks the cache stale when the colours differ from those it was built
  // from; the renderer calls it once a frame.
  void noticeOutsideWrites() const {
    if (!dirty_ && colours_ != cachedFrom_) dirty_ = true;
  }

 private:
  std::array<std::uint16_t, 256> colours_{};
  mutable std::array<std::uint16_t, 256> cachedFrom_{};
  mutable std::array<std::uint32_t, 256> cache_{};
  mutable bool dirty_ = true;
};

// 15-bit colour to the picture's 32-bit form (bytes blue, green, red, 0).
inline std::uint32_t convertColour(std::uint16_t c) {
  return ((c >> 10 & 31u) << 3) | ((c >> 5 & 31u) << 11) | ((c & 31u) << 19);
}

struct WindowRegion { std::uint8_t top = 0, left = 0, right = 0, bottom = 0; };

// The bitmap page that drawing commands write to.
struct BackPage {
  std::uint8_t* pixels = nullptr;  // null: no page in this video mode
  int width = 0, height = 0;
  int bytesPerPixel = 0;  // 2: 15-bit colours, 1: palette indexes
};

// Per-line helpers of the renderer, kept with the state so a frame needs no
// allocation.
struct LineScratch {
  std::array<std::uint32_t, kScreenWidth> colours{};
  // Per sprite: top line and height of its drawing area (0 when hidden),
  // and its line geometry but for the row, valid for sprite table version
  // `spriteVersion` and tile layout `spriteLayout`.
  std::uint32_t spriteVersion = ~0u;
  int spriteLayout = -1;
  std::array<std::uint8_t, 128> spriteTop{};
  std::array<std::uint8_t, 128> spriteAreaHeight{};
  std::array<detail::LineSprite, 128> spriteTemplates{};
};

class MachineState {
 public:
  MachineState();

  void fullReset();
  void displayReset();

  // --- observers ---
  void addObserver(MachineObserver* observer);
  void removeObserver(MachineObserver* observer);
  void notify(ChangeKind kind);

  // --- display control ---
  bool setDisplayAttribute(DisplayAttribute attr, int value);
  int displayAttribute(DisplayAttribute attr) const;
  bool setMosaic(MosaicAttribute attr, int value);  // 0..15
  int mosaic(MosaicAttribute attr) const { return mosaic_ >> (4 * static_cast<int>(attr)) & 15; }
  bool setBlendMode(int mode);                      // 0..3
  bool setBlendAttribute(int index, int value);     // index 0..11 (sources then targets), value 0..1
  bool setAlphaLevels(int source, int target);      // each 0..31
  bool setTintLevel(int level);                     // 0..31
  bool setBgRotationAttribute(int set, BgRotationAttribute attr, std::int32_t value);
  // Rotates and scales a background set so map point (mapX, mapY) shows at
  // screen point (screenX, screenY). False for a bad set or scale.
  bool bgRotateAndScale(int set, int scaleX, int scaleY, std::int32_t mapX, std::int32_t mapY,
                        std::int32_t screenX, std::int32_t screenY, std::int32_t angle);
  // Coordinates below 0 leave that edge unchanged; 256 or more fails.
  bool setWindowRegion(int window, int left, int top, int right, int bottom);
  // window 0, 1, 2 (outside) or 3 (sprite window).
  bool setWindowAttribute(int window, WindowAttribute attr, int value);
  int windowAttribute(int window, WindowAttribute attr) const;

  int videoMode() const { return videoMode_; }
  int blendMode() const { return blendMode_; }
  std::uint16_t blendSelect() const { return blendSelect_; }
  int alphaSource() const { return alphaSource_; }
  int alphaTarget() const { return alphaTarget_; }
  int tintLevel() const { return tintLevel_; }
  std::uint16_t mosaicRegister() const { return mosaic_; }
  const BgRotation& bgRotation(int set) const { return bgRotation_[set & 1]; }
  const WindowRegion& windowRegion(int window) const { return windowRegion_[window & 1]; }
  std::uint8_t windowContent(int window) const { return windowContent_[window & 3]; }

  // --- layers ---
  BackgroundLayer& layer(int index) { return layers_[index & 3]; }
  const BackgroundLayer& layer(int index) const { return layers_[index & 3]; }
  bool setLayerAttribute(int layer, LayerAttribute attr, int value);
  int layerAttribute(int layer, LayerAttribute attr) const;
  // Map size of a layer in cells (by its kind and size).
  int mapWidth(int layer) const {
    const BackgroundLayer& l = layers_[layer & 3];
    if (l.kind == LayerKind::Rotational) return 16 << (l.size & 3);
    return (l.size & 1) ? 64 : 32;
  }
  int mapHeight(int layer) const {
    const BackgroundLayer& l = layers_[layer & 3];
    if (l.kind == LayerKind::Rotational) return 16 << (l.size & 3);
    return (l.size & 2) ? 64 : 32;
  }
  // Reads or writes one map cell (a text cell is 16 bits, a rotational one a
  // byte). Writing marks the cell for the tile-map viewer. False outside the
  // map or for a bad layer.
  bool mapCell(int layer, int x, int y, std::uint16_t& value) const;
  bool setMapCell(int layer, int x, int y, std::uint16_t value);
  // Byte offset of a cell from the start of the layer's map.
  std::size_t cellOffset(int layer, int x, int y) const;

  // --- sprites and rotation banks ---
  // Sprites change only through the setters, which the renderer's per-line
  // sprite lists rely on (spriteVersion).
  const SpriteEntry& sprite(int index) const { return sprites_[index & 127]; }
  void setSprite(int index, const SpriteEntry& entry);  // whole entry, e.g. a restored state
  std::uint32_t spriteVersion() const { return spriteVersion_; }
  bool setSpriteAttribute(int index, SpriteAttribute attr, int value);
  bool spriteAttribute(int index, SpriteAttribute attr, int& value) const;
  RotationBank& rotationBank(int index) { return rotationBanks_[index & 31]; }
  const RotationBank& rotationBank(int index) const { return rotationBanks_[index & 31]; }
  // The low 16 bits of `value` as a signed 8.8 number.
  bool setRotationValue(int bank, RotationAttribute attr, int value);
  bool rotateAndScale(int bank, int angle, int scale);
  // A bank value read back as 8.8 (value x 256, toward zero).
  int rotationValue(int bank, RotationAttribute attr) const;

  // --- palettes (0 BG, 1 SPRITE) ---
  PaletteBank& palette(int bank) { return palettes_[bank & 1]; }
  const PaletteBank& palette(int bank) const { return palettes_[bank & 1]; }
  bool setPaletteColour(int bank, int index, int colour);  // index 0..255, colour 0..0x7FFF

  // --- memories ---
  // The bytes from the resolved address to the end of its area; empty for
  // a bad kind or an offset past the area. `notifyChange` raises the change
  // notification of that memory (the caller is about to write).
  std::span<std::uint8_t> memory(int kind, std::uint32_t offset, bool notifyChange = false);
  // Size reported for a memory kind (0 for a bad kind).
  static std::size_t memorySize(int kind);
  std::uint8_t* vram() { return vram_.data(); }
  const std::uint8_t* vram() const { return vram_.data(); }
  std::uint8_t* eram() { return eram_.data(); }
  std::uint8_t* iram() { return iram_.data(); }
  std::uint8_t* sram() { return sram_.data(); }
  // Tile area of a target (0 BG: VRAM from 0, 64 KB; 1 SPRITE: 32 KB at 0x10000).
  std::span<std::uint8_t> tileArea(int target);
  BackPage backPage();

  // --- used-tile marks for the tile viewer ---
  // One mark per tile number of a target area (0 BG: 2048, 1 SPRITE: 1024,
  // the 4-bit counts), set for each tile a tile load writes; cleared by a
  // display reset. Numbers outside the area are ignored / read as unused.
  void markTileUsed(int target, int tile);
  bool tileUsed(int target, int tile) const;
  std::span<const std::uint8_t> usedTiles(int target) const {
    return target == 1 ? std::span<const std::uint8_t>(usedSpriteTiles_)
                       : std::span<const std::uint8_t>(usedBgTiles_);
  }

  // --- collision tile properties ---
  std::array<std::uint8_t, 1024>& tileProperties() { return tileProperties_; }
  bool setTileProperty(int tile, int property);  // tile 0..1023, property 0..255
  int tileProperty(int tile) const { return tileProperties_[tile & 1023]; }

  // --- buttons (current and previous poll) ---
  std::array<std::uint8_t, 10> buttonsNow{}, buttonsBefore{};

  // --- mosaic table: entry (i, n) = i - i mod n ---
  std::uint16_t mosaicLookup(int size, int i) const { return mosaicTable_[(size & 15) * 1024 + (i & 1023)]; }
  const std::uint16_t* mosaicRow(int size) const { return &mosaicTable_[(size & 15) * 1024]; }

  // --- picture: 240x160, 3 bytes a pixel (blue, green, red), rows top down ---
  std::vector<std::uint8_t> picture;
  std::array<std::uint8_t, kScreenWidth> layerIds{};  // identity line of the last line drawn
  int resumeLine = 0;           // where a paused frame goes on
  bool frameUnfinished = false; // a frame stopped inside the per-line callback
  LineScratch scratch;

 private:
  void setLayerKinds();

  std::vector<MachineObserver*> observers_;
  int videoMode_ = 0;
  bool pageFlip_ = false, hblankProcess_ = false, blankDisplay_ = true;
  int spriteLayout_ = 0;
  bool enableSprite_ = false, enableWindowA_ = false, enableWindowB_ = false,
       enableSpriteWindow_ = false;
  int blendMode_ = 0;
  std::uint16_t blendSelect_ = 0;
  int alphaSource_ = 0, alphaTarget_ = 0, tintLevel_ = 0;
  std::uint16_t mosaic_ = 0;
  std::array<BgRotation, 2> bgRotation_{};
  std::array<WindowRegion, 2> windowRegion_{};
  std::array<std::uint8_t, 4> windowContent_{};

  std::array<BackgroundLayer, 4> layers_{};
  std::array<SpriteEntry, 128> sprites_{};
  std::uint32_t spriteVersion_ = 0;
  std::array<RotationBank, 32> rotationBanks_{};
  std::array<PaletteBank, 2> palettes_{};

  std::vector<std::uint8_t> eram_, iram_, vram_, sram_;
  std::array<std::uint8_t, 1024> tileProperties_{};
  std::array<std::uint8_t, 2048> usedBgTiles_{};
  std::array<std::uint8_t, 1024> usedSpriteTiles_{};
  std::vector<std::uint16_t> mosaicTable_;
};

// Names for the viewers.
std::string_view displayModeName(int mode);   // "Unknown display mode" outside 0..5
std::string_view priorityName(int priority);  // "Unknown render order" outside 0..3
std::string_view layerKindName(int kind);     // "Unknown screenmap mode type" outside 0..2
std::string_view colourModeName(int mode);    // "Undefined colour mode"
std::string_view spriteDisplayModeName(int mode);  // "Undefined display mode"
std::string_view spriteSizeName(int shape, int size);  // "Undefined sprite size"

}  // namespace tarvolin::machine
