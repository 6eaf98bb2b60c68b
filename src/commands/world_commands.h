// The string, path, level and tile-list commands (CommandId 90..97, 113..115,
// 125..128, 158..170) and the state they keep between lines: the current
// language, the text target and its flags, the proportional-text render
// cursor and the current level layer.
//
// The executor evaluates a line's operands in signature order (asset
// operands as the asset's index, bracketed attributes as their index) and
// hands them to Execute, which checks them, acts on the project's assets and
// the machine, and gives the values for the line's result variables.
//
// Drawn text. StringDisplay and its forms write the text's characters into
// the target tile map from cell (x, y), left to right. Each character takes
// a cell of the font map's width x height tiles: tile (column c, row r) of
// the character's cell is tile first tile + glyph tile + r x width + c,
// written at map cell (x + c, y + r), and the next character starts `width`
// cells further right. Characters that no range covers are skipped (nothing
// is written, the position does not move). Each written cell gets the flip
// bits and the palette set by StringDisplaySetFlags / StringDisplaySetColour
// when those are active, and keeps the cell's own bits when they are not.
// Cells outside the map are clipped. Text comes from the string table in the
// current language, one byte a character; with a "Kanji" font map a byte of
// 0x80 or above and the byte after it form one 16-bit code.
//
// Proportional text. When the target font map is rendered and
// StringRenderSetTarget has set a render target, the characters' pixels are
// drawn instead into a strip of tiles from the target tile, packed by each
// character's pixel width plus the spacing, from the pixel offsets X and Y.
// Column k of the strip (8 pixels wide) is made of the font map's height in
// tiles, numbered target + k x height + row. The font's pixels are read from
// the background tiles at the text target's first tile; colour 0 is
// transparent. Both tile numbers count from the target layer's tile bank. With "over tile map" set the strip's tiles are also written
// into the map from (x, y); with "reset index" each line starts the strip
// again, else text continues where the last one ended; with "clear tiles"
// each strip column is cleared when the text first enters it.
//
// Paths: positions are taken at a frame of the path (PathGetPos: the frame
// P1; PathGetDelta: position at P2 minus position at P1); PathGetLength is
// the path's duration in frames.
//
// Levels: positions given to LevelSetPos and LevelScroll are in pixels; the
// visible 31 x 21 cells of the level from that position are written into
// the map, which is used as a ring (cells wrap at the map's size), and the
// layer's scroll offsets follow the position. LevelScroll writes only the
// cells that came into view. Every level command reads and writes the
// current level layer (LevelSelectLayer); the tile offset ("desplazamiento")
// is added to the low 10 bits of each entry written into a map (the whole
// byte of a rotational map).
#pragma once

#include <cstdint>
#include <string>

#include "script/command_family.h"
#include "common/errors.h"

namespace tarvolin::machine { class MachineState; }
namespace tarvolin::project { class Project; }

namespace tarvolin::commands {

struct TextTarget {
  int layer = -1;  // -1 until StringDisplaySetTarget
  int fontMap = -1;
  int firstTile = 0;
  bool flipHActive = false, flipH = false, flipVActive = false, flipV = false;
  bool paletteActive = false;
  int palette = 0;
};

struct RenderTarget {
  bool set = false;
  int tile = 0;
  bool resetIndex = false, clearTiles = false, overTileMap = false;
  int colourMode = 0;
  int offsetX = 0, offsetY = 0, spacing = 0;
  int cursorX = 0;       // pixels from the strip's start
  int clearedUpTo = 0;   // strip columns already cleared
};

class WorldCommands final : public script::CommandFamily {
 public:
  // What the commands act on; either may be null (the commands that need it
  // then fail with the asset's range error).
  void bind(project::Project* project, machine::MachineState* machine) {
    project_ = project;
    machine_ = machine;
  }
  // The resource range index of resolving (ResourceSetIndex).
  void setRangeIndex(std::int64_t index) { rangeIndex_ = index; }
  // Back to the start of a run: English, no text or render target, level
  // layer 0.
  void reset();

  static bool handles(std::int32_t command);
  // Runs one command. `p` holds `count` evaluated operands; the results for
  // the line's variables go to `out` (at most 3) and their number to
  // `outCount`. False with the error set when a check fails.
  bool Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out,
               int& outCount, ErrorState& err) override;

  // As a command family of the interpreter.
  bool Handles(std::int32_t command) const override { return handles(command); }
  void Reset() override { reset(); }
  // Strings, font maps, paths, levels, tile lists and resources of the
  // project by name.
  int FindAsset(script::AssetKind kind, std::string_view name) const override;

  int language() const { return language_; }
  int levelLayer() const { return levelLayer_; }
  const TextTarget& textTarget() const { return text_; }
  const RenderTarget& renderTarget() const { return render_; }

 private:
  bool Strings(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
               ErrorState& err);
  bool Paths(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
             ErrorState& err);
  bool Levels(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
              ErrorState& err);
  bool TileLists(std::int32_t command, const std::int32_t* p, std::int32_t* out, int& outCount,
                 ErrorState& err);

  // Text drawing (exec_strings.cpp).
  bool DrawText(int x, int y, const std::string& text, ErrorState& err);
  void DrawCells(int x, int y, const std::string& text);
  void RenderText(int x, int y, const std::string& text);

  project::Project* project_ = nullptr;
  machine::MachineState* machine_ = nullptr;
  std::int64_t rangeIndex_ = 0;
  int language_ = 0;
  TextTarget text_;
  RenderTarget render_;
  int levelLayer_ = 0;
};

}  // namespace tarvolin::commands
