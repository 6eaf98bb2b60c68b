// The command vocabulary of the script language: every command with its
// number, name, operand kinds, status-line signature and whether a macro may
// hold it; the name-matching rule; help topics; the deprecated conditional
// forms and their fixed operators.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvolin::script {

using CommandId = std::int32_t;

// Command numbers. Unscoped so that cmd::If converts to CommandId.
namespace cmd {
enum : CommandId {
  If = 0,
  IfEqual = 1,
  IfNotEqual = 2,
  IfGreater = 3,
  IfGreaterOrEqual = 4,
  IfLess = 5,
  IfLessOrEqual = 6,
  IfBetweenOrEqual = 7,
  IfOutside = 8,
  IfModEqual = 9,
  IfAndEqual = 10,
  While = 21,
  WhileEqual = 22,
  WhileNotEqual = 23,
  WhileGreater = 24,
  WhileGreaterOrEqual = 25,
  WhileLess = 26,
  WhileLessOrEqual = 27,
  Else = 28,
  ElseIf = 29,
  End = 30,
  Break = 31,
  BreakMore = 32,
  Call = 33,
  CallRet = 34,
  Return = 35,
  AddTo = 37,         // +=
  Assign = 38,        // =
  Negate = 39,        // =-
  MultiplyBy = 40,    // *=
  DivideBy = 41,      // /=
  ModuloBy = 42,      // %=
  SubtractFrom = 43,  // -=
  ShiftLeftBy = 44,   // <<=
  ShiftRightBy = 45,  // >>=
  OrWith = 46,        // |=
  AndWith = 47,       // &=
  XorWith = 48,       // ^=
  RandomUpTo = 49,    // ?=
  Min = 50,
  Max = 51,
  Bounce = 52,
  Sqrt = 53,
  Abs = 54,
  Qdist = 55,
  ArrayPeek = 56,
  ArrayPoke = 57,
  ArrayGetSize = 58,
  ArrayGetDimensionX = 59,
  ArrayGetDimensionY = 60,
  ArrayGetInstanceSize = 61,
  ArrayClear = 62,
  ArrayBlockPeek = 63,
  ArrayBlockPoke = 64,
  Array1DGetElement = 65,
  Array1DSetElement = 66,
  Array1DIndexCopy = 67,
  Array1DSwap = 68,
  Array1DSort = 69,
  Array1DSave = 70,
  Array1DLoad = 71,
  Array1DFind = 72,
  Array1DCopy = 73,
  Array2DGetElement = 74,
  Array2DSetElement = 75,
  Array2DSave = 77,
  Array2DLoad = 78,
  Array2DIterate = 79,
  Array2DIterateTable = 80,
  Array2DCopy = 81,
  Array2DFind = 82,
  MatrixIdentity = 83,
  MatrixRotate = 84,
  MatrixTranslate = 85,
  MatrixScale = 86,
  MatrixApplyToVector = 87,
  VectorGet = 88,
  VectorSet = 89,
  LevelDrawRect = 90,
  LevelGetTile = 91,
  LevelScroll = 92,
  LevelSetTile = 93,
  LevelSetPos = 94,
  LevelGetDimensionX = 95,
  LevelGetDimensionY = 96,
  LevelSelectLayer = 97,
  ResourceSetIndex = 98,
  ResourceFileExists = 99,
  ResourceGetSize = 100,
  ResourcePeek = 101,
  DisplaySetAttribute = 102,
  DisplaySetMosaic = 103,
  DisplaySetBlendMode = 104,
  DisplaySetBlendAttribute = 105,
  DisplaySetBlendAlphaLevel = 106,
  DisplaySetBlendTintLevel = 107,
  DisplaySetBGRotAttribute = 108,
  DisplayBGRotateAndScale = 109,
  DisplaySetWindowRegion = 110,
  DisplaySetWindowAttribute = 111,
  DisplayGetScanLine = 112,
  PathGetPos = 113,
  PathGetLength = 114,
  PathGetDelta = 115,
  TileDataLoad = 116,
  TileDataCycleRect = 117,
  TileDataChangeColour = 118,
  TileDataCopyTiles = 119,
  TileDataCopyPartialTile = 120,
  TileDataCopyMaskedTiles = 121,
  TileDataFillTiles = 122,
  TileDataPixelSet = 123,
  TileDataPixelGet = 124,
  TilelistGroupLoad = 125,
  TilelistGetAttrib = 126,
  TilelistCopyAttribToCollide = 127,
  TilelistCopyAttribToArray = 128,
  TileMapLoad = 129,
  TileMapGetAttribute = 130,
  TileMapSetAttribute = 131,
  TileMapFillRect = 132,
  TileMapCopyRect = 133,
  TileMapIncRect = 134,
  TileMapSetColourMode = 135,
  TileMapSetPriority = 136,
  TileMapSetTileBank = 137,
  TileMapSetMapBank = 138,
  TileMapSetOffsetX = 139,
  TileMapSetOffsetY = 140,
  TileMapSetSize = 141,
  TileMapSetMosaic = 142,
  TileMapSetTiled = 143,
  PaletteLoad = 144,
  PaletteCycle = 145,
  PaletteGetR = 146,
  PaletteGetG = 147,
  PaletteGetB = 148,
  PaletteSetR = 149,
  PaletteSetG = 150,
  PaletteSetB = 151,
  PaletteGetColour = 152,
  PaletteSetColour = 153,
  SpriteSetAttribute = 154,
  SpriteGetAttribute = 155,
  RotateSetValue = 156,
  RotateAndScale = 157,
  StringDisplay = 158,
  StringDisplayValue = 159,
  StringDisplayCharacter = 160,
  StringDisplayPartial = 161,
  StringDisplaySetTarget = 162,
  StringDisplaySetFlags = 163,
  StringDisplaySetColour = 164,
  StringGetLength = 165,
  StringGetCharacter = 166,
  StringGetLanguage = 167,
  StringSetLanguage = 168,
  StringRenderSetTarget = 169,
  StringRenderGetInfo = 170,
  MusicPlay = 171,
  MusicStop = 172,
  SoundPlay = 173,
  SoundExPlay = 174,
  SoundSetProperties = 175,
  DrawLine = 176,
  DrawTriangle = 177,
  DrawSetColour = 178,
  CollideSetTileProperty = 179,
  CollideTestRegionVrsTiles = 180,
  CollideTestSpriteVrsTiles = 181,
  CollideTestRegionVrsSprite = 182,
  CollideTestSpriteVrsSprite = 183,
  Function = 184,
  ExternFunction = 185,
  FunctionGlobal = 186,
  ExternScript = 187,
  ApplyGlobalSet = 188,
  Define = 189,  // ##
  Assert = 190,
  Log = 191,
  LogFile = 192,
  DebugIsKeyPressed = 193,
  DebugGetMousePosition = 194,
  TableDefine = 195,
  TableDefine2D = 196,
  TableData = 197,
  TableFill = 198,
  // Produced by line classification; no name in the table.
  NoCommand = 199,         // blank line or ";" comment
  MacroCall = 200,         // "%name ..."
  UndefinedCommand = 201,  // no command name matched
};
}  // namespace cmd

