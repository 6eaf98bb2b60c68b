// The string commands: languages, the text target, drawing text into a tile
// map through a font map, and proportional text rendered into tile data. The
// layout is described in world_commands.h.
#include <algorithm>
#include <cstdio>

#include "machine/machine_state.h"
#include "project/project.h"
#include "script/operand_parse.h"
#include "commands/world_commands.h"
#include "script/commands.h"

namespace tarvolin::commands {

using namespace script;

namespace {

bool isFlag(std::int32_t v) { return v == 0 || v == 1; }

// The character codes of a text: bytes, or with a two-byte font map a byte
// of 0x80 and above joined with the byte after it.
std::vector<int> charactersOf(const std::string& text, bool twoByte) {
  std::vector<int> codes;
  codes.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int b = static_cast<unsigned char>(text[i]);
    if (twoByte && b >= 0x80 && i + 1 < text.size()) {
      codes.push_back((b << 8) | static_cast<unsigned char>(text[++i]));
    } else {
      codes.push_back(b);
    }
  }
  return codes;
}

// One pixel of a tile in a character area (16 colours: the even column in
// the high nibble).
int tilePixel(const std::uint8_t* area, std::size_t areaSize, int tile, int colourMode, int x, int y) {
  const std::size_t size = colourMode ? 64 : 32;
  const std::size_t count = areaSize / size;
  const std::size_t base = (std::size_t(tile) % count) * size;
  if (colourMode) return area[base + std::size_t(y * 8 + x)];
  const std::uint8_t b = area[base + std::size_t(y * 4 + x / 2)];
  return (x & 1) ? (b & 0x0F) : (b >> 4);
}
void setTilePixel(std::uint8_t* area, std::size_t areaSize, int tile, int colourMode, int x, int y,
                  int value) {
  const std::size_t size = colourMode ? 64 : 32;
  const std::size_t count = areaSize / size;
  const std::size_t base = (std::size_t(tile) % count) * size;
  if (colourMode) {
    area[base + std::size_t(y * 8 + x)] = std::uint8_t(value);
    return;
  }
  std::uint8_t& b = area[base + std::size_t(y * 4 + x / 2)];
  b = (x & 1) ? std::uint8_t((b & 0xF0) | (value & 0x0F)) : std::uint8_t((b & 0x0F) | ((value & 0x0F) << 4));
}
}  // namespace

