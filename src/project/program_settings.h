// The program-wide settings ("Settings.txt"): window places, frame rate,
// game-button keys, editor colours and font, the sharing account, toolbars
// and tips. Read once at start-up and written once at shut-down, in the
// settings format of the project file. Keys are Windows virtual-key codes;
// colours are r | g << 8 | b << 16.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "project/settings_file.h"

namespace tarvolin::project {

struct ProgramSettings {
  // Window places (pixels).
  int windowOutputX = 0, windowOutputY = 0, windowWatchX = 0, windowWatchY = 0;
  int windowDebugX = 0, windowDebugY = 0, windowMainX = 0, windowMainY = 0;
  int windowFunctionX = 0, windowFunctionY = 0, windowArrayX = 0, windowArrayY = 0;
  int windowEmulatorX = 0, windowEmulatorY = 0, windowPaletteX = 0, windowPaletteY = 0;
  int windowSpriteX = 0, windowSpriteY = 0, windowRotationX = 0, windowRotationY = 0;
  int windowTileDataX = 0, windowTileDataY = 0, windowTileMapX = 0, windowTileMapY = 0;
  int windowScriptBrowseX = 0, windowScriptBrowseY = 0;
  int windowScriptBrowseWidth = 0, windowScriptBrowseHeight = 0;
  int windowTileEditTbX = 0, windowTileEditTbY = 0;
  int windowTileEditTbWidth = 0, windowTileEditTbHeight = 0;
  int windowOutputWidth = 0, windowOutputHeight = 0;
  int windowMainWidth = 0, windowMainHeight = 0;
  int windowLevEditX = 0, windowLevEditY = 0, windowLevEditWidth = 0, windowLevEditHeight = 0;
  int windowLevEditCanvasX = 0, windowLevEditCanvasY = 0;
  int windowLevEditCanvasWidth = 0, windowLevEditCanvasHeight = 0;
  int windowLevEditTbX = 0, windowLevEditTbY = 0;
  int windowLevEditTbWidth = 0, windowLevEditTbHeight = 0;

  bool windowMainMaximise = false;
  bool windowLogMinimise = false;
  bool windowBrowseMinimise = false;
  bool windowEmulatorHideInactive = false;
  int displayRate = 0;  // frames per second

  // Game buttons and editor shortcut keys (virtual-key codes).
  int controlButtonA = 0, controlButtonB = 0, controlStart = 0, controlSelect = 0;
  int controlPadRight = 0, controlPadLeft = 0, controlPadUp = 0, controlPadDown = 0;
  int controlShoulderRight = 0, controlShoulderLeft = 0;
  int keymapSemicolon = 0, keymapLeftBracket = 0, keymapRightBracket = 0;

  // Editor colours.
  std::uint32_t editorColDefaultFg = 0, editorColDefaultBg = 0, editorColDefaultNumbers = 0;
  std::uint32_t editorColDefaultKeyword = 0, editorColDefaultAttribute = 0;
  std::uint32_t editorColDefaultVariable = 0, editorColDefaultComments = 0;
  std::uint32_t editorColDefaultFunctions = 0, editorColDefaultAssets = 0;

  // Project server account.
  std::string networkServerAdd;
  int networkServerPort = 0;
  std::string networkUsername;
  std::string networkPassword;  // kept enciphered in the file

  int tipsDisplayId = 0;
  bool tipsShowStartup = false;
  bool newFeaturesShowStartup = false;
  std::string qaddStringPrefix;
  std::string editorFontName;
  int editorFontSize = 0;
  bool toolbarMainEnabled = false, toolbarEditEnabled = false, toolbarEditExtendEnabled = false;
  bool toolbarEditOnepressEnabled = false, toolbarAssetsEnabled = false;
  bool toolbarViewsEnabled = false;

  bool operator==(const ProgramSettings&) const = default;
};

// The 91 entries, in the order they are written, bound to `s`.
SettingTable programSettingTable(ProgramSettings& s);

// Settings with every default applied, for a program that reads no file.
ProgramSettings defaultProgramSettings();

// Applies the non-zero defaults (the rest stay as they are), then reads the
// file if it exists. When it was read, every window x below 0 or at least
// screenWidth - 30 becomes 50, and likewise every y against screenHeight.
// True when the file was read.
bool loadProgramSettings(const std::string& path, ProgramSettings& settings, int screenWidth,
                         int screenHeight);

// Writes the whole table (creating the file's folder when missing).
bool saveProgramSettings(const std::string& path, const ProgramSettings& settings);

// $XDG_CONFIG_HOME/tarvolin/Settings.txt, else ~/.config/tarvolin/Settings.txt.
std::string defaultProgramSettingsPath();
// The path given with "--settings FILE" (or "--settings=FILE") among the
// program's arguments, else the default.
std::string programSettingsPath(const std::vector<std::string>& args);

}  // namespace tarvolin::project