// One more than the largest number a classified line can have.
inline constexpr CommandId kCommandIdLimit = 202;

// Which executor carries a command out: the interpreter itself (control
// flow, arithmetic, calls, macros, declarations, debug commands) or one of
// the command families above the language.
enum class CommandGroup : std::uint8_t { Language, Arrays, World, Resources, Hardware, Sound };

// Operand kinds of a command, in order, as one letter each:
//   P value   V variable   L comparison operator   S search operator
//   r resource   f font map   s string   p path   l level   a array
//   t tile list   F function   e Array.Element
//   attributes: D display  M mosaic  B blend  R background rotation
//   W window  O sprite  T rotation  m tile map  Z memory size
//   C palette target  d direction
// "?" marks commands that read their own operands (calls, Return, Log,
// LogFile, declarations); "" commands without operands.
struct CommandInfo {
  CommandId id;
  const char* name;
  const char* operands;
  const char* signature;  // the text the editor's status line shows
  bool inMacro;           // whether a macro body may hold the command
  CommandGroup group;
};

// The 187 commands in stored (lookup) order.
std::span<const CommandInfo> CommandTable();

// The entry of a command number, or nullptr (unused numbers, 199..201).
const CommandInfo* FindCommandInfo(CommandId id);

// The executor of a command; Language for numbers without an entry.
CommandGroup GroupOf(CommandId id);

// The operands a command takes as inputs (every letter but V, which
// receives a result); -1 for commands that read their own operands ("?")
// and numbers without an entry.
int InputOperandCount(CommandId id);

// The operand kinds of a command, as the letters of CommandInfo::operands
// ("" for none or unknown numbers).
std::string_view OperandKinds(CommandId id);

// The command's name, or "" when the number has none.
std::string_view CommandName(CommandId id);

// The status-line signature of a command, or "" when it has none.
std::string_view CommandSignature(CommandId id);

// The name-matching rule shared by commands, attribute names and button
// names: `name` equals the text at `pos` ignoring ASCII case and is followed
// by a blank, the end, or one of the punctuation characters (any character
// may follow a name that itself ends in one of them).
bool NameMatchesAt(std::string_view text, std::size_t pos, std::string_view name);

// Whether `c` is one of the punctuation characters of the matching rule.
bool IsNamePunctuation(char c);

// Scans the command table in stored order for the first name that matches
// at `pos`; sets `length` to the matched name's length. UndefinedCommand when
// none matches.
CommandId LookupCommand(std::string_view text, std::size_t pos, std::size_t& length);

// The help topic of a command, e.g. "commands/command_If",
// "commands/command_TileMapLoad", "Language Structure2", "Commands".
std::string HelpTopic(CommandId id);

// The comparison operator (index in the operator table) that a deprecated
// conditional form stands for; -1 for every other command.
int DeprecatedOperator(CommandId id);

// Whether a command may run inside a macro (error 172 when not). Macro
// calls may not; blank, comment and undefined lines are not refused here.
bool AllowedInMacro(CommandId id);

// Whether the command writes its result to the variable written before its
// name (the assignment and arithmetic forms, StringGetLength).
bool TakesLeadingVariable(CommandId id);

// Whether the command opens an If/While block (If, While and the
// deprecated conditional forms).
bool OpensBlock(CommandId id);

// Lines the run loop steps over: declarations the preprocessor consumed
// (extern declarations, global sets, definitions, tables) and blank lines.
inline bool IsSkippedCommand(CommandId id) {
  return id == cmd::ExternFunction || id == cmd::ExternScript || id == cmd::ApplyGlobalSet ||
         id == cmd::Define || (id >= cmd::TableDefine && id <= cmd::NoCommand);
}

}  // namespace tarvolin::script