bool WorldCommands::Strings(std::int32_t command, const std::int32_t* p, std::int32_t* out,
                            int& outCount, ErrorState& err) {
  auto fail = [&](ErrorCode code) {
    err.SetError(code);
    return false;
  };
  // The string record of an operand, or the string range error.
  auto stringAt = [&](std::int32_t index) -> const project::StringRecord* {
    const project::StringRecord* r =
        project_ && index >= 0 ? project_->strings().get(std::size_t(index)) : nullptr;
    if (!r) err.SetError(AssetErrorCodes(AssetKind::String).outOfRange);
    return r;
  };
  switch (command) {
    case cmd::StringDisplay: {  // StringDisplay x y string
      const project::StringRecord* r = stringAt(p[2]);
      return r && DrawText(p[0], p[1], r->text(language_), err);
    }
    case cmd::StringDisplayValue: {  // StringDisplayValue x y digits value
      char buffer[64];
      const int digits = std::clamp<std::int32_t>(p[2], 0, 32);
      std::snprintf(buffer, sizeof buffer, "%0*d", digits, int(p[3]));
      return DrawText(p[0], p[1], buffer, err);
    }
    case cmd::StringDisplayCharacter: {  // StringDisplayCharacter x y code
      std::string one;
      const std::uint32_t code = std::uint32_t(p[2]) & 0xFFFF;
      if (code > 0xFF) one += char(code >> 8);
      one += char(code & 0xFF);
      return DrawText(p[0], p[1], one, err);
    }
    case cmd::StringDisplayPartial: {  // StringDisplayPartial x y first last string
      const project::StringRecord* r = stringAt(p[4]);
      if (!r) return false;
      const std::string& text = r->text(language_);
      const std::int64_t first = std::max<std::int64_t>(p[2], 0);
      const std::int64_t last = std::min<std::int64_t>(p[3], std::int64_t(text.size()) - 1);
      const std::string part =
          first <= last ? text.substr(std::size_t(first), std::size_t(last - first + 1)) : std::string();
      return DrawText(p[0], p[1], part, err);
    }
    case cmd::StringDisplaySetTarget: {  // StringDisplaySetTarget layer fontmap firstTile
      if (p[0] < 0 || p[0] > 3) return fail(err::kScreenMapIndexOutOfRange);
      if (!project_ || p[1] < 0 || std::size_t(p[1]) >= project_->fontMaps().size())
        return fail(AssetErrorCodes(AssetKind::FontMap).outOfRange);
      if (p[2] < 0 || p[2] > 2047) return fail(err::kScreenMapTileOutOfRange);
      text_.layer = p[0];
      text_.fontMap = p[1];
      text_.firstTile = p[2];
      return true;
    }
    case cmd::StringDisplaySetFlags:  // StringDisplaySetFlags hActive h vActive v
      for (int i = 0; i < 4; ++i)
        if (!isFlag(p[i])) return fail(err::kFlagExpected);
      text_.flipHActive = p[0];
      text_.flipH = p[1];
      text_.flipVActive = p[2];
      text_.flipV = p[3];
      return true;
    case cmd::StringDisplaySetColour:  // StringDisplaySetColour active palette
      if (!isFlag(p[0])) return fail(err::kFlagExpected);
      if (p[1] < 0 || p[1] > 15) return fail(err::kPaletteIndexOutOfRange);
      text_.paletteActive = p[0];
      text_.palette = p[1];
      return true;
    case cmd::StringGetLength: {  // V1 StringGetLength string
      const project::StringRecord* r = stringAt(p[0]);
      if (!r) return false;
      out[outCount++] = std::int32_t(r->text(language_).size());
      return true;
    }
    case cmd::StringGetCharacter: {  // StringGetCharacter string offset V1
      const project::StringRecord* r = stringAt(p[0]);
      if (!r) return false;
      const std::string& text = r->text(language_);
      // Past the end reads as the text's terminating 0.
      out[outCount++] = p[1] >= 0 && std::size_t(p[1]) < text.size()
                            ? static_cast<unsigned char>(text[std::size_t(p[1])])
                            : 0;
      return true;
    }
    case cmd::StringGetLanguage:
      out[outCount++] = language_;
      return true;
    case cmd::StringSetLanguage:
      if (p[0] < 0 || p[0] >= project::kLanguageCount) return fail(err::kBadLanguage);
      language_ = p[0];
      return true;
    case cmd::StringRenderSetTarget: {  // StringRenderSetTarget tile reset clear overMap colourMode offX offY spacing
      if (p[0] < 0 || p[0] > 2047) return fail(err::kScreenMapTileOutOfRange);
      for (int i = 1; i <= 4; ++i)
        if (!isFlag(p[i])) return fail(err::kFlagExpected);
      for (int i = 5; i <= 7; ++i)
        if (p[i] < 0 || p[i] > 7) return fail(err::kShiftOutOfRange);
      render_ = RenderTarget{};
      render_.set = true;
      render_.tile = p[0];
      render_.resetIndex = p[1];
      render_.clearTiles = p[2];
      render_.overTileMap = p[3];
      render_.colourMode = p[4];
      render_.offsetX = p[5];
      render_.offsetY = p[6];
      render_.spacing = p[7];
      return true;
    }
    case cmd::StringRenderGetInfo: {  // StringRenderGetInfo tileIndex tileX pixelX
      const int height = [&] {
        const project::FontMap* m =
            project_ && text_.fontMap >= 0 ? project_->fontMaps().get(std::size_t(text_.fontMap)) : nullptr;
        return m ? m->cellHeight : 1;
      }();
      const int column = render_.cursorX / 8;
      out[outCount++] = render_.tile + column * height;
      out[outCount++] = column;
      out[outCount++] = render_.cursorX % 8;
      return true;
    }
  }
  err.SetError(err::kUnknownCommand);
  return false;
}

bool WorldCommands::DrawText(int x, int y, const std::string& text, ErrorState& err) {
  if (text_.layer < 0 || text_.layer > 3) {
    err.SetError(err::kScreenMapIndexOutOfRange);
    return false;
  }
  const project::FontMap* map =
      project_ ? project_->fontMaps().get(std::size_t(text_.fontMap)) : nullptr;
  if (!map || !machine_) {
    err.SetError(AssetErrorCodes(AssetKind::FontMap).outOfRange);
    return false;
  }
  if (map->rendered && render_.set) RenderText(x, y, text);
  else DrawCells(x, y, text);
  machine_->notify(machine::ChangeKind::TileMap);
  return true;
}

