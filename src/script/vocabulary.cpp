#include "script/vocabulary.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "script/commands.h"

namespace tarvolin::script {

namespace {

// ---- Comparison operators ----

constexpr const char* kComparisonOps[kComparisonOpCount] = {
    "==", "!=", ">", ">=", "<", "<=", "%=", "&=", ">=<", "<>"};

// ---- Attribute tables, in AttributeTable order ----

constexpr const char* kDisplayNames[] = {
    "VideoMode", "PageFlip", "HblankProcess", "SpriteLayout", "BlankDisplay",
    "EnableBG0", "EnableBG1", "EnableBG2", "EnableBG3", "EnableSprite",
    "EnableWindowA", "EnableWindowB", "EnableSpriteWindow"};
constexpr const char* kMosaicNames[] = {"BackgroundX", "BackgroundY", "SpriteX", "SpriteY"};
constexpr const char* kBlendNames[] = {
    "BG0Source", "BG1Source", "BG2Source", "BG3Source", "SpriteSource", "BackdropSource",
    "BG0Target", "BG1Target", "BG2Target", "BG3Target", "SpriteTarget", "BackdropTarget"};
constexpr const char* kBGRotationNames[] = {"ScaleX", "ScaleY", "ShearX", "ShearY", "OffsetX", "OffsetY"};
constexpr const char* kWindowNames[] = {
    "WindowBG0", "WindowBG1", "WindowBG2", "WindowBG3", "WindowSprites", "WindowBlends"};
constexpr const char* kSpriteNames[] = {
    "Xpos", "Ypos", "RotScale", "SdFold", "DisplayMode", "Mosaic", "ColourMode", "SizeTop",
    "SizeBottom", "FlipHorizontal", "FlipVertical", "RotationIndex", "PaletteIndex",
    "RenderLayer", "TileIndex"};
constexpr const char* kRotationNames[] = {"Xscale", "Yscale", "Xshear", "Yshear"};
constexpr const char* kTileMapNames[] = {"Tile", "FlipHorizontal", "FlipVertical", "Palette", "All"};
constexpr const char* kMemSizeNames[] = {"u8", "s8", "u16", "s16"};
constexpr const char* kPaletteTargetNames[] = {"BG", "SPRITE"};
constexpr const char* kDirectionNames[] = {"Up", "Right", "Down", "Left"};

struct AttributeTableInfo {
  std::span<const char* const> names;
  AttributeErrors errors;
};

const AttributeTableInfo kAttributeTables[kAttributeTableCount] = {
    {kDisplayNames, {err::kMissingDisplayAttribute, err::kMalformedDisplayAttribute, err::kUnknownDisplayAttribute}},
    {kMosaicNames, {err::kMissingMosaicAttribute, err::kMalformedMosaicAttribute, err::kUnknownMosaicAttribute}},
    {kBlendNames, {err::kMissingBlendAttribute, err::kMalformedBlendAttribute, err::kUnknownBlendAttribute}},
    {kBGRotationNames, {err::kMissingRotationLayerAttribute, err::kMalformedRotationLayerAttribute, err::kUnknownRotationLayerAttribute}},
    {kWindowNames, {err::kMissingWindowAttribute, err::kMalformedWindowAttribute, err::kUnknownWindowAttribute}},
    {kSpriteNames, {err::kMissingSpriteAttribute, err::kMalformedSpriteAttribute, err::kUnknownSpriteAttribute}},
    {kRotationNames, {err::kMissingSpriteAttribute, err::kMalformedRotationAttribute, err::kUnknownSpriteAttribute}},
    {kTileMapNames, {err::kMissingScreenMapAttribute, err::kMalformedScreenMapAttribute, err::kUnknownScreenMapAttribute}},
    {kMemSizeNames, {err::kMissingMemSizeAttribute, err::kMalformedMemSizeAttribute, err::kUnknownMemSizeAttribute}},
    {kPaletteTargetNames, {err::kMissingPaletteAttribute, err::kMalformedPaletteAttribute, err::kUnknownPaletteAttribute}},
    {kDirectionNames, {err::kBadRotationType, err::kBadRotationType, err::kBadRotationType}},
};

constexpr AttributeTable kValueAttributeOrder[] = {
    AttributeTable::Sprite, AttributeTable::PaletteTarget, AttributeTable::TileMap,
    AttributeTable::Display, AttributeTable::Mosaic, AttributeTable::Direction};

// ---- Built-in definitions, in order of entry ----

constexpr BuiltinDefinition kBuiltins[] = {
    {"HERE", 0},
    {"LANG_EN", 0}, {"LANG_FR", 1}, {"LANG_GR", 2}, {"LANG_IT", 3}, {"LANG_JP", 4}, {"LANG_SP", 5},
    {"COL_16", 0}, {"COL_256", 1},
    {"TILEMAP_FLIPH", 1024}, {"TILEMAP_FLIPV", 2048}, {"TILEMAP_PAL_SHIFT", 12},
    {"TILEMAP_SIZE_NONROT_32x32", 0}, {"TILEMAP_SIZE_NONROT_64x32", 1},
    {"TILEMAP_SIZE_NONROT_32x64", 2}, {"TILEMAP_SIZE_NONROT_64x64", 3},
    {"TILEMAP_SIZE_ROT_16x16", 0}, {"TILEMAP_SIZE_ROT_32x32", 1},
    {"TILEMAP_SIZE_ROT_64x64", 2}, {"TILEMAP_SIZE_ROT_128x128", 3},
    {"PRIORITY_TOP", 0}, {"PRIORITY_UPPER", 1}, {"PRIORITY_LOWER", 2}, {"PRIORITY_BOTTOM", 3},
    {"BLEND_NONE", 0}, {"BLEND_ALPHA", 1}, {"BLEND_LIGHTEN", 2}, {"BLEND_DARKEN", 3},
    {"VIDMODE_TILED_NONROT4", 0}, {"VIDMODE_TILED_ROT1", 1}, {"VIDMODE_TILED_ROT2", 2},
    {"VIDMODE_BITMAP_240x160x16BIT", 3}, {"VIDMODE_BITMAP_240x160x8BIT", 4},
    {"VIDMODE_BITMAP_160x128x16BIT", 5},
    {"SPRITE_SIZE8x8_TOP", 0}, {"SPRITE_SIZE8x8_BOTTOM", 0},
    {"SPRITE_SIZE16x16_TOP", 0}, {"SPRITE_SIZE16x16_BOTTOM", 1},
    {"SPRITE_SIZE32x32_TOP", 0}, {"SPRITE_SIZE32x32_BOTTOM", 2},
    {"SPRITE_SIZE64x64_TOP", 0}, {"SPRITE_SIZE64x64_BOTTOM", 3},
    {"SPRITE_SIZE16x8_TOP", 1}, {"SPRITE_SIZE16x8_BOTTOM", 0},
    {"SPRITE_SIZE32x8_TOP", 1}, {"SPRITE_SIZE32x8_BOTTOM", 1},
    {"SPRITE_SIZE32x16_TOP", 1}, {"SPRITE_SIZE32x16_BOTTOM", 2},
    {"SPRITE_SIZE64x32_TOP", 1}, {"SPRITE_SIZE64x32_BOTTOM", 3},
    {"SPRITE_SIZE8x16_TOP", 2}, {"SPRITE_SIZE8x16_BOTTOM", 0},
    {"SPRITE_SIZE8x32_TOP", 2}, {"SPRITE_SIZE8x32_BOTTOM", 1},
    {"SPRITE_SIZE16x32_TOP", 2}, {"SPRITE_SIZE16x32_BOTTOM", 2},
    {"SPRITE_SIZE32x64_TOP", 2}, {"SPRITE_SIZE32x64_BOTTOM", 3},
    {"SPRITE_DISPLAY_MODE_NORMAL", 0}, {"SPRITE_DISPLAY_MODE_SEMIALPHA", 1},
    {"SPRITE_DISPLAY_MODE_OBJWINDOW", 2},
    {"DEBUG_PRESS_MOUSE_LEFT", 0}, {"DEBUG_PRESS_MOUSE_RIGHT", 1}, {"DEBUG_PRESS_MOUSE_CENTRE", 2},
    {"INPUT_BITFIELD_BUTTONA", 1}, {"INPUT_BITFIELD_BUTTONB", 2}, {"INPUT_BITFIELD_SELECT", 4},
    {"INPUT_BITFIELD_START", 8}, {"INPUT_BITFIELD_PADRIGHT", 16}, {"INPUT_BITFIELD_PADLEFT", 32},
    {"INPUT_BITFIELD_PADUP", 64}, {"INPUT_BITFIELD_PADDOWN", 128},
    {"INPUT_BITFIELD_SHOULDERRIGHT", 256}, {"INPUT_BITFIELD_SHOULDERLEFT", 512},
    {"SOUND_LOOP_FORWARD", 0}, {"SOUND_LOOP_FORWBACK", 1}, {"SOUND_PARAM_CURR", -1000000},
    {"SOUND_CHANNEL_ALL", -1}, {"SOUND_CHANNEL_MUSIC", -2}, {"SOUND_CHANNEL_SOUND", -3},
    {"SOUND_PANNING_MIDDLE", 128}, {"SOUND_PANNING_LEFT", 0}, {"SOUND_PANNING_RIGHT", 255},
};
static_assert(std::size(kBuiltins) == 83);

// ---- Input ----

constexpr const char* kInputFunctions[kInputFunctionCount] = {
    "IsButtonPressed", "IsButtonReleased", "IsButtonHeld",
    "GetButtonPressed", "GetButtonReleased", "GetButtonHeld"};
constexpr const char* kButtons[kButtonCount] = {
    "ButtonA", "ButtonB", "Select", "Start", "PadRight", "PadLeft", "PadUp", "PadDown",
    "ShoulderRight", "ShoulderLeft"};

}  // namespace

std::string_view ComparisonOpText(int op) {
  return (op >= 0 && op < kComparisonOpCount) ? kComparisonOps[op] : "";
}

int LookupComparisonOp(std::string_view text, std::size_t pos, std::size_t& length) {
  for (int i = 0; i < kComparisonOpCount; ++i) {
    const std::string_view op = kComparisonOps[i];
    if (pos > text.size() || text.substr(pos).substr(0, op.size()) != op) continue;
    const std::size_t after = pos + op.size();
    if (after == text.size() || isBlank(text[after])) {
      length = op.size();
      return i;
    }
  }
  length = 0;
  return -1;
}

bool Compare(int op, std::int32_t a, std::int32_t b, std::int32_t c) {
  switch (op) {
    case kOpEqual: return a == b;
    case kOpNotEqual: return a != b;
    case kOpGreater: return a > b;
    case kOpGreaterOrEqual: return a >= b;
    case kOpLess: return a < b;
    case kOpLessOrEqual: return a <= b;
    // -1 is handled apart so that INT32_MIN % -1 cannot trap.
    case kOpModEqual: return b != 0 && (b == -1 || a % b == 0);
    case kOpAndEqual: return (a & b) == b;
    case kOpBetween: return std::min(b, c) <= a && a <= std::max(b, c);
    case kOpOutside: return a < std::min(b, c) || a > std::max(b, c);
    default: return false;
  }
}

std::span<const char* const> AttributeNames(AttributeTable table) {
  return kAttributeTables[static_cast<int>(table)].names;
}

AttributeErrors AttributeErrorCodes(AttributeTable table) {
  return kAttributeTables[static_cast<int>(table)].errors;
}

int FindAttribute(AttributeTable table, std::string_view name) {
  const auto names = AttributeNames(table);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (equalsIgnoreCase(names[i], name)) return static_cast<int>(i);
  return -1;
}

std::span<const AttributeTable> ValueAttributeOrder() { return kValueAttributeOrder; }

std::span<const BuiltinDefinition> BuiltinDefinitions() { return kBuiltins; }

std::string BuiltinDefinitionName(const BuiltinDefinition& def) {
  return std::string("_") + def.name;
}

std::span<const char* const> InputFunctionNames() { return kInputFunctions; }
std::span<const char* const> ButtonNames() { return kButtons; }

std::vector<std::string> KeywordList() {
  std::vector<std::string> words;
  for (const CommandInfo& info : CommandTable()) words.emplace_back(info.name);
  for (const AttributeTableInfo& table : kAttributeTables)
    for (const char* name : table.names) {
      std::string word = std::string("[") + name + "]";
      if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(std::move(word));
    }
  return words;
}

}  // namespace tarvolin::script
