#include "machine/machine_state.h"

#include <algorithm>
#include <cmath>

namespace tarvolin::machine {

namespace {

// Video memory is padded so that background tile fetches from any bank and
// tile number stay inside the buffer; the padding reads as transparent.
constexpr std::size_t kVramAllocated = 0x1C000;

constexpr LayerKind kModeKinds[6][4] = {
    {LayerKind::Text, LayerKind::Text, LayerKind::Text, LayerKind::Text},
    {LayerKind::Text, LayerKind::Text, LayerKind::Rotational, LayerKind::Unavailable},
    {LayerKind::Unavailable, LayerKind::Unavailable, LayerKind::Rotational, LayerKind::Rotational},
    {LayerKind::Unavailable, LayerKind::Unavailable, LayerKind::Unavailable, LayerKind::Unavailable},
    {LayerKind::Unavailable, LayerKind::Unavailable, LayerKind::Unavailable, LayerKind::Unavailable},
    {LayerKind::Unavailable, LayerKind::Unavailable, LayerKind::Unavailable, LayerKind::Unavailable},
};

// Angles are worked in single precision, as the rotation banks are held.
constexpr float kPi = 3.1415927f;

bool inRange(int v, int lo, int hi) { return v >= lo && v <= hi; }

void resetLayer(BackgroundLayer& l) {
  std::uint8_t* override = l.mapOverride;
  std::size_t overrideSize = l.mapOverrideSize;
  std::vector<std::uint8_t> marks = std::move(l.cellMarks);
  l = BackgroundLayer{};
  l.mapOverride = override;
  l.mapOverrideSize = overrideSize;
  l.cellMarks = std::move(marks);
  std::fill(l.cellMarks.begin(), l.cellMarks.end(), 0);
}

}  // namespace

const std::uint32_t* PaletteBank::converted() const {
  if (dirty_) {
    for (int i = 0; i < 256; ++i) cache_[i] = convertColour(colours_[i]);
    cachedFrom_ = colours_;
    dirty_ = false;
  }
  return cache_.data();
}

MachineState::MachineState()
    : eram_(kEramSize), iram_(kIramSize), vram_(kVramAllocated), sram_(kSramSize),
      mosaicTable_(16 * 1024) {
  fullReset();
}

void MachineState::fullReset() {
  for (auto& s : sprites_) s = SpriteEntry{};
  ++spriteVersion_;
  for (auto& b : rotationBanks_) b = RotationBank{};
  std::fill(vram_.begin(), vram_.end(), 0);
  for (auto& l : layers_) resetLayer(l);
  for (auto& p : palettes_) p.clear();
  std::fill(eram_.begin(), eram_.end(), 0);
  std::fill(iram_.begin(), iram_.end(), 0);
  displayReset();
  for (ChangeKind k : {ChangeKind::Display, ChangeKind::Tiles, ChangeKind::TileMap,
                       ChangeKind::Palette, ChangeKind::Sprites, ChangeKind::Memory})
    notify(k);
}

void MachineState::displayReset() {
  videoMode_ = 0;
  pageFlip_ = hblankProcess_ = false;
  spriteLayout_ = 0;
  blankDisplay_ = true;
  enableSprite_ = enableWindowA_ = enableWindowB_ = enableSpriteWindow_ = false;
  blendMode_ = 0;
  blendSelect_ = 0;
  alphaSource_ = alphaTarget_ = tintLevel_ = 0;
  mosaic_ = 0;
  for (auto& r : bgRotation_) r = BgRotation{};
  for (auto& w : windowRegion_) w = WindowRegion{};
  windowContent_.fill(0);
  for (auto& l : layers_) l.enabled = false;
  setLayerKinds();
  std::fill(sram_.begin(), sram_.end(), 0);
  buttonsNow.fill(0);
  buttonsBefore.fill(0);
  tileProperties_.fill(0);
  usedBgTiles_.fill(0);
  usedSpriteTiles_.fill(0);
  picture.assign(static_cast<std::size_t>(kScreenWidth) * kScreenHeight * 3, 0);
  layerIds.fill(0);
  resumeLine = 0;
  frameUnfinished = false;
  for (int n = 0; n < 16; ++n)
    for (int i = 0; i < 1024; ++i)
      mosaicTable_[n * 1024 + i] = static_cast<std::uint16_t>(n == 0 ? i : i - i % n);
}

void MachineState::setLayerKinds() {
  for (int i = 0; i < 4; ++i) layers_[i].kind = kModeKinds[videoMode_][i];
}

// ---------------------------------------------------------------- observers

void MachineState::addObserver(MachineObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void MachineState::removeObserver(MachineObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void MachineState::notify(ChangeKind kind) {
  for (MachineObserver* o : observers_) o->machineChanged(kind);
}

// ---------------------------------------------------------------- display

bool MachineState::setDisplayAttribute(DisplayAttribute attr, int value) {
  const int maxValue = attr == DisplayAttribute::VideoMode ? 5 : 1;
  if (!inRange(value, 0, maxValue)) return false;
  const bool on = value != 0;
  switch (attr) {
    case DisplayAttribute::VideoMode: videoMode_ = value; setLayerKinds(); break;
    case DisplayAttribute::PageFlip: pageFlip_ = on; break;
    case DisplayAttribute::HblankProcess: hblankProcess_ = on; break;
    case DisplayAttribute::SpriteLayout: spriteLayout_ = value; break;
    case DisplayAttribute::BlankDisplay: blankDisplay_ = on; break;
    case DisplayAttribute::EnableBG0: layers_[0].enabled = on; break;
    case DisplayAttribute::EnableBG1: layers_[1].enabled = on; break;
    case DisplayAttribute::EnableBG2: layers_[2].enabled = on; break;
    case DisplayAttribute::EnableBG3: layers_[3].enabled = on; break;
    case DisplayAttribute::EnableSprite: enableSprite_ = on; break;
    case DisplayAttribute::EnableWindowA: enableWindowA_ = on; break;
    case DisplayAttribute::EnableWindowB: enableWindowB_ = on; break;
    case DisplayAttribute::EnableSpriteWindow: enableSpriteWindow_ = on; break;
    default: return false;
  }
  notify(ChangeKind::Display);
  return true;
}

int MachineState::displayAttribute(DisplayAttribute attr) const {
  switch (attr) {
    case DisplayAttribute::VideoMode: return videoMode_;
    case DisplayAttribute::PageFlip: return pageFlip_;
    case DisplayAttribute::HblankProcess: return hblankProcess_;
    case DisplayAttribute::SpriteLayout: return spriteLayout_;
    case DisplayAttribute::BlankDisplay: return blankDisplay_;
    case DisplayAttribute::EnableBG0: return layers_[0].enabled;
    case DisplayAttribute::EnableBG1: return layers_[1].enabled;
    case DisplayAttribute::EnableBG2: return layers_[2].enabled;
    case DisplayAttribute::EnableBG3: return layers_[3].enabled;
    case DisplayAttribute::EnableSprite: return enableSprite_;
    case DisplayAttribute::EnableWindowA: return enableWindowA_;
    case DisplayAttribute::EnableWindowB: return enableWindowB_;
    case DisplayAttribute::EnableSpriteWindow: return enableSpriteWindow_;
  }
  return 0;
}

bool MachineState::setMosaic(MosaicAttribute attr, int value) {
  const int n = static_cast<int>(attr);
  if (n < 0 || n > 3 || !inRange(value, 0, 15)) return false;
  mosaic_ = static_cast<std::uint16_t>((mosaic_ & ~(15u << (4 * n))) | (value << (4 * n)));
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::setBlendMode(int mode) {
  if (!inRange(mode, 0, 3)) return false;
  blendMode_ = mode;
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::setBlendAttribute(int index, int value) {
  if (!inRange(index, 0, 11) || !inRange(value, 0, 1)) return false;
  const int bit = index < 6 ? index : index - 6 + 8;
  if (value)
    blendSelect_ = static_cast<std::uint16_t>(blendSelect_ | (1u << bit));
  else
    blendSelect_ = static_cast<std::uint16_t>(blendSelect_ & ~(1u << bit));
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::setAlphaLevels(int source, int target) {
  if (!inRange(source, 0, 31) || !inRange(target, 0, 31)) return false;
  alphaSource_ = source;
  alphaTarget_ = target;
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::setTintLevel(int level) {
  if (!inRange(level, 0, 31)) return false;
  tintLevel_ = level;
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::setBgRotationAttribute(int set, BgRotationAttribute attr, std::int32_t value) {
  if (set < 0 || set > 1) return false;
  BgRotation& r = bgRotation_[set];
  const bool isOffset = attr == BgRotationAttribute::OffsetX || attr == BgRotationAttribute::OffsetY;
  if (!isOffset && !inRange(value, -32768, 32767)) return false;
  switch (attr) {
    case BgRotationAttribute::ScaleX: r.scaleX = static_cast<std::int16_t>(value); break;
    case BgRotationAttribute::ScaleY: r.scaleY = static_cast<std::int16_t>(value); break;
    case BgRotationAttribute::ShearX: r.shearX = static_cast<std::int16_t>(value); break;
    case BgRotationAttribute::ShearY: r.shearY = static_cast<std::int16_t>(value); break;
    case BgRotationAttribute::OffsetX: r.offsetX = value; break;
    case BgRotationAttribute::OffsetY: r.offsetY = value; break;
    default: return false;
  }
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::bgRotateAndScale(int set, int scaleX, int scaleY, std::int32_t mapX,
                                    std::int32_t mapY, std::int32_t screenX, std::int32_t screenY,
                                    std::int32_t angle) {
  if (set < 0 || set > 1) return false;
  if (!inRange(scaleX, -32768, 32767) || !inRange(scaleY, -32768, 32767)) return false;
  const float t = -static_cast<float>(angle) * kPi / 128.0f;
  const float s = std::sin(t), c = std::cos(t);
  auto to16 = [](float v) { return static_cast<std::int16_t>(static_cast<std::int32_t>(v)); };
  BgRotation& r = bgRotation_[set];
  r.shearX = to16(s * scaleX);
  r.shearY = to16(s * -scaleY);
  r.scaleX = to16(c * scaleX);
  r.scaleY = to16(c * scaleY);
  // 32-bit wrap-around arithmetic.
  auto u = [](std::int64_t v) { return static_cast<std::uint32_t>(v); };
  r.offsetX = static_cast<std::int32_t>(u(mapX) * 256u - u(screenY) * u(r.shearX) -
                                        u(screenX) * u(r.scaleX));
  r.offsetY = static_cast<std::int32_t>(u(mapY) * 256u - u(screenX) * u(r.shearY) -
                                        u(screenY) * u(r.scaleY));
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::setWindowRegion(int window, int left, int top, int right, int bottom) {
  if (window < 0 || window > 1) return false;
  if (left >= 256 || top >= 256 || right >= 256 || bottom >= 256) return false;
  WindowRegion& w = windowRegion_[window];
  if (left >= 0) w.left = static_cast<std::uint8_t>(left);
  if (top >= 0) w.top = static_cast<std::uint8_t>(top);
  if (right >= 0) w.right = static_cast<std::uint8_t>(right);
  if (bottom >= 0) w.bottom = static_cast<std::uint8_t>(bottom);
  notify(ChangeKind::Display);
  return true;
}

bool MachineState::setWindowAttribute(int window, WindowAttribute attr, int value) {
  const int bit = static_cast<int>(attr);
  if (window < 0 || window > 3 || bit < 0 || bit > 5 || !inRange(value, 0, 1)) return false;
  if (value)
    windowContent_[window] = static_cast<std::uint8_t>(windowContent_[window] | (1u << bit));
  else
    windowContent_[window] = static_cast<std::uint8_t>(windowContent_[window] & ~(1u << bit));
  notify(ChangeKind::Display);
  return true;
}

int MachineState::windowAttribute(int window, WindowAttribute attr) const {
  return windowContent_[window & 3] >> static_cast<int>(attr) & 1;
}

// ---------------------------------------------------------------- layers

bool MachineState::setLayerAttribute(int index, LayerAttribute attr, int value) {
  if (index < 0 || index > 3) return false;
  BackgroundLayer& l = layers_[index];
  int old = layerAttribute(index, attr);
  switch (attr) {
    case LayerAttribute::ColourMode:
      if (!inRange(value, 0, 1)) return false;
      l.colourMode = value;
      break;
    case LayerAttribute::Priority:
      if (!inRange(value, 0, 3)) return false;
      l.priority = static_cast<std::uint8_t>(value);
      break;
    case LayerAttribute::TileBank:
      if (!inRange(value, 0, 3)) return false;
      l.tileBank = static_cast<std::uint8_t>(value);
      break;
    case LayerAttribute::MapBank:
      if (!inRange(value, 0, 31)) return false;
      l.mapBank = static_cast<std::uint8_t>(value);
      break;
    case LayerAttribute::OffsetX:
      if (!inRange(value, -512, 511)) return false;
      l.scrollX = static_cast<std::int16_t>(value);
      break;
    case LayerAttribute::OffsetY:
      if (!inRange(value, -512, 511)) return false;
      l.scrollY = static_cast<std::int16_t>(value);
      break;
    case LayerAttribute::Size:
      if (!inRange(value, 0, 3)) return false;
      l.size = static_cast<std::uint8_t>(value);
      break;
    case LayerAttribute::Mosaic:
      if (!inRange(value, 0, 1)) return false;
      l.mosaic = value != 0;
      break;
    case LayerAttribute::Tiled:
      if (!inRange(value, 0, 1)) return false;
      l.tiled = value != 0;
      break;
    default: return false;
  }
  l.changed = old != value;
  if (l.changed) notify(ChangeKind::TileMap);
  return true;
}

int MachineState::layerAttribute(int index, LayerAttribute attr) const {
  const BackgroundLayer& l = layers_[index & 3];
  switch (attr) {
    case LayerAttribute::ColourMode: return l.colourMode;
    case LayerAttribute::Priority: return l.priority;
    case LayerAttribute::TileBank: return l.tileBank;
    case LayerAttribute::MapBank: return l.mapBank;
    case LayerAttribute::OffsetX: return l.scrollX;
    case LayerAttribute::OffsetY: return l.scrollY;
    case LayerAttribute::Size: return l.size;
    case LayerAttribute::Mosaic: return l.mosaic;
    case LayerAttribute::Tiled: return l.tiled;
  }
  return 0;
}

std::size_t MachineState::cellOffset(int index, int x, int y) const {
  const BackgroundLayer& l = layers_[index & 3];
  if (l.kind == LayerKind::Rotational)
    return static_cast<std::size_t>(y) * mapWidth(index) + x;
  const int block = (x >> 5) + (y >> 5) * (mapWidth(index) >> 5);
  return static_cast<std::size_t>(block) * 2048 + ((y & 31) * 32 + (x & 31)) * 2;
}

bool MachineState::mapCell(int index, int x, int y, std::uint16_t& value) const {
  if (index < 0 || index > 3 || x < 0 || y < 0 || x >= mapWidth(index) || y >= mapHeight(index))
    return false;
  const BackgroundLayer& l = layers_[index];
  const bool rot = l.kind == LayerKind::Rotational;
  const std::size_t off = cellOffset(index, x, y);
  const std::uint8_t* base = l.mapOverride ? l.mapOverride : vram_.data() + (l.mapBank & 31) * 2048u;
  const std::size_t limit = l.mapOverride ? l.mapOverrideSize : kVramSize - (l.mapBank & 31) * 2048u;
  if (off + (rot ? 1 : 2) > limit) {
    value = 0;
    return true;
  }
  value = rot ? base[off] : static_cast<std::uint16_t>(base[off] | base[off + 1] << 8);
  return true;
}

bool MachineState::setMapCell(int index, int x, int y, std::uint16_t value) {
  if (index < 0 || index > 3 || x < 0 || y < 0 || x >= mapWidth(index) || y >= mapHeight(index))
    return false;
  BackgroundLayer& l = layers_[index];
  const bool rot = l.kind == LayerKind::Rotational;
  const std::size_t off = cellOffset(index, x, y);
  std::uint8_t* base = l.mapOverride ? l.mapOverride : vram_.data() + (l.mapBank & 31) * 2048u;
  const std::size_t limit = l.mapOverride ? l.mapOverrideSize : kVramSize - (l.mapBank & 31) * 2048u;
  if (off + (rot ? 1 : 2) > limit) return true;  // nothing to hold the cell
  bool changed;
  if (rot) {
    changed = base[off] != static_cast<std::uint8_t>(value);
    base[off] = static_cast<std::uint8_t>(value);
  } else {
    changed = (base[off] | base[off + 1] << 8) != value;
    base[off] = static_cast<std::uint8_t>(value);
    base[off + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  l.cellMarks[static_cast<std::size_t>(y) * 128 + x] = 1;
  if (changed) notify(ChangeKind::TileMap);
  return true;
}

// ---------------------------------------------------------------- sprites

bool MachineState::setSpriteAttribute(int index, SpriteAttribute attr, int value) {
  if (index < 0 || index > 127) return false;
  SpriteEntry& s = sprites_[index];
  auto flag = [&](bool& field) {
    if (!inRange(value, 0, 1)) return false;
    field = value != 0;
    return true;
  };
  auto small = [&](std::uint8_t& field, int hi) {
    if (!inRange(value, 0, hi)) return false;
    field = static_cast<std::uint8_t>(value);
    return true;
  };
  bool ok = true;
  switch (attr) {
    case SpriteAttribute::Xpos: s.x = static_cast<std::uint16_t>(value & 0x1FF); break;
    case SpriteAttribute::Ypos: s.y = static_cast<std::uint8_t>(value & 0xFF); break;
    case SpriteAttribute::RotScale: ok = flag(s.rotScale); break;
    case SpriteAttribute::SdFold: ok = flag(s.sdFold); break;
    case SpriteAttribute::DisplayMode: ok = small(s.displayMode, 2); break;
    case SpriteAttribute::Mosaic: ok = flag(s.mosaic); break;
    case SpriteAttribute::ColourMode: ok = small(s.colourMode, 1); break;
    case SpriteAttribute::SizeTop: ok = small(s.shape, 2); break;
    case SpriteAttribute::SizeBottom: ok = small(s.size, 3); break;
    case SpriteAttribute::FlipHorizontal:
    case SpriteAttribute::FlipVertical: {
      if (!inRange(value, 0, 1)) return false;
      const std::uint8_t bit = attr == SpriteAttribute::FlipHorizontal ? 8 : 16;
      s.rotation = static_cast<std::uint8_t>(value ? (s.rotation | bit) : (s.rotation & ~bit));
      break;
    }
    case SpriteAttribute::RotationIndex: ok = small(s.rotation, 31); break;
    case SpriteAttribute::PaletteIndex: ok = small(s.palette, 15); break;
    case SpriteAttribute::RenderLayer: ok = small(s.priority, 3); break;
    case SpriteAttribute::TileIndex:
      if (!inRange(value, 0, 1023)) return false;
      s.tile = static_cast<std::uint16_t>(value);
      break;
    default: return false;
  }
  if (ok) {
    ++spriteVersion_;
    notify(ChangeKind::Sprites);
  }
  return ok;
}

void MachineState::setSprite(int index, const SpriteEntry& entry) {
  SpriteEntry& s = sprites_[index & 127];
  s = entry;
  s.x &= 0x1FF;
  s.rotation &= 31;
  if (s.shape > 2) s.shape = 0;
  s.size &= 3;
  s.displayMode = s.displayMode > 2 ? 0 : s.displayMode;
  s.colourMode &= 1;
  s.tile &= 1023;
  s.palette &= 15;
  s.priority &= 3;
  ++spriteVersion_;
  notify(ChangeKind::Sprites);
}

bool MachineState::spriteAttribute(int index, SpriteAttribute attr, int& value) const {
  if (index < 0 || index > 127) return false;
  const SpriteEntry& s = sprites_[index];
  switch (attr) {
    case SpriteAttribute::Xpos: value = s.x; break;
    case SpriteAttribute::Ypos: value = s.y; break;
    case SpriteAttribute::RotScale: value = s.rotScale; break;
    case SpriteAttribute::SdFold: value = s.sdFold; break;
    case SpriteAttribute::DisplayMode: value = s.displayMode; break;
    case SpriteAttribute::Mosaic: value = s.mosaic; break;
    case SpriteAttribute::ColourMode: value = s.colourMode; break;
    case SpriteAttribute::SizeTop: value = s.shape; break;
    case SpriteAttribute::SizeBottom: value = s.size; break;
    case SpriteAttribute::FlipHorizontal: value = s.rotation >> 3 & 1; break;
    case SpriteAttribute::FlipVertical: value = s.rotation >> 4 & 1; break;
    case SpriteAttribute::RotationIndex: value = s.rotation; break;
    case SpriteAttribute::PaletteIndex: value = s.palette; break;
    case SpriteAttribute::RenderLayer: value = s.priority; break;
    case SpriteAttribute::TileIndex: value = s.tile; break;
    default: return false;
  }
  return true;
}

bool MachineState::setRotationValue(int bank, RotationAttribute attr, int value) {
  if (bank < 0 || bank > 31) return false;
  const float v = static_cast<float>(static_cast<std::int16_t>(value & 0xFFFF)) / 256.0f;
  RotationBank& b = rotationBanks_[bank];
  switch (attr) {
    case RotationAttribute::Xscale: b.xscale = v; break;
    case RotationAttribute::Yscale: b.yscale = v; break;
    case RotationAttribute::Xshear: b.xshear = v; break;
    case RotationAttribute::Yshear: b.yshear = v; break;
    default: return false;
  }
  b.changed = true;
  notify(ChangeKind::Sprites);
  return true;
}

bool MachineState::rotateAndScale(int bank, int angle, int scale) {
  if (bank < 0 || bank > 31) return false;
  const std::int16_t s16 = static_cast<std::int16_t>(scale & 0xFFFF);
  if (s16 == 0) return false;
  const float t = -static_cast<float>(angle) * kPi / 128.0f;
  const float s = s16 / 256.0f;
  RotationBank& b = rotationBanks_[bank];
  b.xscale = std::cos(t) * s;
  b.yscale = std::cos(t) * s;
  b.xshear = std::sin(t) * s;
  b.yshear = -std::sin(t) * s;
  b.changed = true;
  notify(ChangeKind::Sprites);
  return true;
}

int MachineState::rotationValue(int bank, RotationAttribute attr) const {
  const RotationBank& b = rotationBanks_[bank & 31];
  float v = 0;
  switch (attr) {
    case RotationAttribute::Xscale: v = b.xscale; break;
    case RotationAttribute::Yscale: v = b.yscale; break;
    case RotationAttribute::Xshear: v = b.xshear; break;
    case RotationAttribute::Yshear: v = b.yshear; break;
  }
  return static_cast<int>(v * 256.0f);
}

// ---------------------------------------------------------------- palettes

bool MachineState::setPaletteColour(int bank, int index, int colour) {
  if (bank < 0 || bank > 1 || !inRange(index, 0, 255) || !inRange(colour, 0, 0x7FFF)) return false;
  palettes_[bank].setColour(index, static_cast<std::uint16_t>(colour));
  notify(ChangeKind::Palette);
  return true;
}

// ---------------------------------------------------------------- memories

std::size_t MachineState::memorySize(int kind) {
  switch (kind) {
    case kEram: return kEramSize;
    case kIram: return kIramSize;
    case kVram: return kVramSize;
    case kPram: return kPramSize - 1;  // as the memory has always reported itself
    case kSram: return kSramSize;
    default: return 0;
  }
}

std::span<std::uint8_t> MachineState::memory(int kind, std::uint32_t offset, bool notifyChange) {
  std::span<std::uint8_t> out;
  ChangeKind change = ChangeKind::Memory;
  switch (kind) {
    case kEram:
    case kIram:
    case kSram: {
      std::vector<std::uint8_t>& m = kind == kEram ? eram_ : kind == kIram ? iram_ : sram_;
      if (offset < m.size()) out = std::span<std::uint8_t>(m.data() + offset, m.size() - offset);
      break;
    }
    case kVram: {
      const std::uint32_t at =
          (offset & 0x10000) ? kSpriteTileOffset + (offset & 0x7FFF) : (offset & 0x1FFFF);
      out = std::span<std::uint8_t>(vram_.data() + at, kVramSize - at);
      change = ChangeKind::Tiles;
      break;
    }
    case kPram: {
      const std::uint32_t low = offset & 0x1FF;
      out = std::span<std::uint8_t>(palettes_[(offset & 0x200) ? 1 : 0].bytes() + low, 512 - low);
      change = ChangeKind::Palette;
      break;
    }
    default: break;
  }
  if (notifyChange && !out.empty()) {
    notify(change);
    if (kind == kVram) notify(ChangeKind::TileMap);
  }
  return out;
}

std::span<std::uint8_t> MachineState::tileArea(int target) {
  if (target == 1) return std::span<std::uint8_t>(vram_.data() + kSpriteTileOffset, kSpriteTileAreaSize);
  return std::span<std::uint8_t>(vram_.data(), kSpriteTileOffset);
}

void MachineState::markTileUsed(int target, int tile) {
  if (target == 1) {
    if (inRange(tile, 0, int(usedSpriteTiles_.size()) - 1)) usedSpriteTiles_[tile] = 1;
  } else if (target == 0) {
    if (inRange(tile, 0, int(usedBgTiles_.size()) - 1)) usedBgTiles_[tile] = 1;
  }
}

bool MachineState::tileUsed(int target, int tile) const {
  if (target != 0 && target != 1) return false;
  const std::span<const std::uint8_t> marks = usedTiles(target);
  return tile >= 0 && std::size_t(tile) < marks.size() && marks[tile] != 0;
}

BackPage MachineState::backPage() {
  BackPage page;
  switch (videoMode_) {
    case 3: page = {vram_.data(), 240, 160, 2}; break;
    case 4: page = {vram_.data() + (pageFlip_ ? 0 : kSecondPageOffset), 240, 160, 1}; break;
    case 5: page = {vram_.data() + (pageFlip_ ? 0 : kSecondPageOffset), 160, 120, 2}; break;
    default: break;
  }
  return page;
}

bool MachineState::setTileProperty(int tile, int property) {
  if (!inRange(tile, 0, 1023) || !inRange(property, 0, 255)) return false;
  tileProperties_[tile] = static_cast<std::uint8_t>(property);
  return true;
}

// ---------------------------------------------------------------- names

std::string_view displayModeName(int mode) {
  static constexpr std::string_view kNames[] = {
      "VIDMODE_TILED_NONROT4", "VIDMODE_TILED_ROT1", "VIDMODE_TILED_ROT2",
      "VIDMODE_BITMAP_240x160x16BIT", "VIDMODE_BITMAP_240x160x8BIT", "VIDMODE_BITMAP_160x128x16BIT"};
  return inRange(mode, 0, 5) ? kNames[mode] : "Unknown display mode";
}

std::string_view priorityName(int priority) {
  static constexpr std::string_view kNames[] = {"PRIORITY_TOP", "PRIORITY_UPPER", "PRIORITY_LOWER",
                                                "PRIORITY_BOTTOM"};
  return inRange(priority, 0, 3) ? kNames[priority] : "Unknown render order";
}

std::string_view layerKindName(int kind) {
  static constexpr std::string_view kNames[] = {"Text", "Rotational", "Unavailable"};
  return inRange(kind, 0, 2) ? kNames[kind] : "Unknown screenmap mode type";
}

std::string_view colourModeName(int mode) {
  static constexpr std::string_view kNames[] = {"COL_16", "COL_256"};
  return inRange(mode, 0, 1) ? kNames[mode] : "Undefined colour mode";
}

std::string_view spriteDisplayModeName(int mode) {
  static constexpr std::string_view kNames[] = {"SPRITE_DISPLAY_MODE_NORMAL",
                                                "SPRITE_DISPLAY_MODE_SEMIALPHA",
                                                "SPRITE_DISPLAY_MODE_OBJWINDOW"};
  return inRange(mode, 0, 2) ? kNames[mode] : "Undefined display mode";
}

std::string_view spriteSizeName(int shape, int size) {
  static constexpr std::string_view kNames[3][4] = {
      {"8x8", "16x16", "32x32", "64x64"},
      {"16x8", "32x8", "32x16", "64x32"},
      {"8x16", "8x32", "16x32", "32x64"}};
  return inRange(shape, 0, 2) && inRange(size, 0, 3) ? kNames[shape][size] : "Undefined sprite size";
}

}  // namespace tarvolin::machine