void WorldCommands::DrawCells(int x, int y, const std::string& text) {
  const project::FontMap& map = *project_->fontMaps().get(std::size_t(text_.fontMap));
  machine::MachineState& m = *machine_;
  const int layer = text_.layer;
  const bool rotational = m.layer(layer).kind == machine::LayerKind::Rotational;
  const int w = map.cellWidth, h = map.cellHeight;
  std::int64_t cx = x;  // wide, so text near the largest positions cannot overflow
  for (int code : charactersOf(text, map.type == project::FontMapType::Kanji)) {
    const auto glyph = map.glyphOf(code);
    if (!glyph) continue;
    for (int r = 0; r < h; ++r)
      for (int c = 0; c < w; ++c) {
        const std::int64_t wx = cx + c, wy = std::int64_t(y) + r;
        if (wx < 0 || wy < 0 || wx >= m.mapWidth(layer) || wy >= m.mapHeight(layer)) continue;
        const int mx = int(wx), my = int(wy);
        const int tile = text_.firstTile + glyph->tile + r * w + c;
        std::uint16_t cell = 0;
        m.mapCell(layer, mx, my, cell);
        if (rotational) {
          m.setMapCell(layer, mx, my, std::uint16_t(tile & 0xFF));
          continue;
        }
        std::uint16_t value = std::uint16_t((cell & 0xFC00) | (tile & 0x3FF));
        if (text_.flipHActive) value = std::uint16_t((value & ~0x0400) | (text_.flipH << 10));
        if (text_.flipVActive) value = std::uint16_t((value & ~0x0800) | (text_.flipV << 11));
        if (text_.paletteActive) value = std::uint16_t((value & 0x0FFF) | (text_.palette << 12));
        m.setMapCell(layer, mx, my, value);
      }
    cx += w;
  }
}

void WorldCommands::RenderText(int x, int y, const std::string& text) {
  const project::FontMap& map = *project_->fontMaps().get(std::size_t(text_.fontMap));
  machine::MachineState& m = *machine_;
  // Tile numbers count from the target layer's tile bank, as its map reads them.
  std::span<std::uint8_t> area = m.tileArea(0);
  const std::size_t bankStart = std::size_t(m.layer(text_.layer).tileBank) * 0x4000;
  area = bankStart < area.size() ? area.subspan(bankStart) : area;
  const int mode = render_.colourMode;
  const int h = map.cellHeight, w = map.cellWidth;
  const int stripHeight = h * 8;
  if (render_.resetIndex) {
    render_.cursorX = 0;
    render_.clearedUpTo = 0;
  }
  const int startColumn = render_.cursorX / 8;
  auto clearColumn = [&](int column) {
    for (int row = 0; row < h; ++row)
      for (int py = 0; py < 8; ++py)
        for (int px = 0; px < 8; ++px)
          setTilePixel(area.data(), area.size(), render_.tile + column * h + row, mode, px, py, 0);
  };
  // Strips end at 1024 columns, far past any screen, so a cursor never grows without bound.
  constexpr int kMaxStripPixels = 8 * 1024;
  for (int code : charactersOf(text, map.type == project::FontMapType::Kanji)) {
    const auto glyph = map.glyphOf(code);
    if (!glyph) continue;
    const project::CharSize size = map.sizeOf(*glyph);
    const int left = render_.cursorX + render_.offsetX;
    if (left + size.width > kMaxStripPixels) break;
    if (render_.clearTiles)
      for (int column = render_.clearedUpTo; column <= (left + size.width) / 8; ++column) {
        clearColumn(column);
        render_.clearedUpTo = column + 1;
      }
    for (int gy = 0; gy < std::min<int>(size.height, h * 8); ++gy) {
      const int dy = gy + render_.offsetY;
      if (dy >= stripHeight) break;
      for (int gx = 0; gx < std::min<int>(size.width, w * 8); ++gx) {
        const int sourceTile = text_.firstTile + glyph->tile + (gy / 8) * w + gx / 8;
        const int colour = tilePixel(area.data(), area.size(), sourceTile, mode, gx % 8, gy % 8);
        if (colour == 0) continue;
        const int dx = left + gx;
        setTilePixel(area.data(), area.size(), render_.tile + (dx / 8) * h + dy / 8, mode, dx % 8,
                     dy % 8, colour);
      }
    }
    render_.cursorX += size.width + render_.spacing;
  }
  m.notify(machine::ChangeKind::Tiles);
  if (!render_.overTileMap) return;
  const int layer = text_.layer;
  const int endColumn = (render_.cursorX + render_.offsetX + 7) / 8;
  for (int column = startColumn; column < endColumn; ++column)
    for (int row = 0; row < h; ++row) {
      const std::int64_t mx = std::int64_t(x) + column - startColumn, my = std::int64_t(y) + row;
      if (mx < 0 || my < 0 || mx >= m.mapWidth(layer) || my >= m.mapHeight(layer)) continue;
      m.setMapCell(layer, int(mx), int(my), std::uint16_t((render_.tile + column * h + row) & 0x3FF));
    }
}

}  // namespace tarvolin::commands
