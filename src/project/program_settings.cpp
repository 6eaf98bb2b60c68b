#include "project/program_settings.h"

#include <cstdlib>
#include <string_view>

#include "platform/paths.h"

namespace tarvolin::project {

SettingTable programSettingTable(ProgramSettings& s) {
  using T = SettingType;
  return {
      {T::Integer5, "WINDOW_OUTPUT_X", &s.windowOutputX, "633"},
      {T::Integer5, "WINDOW_OUTPUT_Y", &s.windowOutputY, "544"},
      {T::Integer5, "WINDOW_WATCH_X", &s.windowWatchX, "12"},
      {T::Integer5, "WINDOW_WATCH_Y", &s.windowWatchY, "50"},
      {T::Integer5, "WINDOW_DEBUG_X", &s.windowDebugX, "613"},
      {T::Integer5, "WINDOW_DEBUG_Y", &s.windowDebugY, "45"},
      {T::Integer5, "WINDOW_MAIN_X", &s.windowMainX, "14"},
      {T::Integer5, "WINDOW_MAIN_Y", &s.windowMainY, "25"},
      {T::Integer5, "WINDOW_FUNCTION_X", &s.windowFunctionX, "254"},
      {T::Integer5, "WINDOW_FUNCTION_Y", &s.windowFunctionY, "125"},
      {T::Integer5, "WINDOW_ARRAY_X", &s.windowArrayX, "0"},
      {T::Integer5, "WINDOW_ARRAY_Y", &s.windowArrayY, "0"},
      {T::Integer5, "WINDOW_EMULATOR_X", &s.windowEmulatorX, "868"},
      {T::Integer5, "WINDOW_EMULATOR_Y", &s.windowEmulatorY, "348"},
      {T::Integer5, "WINDOW_PALETTE_X", &s.windowPaletteX, "16"},
      {T::Integer5, "WINDOW_PALETTE_Y", &s.windowPaletteY, "57"},
      {T::Integer5, "WINDOW_SPRITE_X", &s.windowSpriteX, "25"},
      {T::Integer5, "WINDOW_SPRITE_Y", &s.windowSpriteY, "54"},
      {T::Integer5, "WINDOW_ROTATION_X", &s.windowRotationX, "25"},
      {T::Integer5, "WINDOW_ROTATION_Y", &s.windowRotationY, "54"},
      {T::Integer5, "WINDOW_TILEDATA_X", &s.windowTileDataX, "21"},
      {T::Integer5, "WINDOW_TILEDATA_Y", &s.windowTileDataY, "61"},
      {T::Integer5, "WINDOW_TILEMAP_X", &s.windowTileMapX, "150"},
      {T::Integer5, "WINDOW_TILEMAP_Y", &s.windowTileMapY, "120"},
      {T::Integer5, "WINDOW_SCRIPTBROWSE_X", &s.windowScriptBrowseX, "847"},
      {T::Integer5, "WINDOW_SCRIPTBROWSE_Y", &s.windowScriptBrowseY, "123"},
      {T::Integer5, "WINDOW_SCRIPTBROWSE_WIDTH", &s.windowScriptBrowseWidth, "209"},
      {T::Integer5, "WINDOW_SCRIPTBROWSE_HEIGHT", &s.windowScriptBrowseHeight, "239"},
      {T::Integer5, "WINDOW_TILEEDIT_TB_X", &s.windowTileEditTbX, "0"},
      {T::Integer5, "WINDOW_TILEEDIT_TB_Y", &s.windowTileEditTbY, "0"},
      {T::Integer5, "WINDOW_TILEEDIT_TB_WIDTH", &s.windowTileEditTbWidth, "330"},
      {T::Integer5, "WINDOW_TILEEDIT_TB_HEIGHT", &s.windowTileEditTbHeight, "300"},
      {T::Integer5, "WINDOW_OUTPUT_WIDTH", &s.windowOutputWidth, "483"},
      {T::Integer5, "WINDOW_OUTPUT_HEIGHT", &s.windowOutputHeight, "220"},
      {T::Integer5, "WINDOW_MAIN_WIDTH", &s.windowMainWidth, "640"},
      {T::Integer5, "WINDOW_MAIN_HEIGHT", &s.windowMainHeight, "480"},
      {T::Integer5, "WINDOW_LEVEDIT_X", &s.windowLevEditX, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_Y", &s.windowLevEditY, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_WIDTH", &s.windowLevEditWidth, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_HEIGHT", &s.windowLevEditHeight, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_CANVAS_X", &s.windowLevEditCanvasX, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_CANVAS_Y", &s.windowLevEditCanvasY, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_CANVAS_WIDTH", &s.windowLevEditCanvasWidth, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_CANVAS_HEIGHT", &s.windowLevEditCanvasHeight, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_TB_X", &s.windowLevEditTbX, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_TB_Y", &s.windowLevEditTbY, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_TB_WIDTH", &s.windowLevEditTbWidth, "0"},
      {T::Integer5, "WINDOW_LEVEDIT_TB_HEIGHT", &s.windowLevEditTbHeight, "0"},
      {T::Bool, "WINDOW_MAIN_MAXIMISE", &s.windowMainMaximise, "TRUE"},
      {T::Bool, "WINDOW_LOG_MINIMISE", &s.windowLogMinimise, "TRUE"},
      {T::Bool, "WINDOW_BROWSE_MINIMISE", &s.windowBrowseMinimise, "FALSE"},
      {T::Bool, "WINDOW_EMULATOR_HIDE_INACTIVE", &s.windowEmulatorHideInactive, "FALSE"},
      {T::Integer, "DISPLAY_RATE", &s.displayRate, "60"},
      {T::Byte, "CONTROL_BUTTON_A", &s.controlButtonA, "65"},
      {T::Byte, "CONTROL_BUTTON_B", &s.controlButtonB, "83"},
      {T::Byte, "CONTROL_START", &s.controlStart, "32"},
      {T::Byte, "CONTROL_SELECT", &s.controlSelect, "13"},
      {T::Byte, "CONTROL_PAD_RIGHT", &s.controlPadRight, "39"},
      {T::Byte, "CONTROL_PAD_LEFT", &s.controlPadLeft, "37"},
      {T::Byte, "CONTROL_PAD_UP", &s.controlPadUp, "38"},
      {T::Byte, "CONTROL_PAD_DOWN", &s.controlPadDown, "40"},
      {T::Byte, "CONTROL_SHOULDER_RIGHT", &s.controlShoulderRight, "34"},
      {T::Byte, "CONTROL_SHOULDER_LEFT", &s.controlShoulderLeft, "33"},
      {T::Byte, "KEYMAP_SEMICOLON", &s.keymapSemicolon, "186"},
      {T::Byte, "KEYMAP_LEFT_BRACKET", &s.keymapLeftBracket, "219"},
      {T::Byte, "KEYMAP_RIGHT_BRACKET", &s.keymapRightBracket, "221"},
      {T::Colour, "EDITOR_COL_DEFAULT_FG", &s.editorColDefaultFg, "0,0,0"},
      {T::Colour, "EDITOR_COL_DEFAULT_BG", &s.editorColDefaultBg, "255,255,255"},
      {T::Colour, "EDITOR_COL_DEFAULT_NUMBERS", &s.editorColDefaultNumbers, "128,128,128"},
      {T::Colour, "EDITOR_COL_DEFAULT_KEYWORD", &s.editorColDefaultKeyword, "0,128,0"},
      {T::Colour, "EDITOR_COL_DEFAULT_ATTRIBUTE", &s.editorColDefaultAttribute, "0,128,128"},
      {T::Colour, "EDITOR_COL_DEFAULT_VARIABLE", &s.editorColDefaultVariable, "192,192,64"},
      {T::Colour, "EDITOR_COL_DEFAULT_COMMENTS", &s.editorColDefaultComments, "0,0,128"},
      {T::Colour, "EDITOR_COL_DEFAULT_FUNCTIONS", &s.editorColDefaultFunctions, "140,0,0"},
      {T::Colour, "EDITOR_COL_DEFAULT_ASSETS", &s.editorColDefaultAssets, "80,80,200"},
      {T::Text, "NETWORK_SERVER_ADD", &s.networkServerAdd, "localhost"},
      {T::Integer, "NETWORK_SERVER_PORT", &s.networkServerPort, "0"},
      {T::Text, "NETWORK_USERNAME", &s.networkUsername, ""},
      {T::Enciphered, "NETWORK_PASSWORD", &s.networkPassword, ""},
      {T::Integer, "TIPS_DISPLAY_ID", &s.tipsDisplayId, "0"},
      {T::Bool, "TIPS_SHOW_STARTUP", &s.tipsShowStartup, "TRUE"},
      {T::Bool, "NEW_FEATURES_SHOW_STARTUP", &s.newFeaturesShowStartup, "TRUE"},
      {T::Text, "QADD_STRING_PREFIX", &s.qaddStringPrefix, "SID_"},
      {T::Text, "EDITOR_FONT_NAME", &s.editorFontName, "System"},
      {T::Integer, "EDITOR_FONT_SIZE", &s.editorFontSize, "10"},
      {T::Bool, "TOOLBAR_MAIN_ENABLED", &s.toolbarMainEnabled, "TRUE"},
      {T::Bool, "TOOLBAR_EDIT_ENABLED", &s.toolbarEditEnabled, "TRUE"},
      {T::Bool, "TOOLBAR_EDIT_EXTEND_ENABLED", &s.toolbarEditExtendEnabled, "TRUE"},
      {T::Bool, "TOOLBAR_EDIT_ONEPRESS_ENABLED", &s.toolbarEditOnepressEnabled, "TRUE"},
      {T::Bool, "TOOLBAR_ASSETS_ENABLED", &s.toolbarAssetsEnabled, "TRUE"},
      {T::Bool, "TOOLBAR_VIEWS_ENABLED", &s.toolbarViewsEnabled, "TRUE"},
  };
}

ProgramSettings defaultProgramSettings() {
  ProgramSettings s;
  applySettingDefaults(programSettingTable(s));
  return s;
}

bool loadProgramSettings(const std::string& path, ProgramSettings& settings, int screenWidth,
                         int screenHeight) {
  const SettingTable table = programSettingTable(settings);
  if (!loadSettingsFile(path, table)) return false;
  // Keep every saved window reachable on this screen.
  for (const SettingEntry& e : table) {
    if (e.type != SettingType::Integer5 || !e.key.starts_with("WINDOW_")) continue;
    const bool isX = e.key.ends_with("_X"), isY = e.key.ends_with("_Y");
    if (!isX && !isY) continue;
    int& value = *std::get<int*>(e.target);
    const int limit = (isX ? screenWidth : screenHeight) - 30;
    if (value < 0 || value >= limit) value = 50;
  }
  return true;
}

bool saveProgramSettings(const std::string& path, const ProgramSettings& settings) {
  ProgramSettings copy = settings;  // the table binds mutable values
  std::string folder(platform::folderOf(path));
  if (!folder.empty() && !platform::makeFolders(folder)) return false;
  return saveSettingsFile(path, programSettingTable(copy));
}

std::string defaultProgramSettingsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && home[0] ? home : ".") + "/.config";
  }
  return base + "/tarvolin/Settings.txt";
}

std::string programSettingsPath(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    if (a == "--settings" && i + 1 < args.size()) return args[i + 1];
    if (a.starts_with("--settings=") && a.size() > 11) return std::string(a.substr(11));
  }
  return defaultProgramSettingsPath();
}

}  // namespace tarvolin::project
