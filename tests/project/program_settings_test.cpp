#include <gtest/gtest.h>

#include <cstdlib>

#include "common/temp_dir.h"
#include "project/program_settings.h"
#include "project/startup_arguments.h"
#include "project/recording_host.h"

namespace tarvolin::project {
namespace {

using test::TempDir;

TEST(ProgramSettings, TableOrderAndDefaults) {
  ProgramSettings s;
  const SettingTable table = programSettingTable(s);
  ASSERT_EQ(table.size(), 91u);
  EXPECT_EQ(table[0].key, "WINDOW_OUTPUT_X");
  EXPECT_EQ(table[47].key, "WINDOW_LEVEDIT_TB_HEIGHT");
  EXPECT_EQ(table[48].key, "WINDOW_MAIN_MAXIMISE");
  EXPECT_EQ(table[52].key, "DISPLAY_RATE");
  EXPECT_EQ(table[78].key, "NETWORK_PASSWORD");
  EXPECT_EQ(table[78].type, SettingType::Enciphered);
  EXPECT_EQ(table[90].key, "TOOLBAR_VIEWS_ENABLED");
  for (std::size_t i = 0; i < table.size(); ++i)
    for (std::size_t j = i + 1; j < table.size(); ++j) EXPECT_NE(table[i].key, table[j].key);

  const ProgramSettings d = defaultProgramSettings();
  EXPECT_EQ(d.windowOutputX, 633);
  EXPECT_EQ(d.windowMainHeight, 480);
  EXPECT_EQ(d.windowTileEditTbWidth, 330);
  EXPECT_EQ(d.displayRate, 60);
  EXPECT_EQ(d.controlButtonA, 0x41);
  EXPECT_EQ(d.controlShoulderLeft, 0x21);
  EXPECT_EQ(d.keymapSemicolon, 0xBA);
  EXPECT_EQ(d.editorColDefaultBg, 0xffffffu);
  EXPECT_EQ(d.editorColDefaultVariable, 0x40c0c0u);
  EXPECT_EQ(d.editorColDefaultAssets, 0xc85050u);
  EXPECT_EQ(d.networkServerAdd, "localhost");
  EXPECT_EQ(d.qaddStringPrefix, "SID_");
  EXPECT_EQ(d.editorFontName, "System");
  EXPECT_EQ(d.editorFontSize, 10);
  EXPECT_TRUE(d.windowMainMaximise && d.windowLogMinimise && d.tipsShowStartup &&
              d.toolbarViewsEnabled);
  EXPECT_FALSE(d.windowBrowseMinimise || d.windowEmulatorHideInactive);
  EXPECT_EQ(d.networkPassword, "");
}

TEST(ProgramSettings, MissingFileThenCompleteRoundTrip) {
  TempDir dir;
  const std::string path = dir.file("config/tarvolin/Settings.txt");
  ProgramSettings s;
  EXPECT_FALSE(loadProgramSettings(path, s, 1920, 1080));
  EXPECT_EQ(s, defaultProgramSettings());

  s.networkPassword = "contraseña secreta";
  s.displayRate = 30;
  s.editorColDefaultFg = 0x010203;
  ASSERT_TRUE(saveProgramSettings(path, s));  // makes the missing folders
  const std::string text = TempDir::read(path);
  EXPECT_EQ(std::count(text.begin(), text.end(), '#'), 91);
  EXPECT_EQ(text.find("secreta"), std::string::npos);

  ProgramSettings back;
  ASSERT_TRUE(loadProgramSettings(path, back, 1920, 1080));
  EXPECT_EQ(back, s);
  ASSERT_TRUE(saveProgramSettings(dir.file("again.txt"), back));
  EXPECT_EQ(TempDir::read(dir.file("again.txt")), text);
}

TEST(ProgramSettings, PartialFileAndWindowChecks) {
  TempDir dir;
  ProgramSettings s;
  ASSERT_TRUE(loadProgramSettings(dir.write("a.txt", "#DISPLAY_RATE\n30\n"), s, 1920, 1080));
  ProgramSettings expected = defaultProgramSettings();
  expected.displayRate = 30;
  EXPECT_EQ(s, expected);

  // Window places off this screen come back to 50; widths are not places.
  ProgramSettings w;
  ASSERT_TRUE(loadProgramSettings(
      dir.write("w.txt", "#WINDOW_MAIN_X\n-5\n#WINDOW_MAIN_Y\n770\n#WINDOW_OUTPUT_X\n994\n"
                         "#WINDOW_OUTPUT_Y\n0\n#WINDOW_MAIN_WIDTH\n5000\n"
                         "#WINDOW_EMULATOR_X\n993\n"),
      w, 1024, 800));
  EXPECT_EQ(w.windowMainX, 50);
  EXPECT_EQ(w.windowMainY, 50);
  EXPECT_EQ(w.windowOutputX, 50);
  EXPECT_EQ(w.windowOutputY, 0);
  EXPECT_EQ(w.windowEmulatorX, 993);
  EXPECT_EQ(w.windowMainWidth, 5000);
  EXPECT_EQ(w.windowDebugX, 613);

  // An odd-length password is ignored.
  ProgramSettings p;
  ASSERT_TRUE(loadProgramSettings(dir.write("p.txt", "#NETWORK_PASSWORD\nABC\n"), p, 1920, 1080));
  EXPECT_EQ(p.networkPassword, "");
}

TEST(ProgramSettings, FileLocation) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = oldXdg ? oldXdg : "";
  ::setenv("XDG_CONFIG_HOME", "/xdg/conf", 1);
  EXPECT_EQ(defaultProgramSettingsPath(), "/xdg/conf/tarvolin/Settings.txt");
  ::setenv("XDG_CONFIG_HOME", "", 1);
  const char* home = std::getenv("HOME");
  EXPECT_EQ(defaultProgramSettingsPath(),
            std::string(home && home[0] ? home : ".") + "/.config/tarvolin/Settings.txt");
  EXPECT_EQ(programSettingsPath({"-P", "x", "--settings", "/tmp/s.txt"}), "/tmp/s.txt");
  EXPECT_EQ(programSettingsPath({"--settings=/tmp/t.txt"}), "/tmp/t.txt");
  if (oldXdg) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else ::unsetenv("XDG_CONFIG_HOME");
}

TEST(StartupArguments, ParseAndApply) {
  auto parsed = parseStartupCommandLine(
      "studio -P \"C:\\Work\\my game\" -x -s\"main.txt\" - -p plain");
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0].option, 'P');
  EXPECT_EQ(parsed[0].value, "C:\\Work\\my game");
  EXPECT_EQ(parsed[1].option, 'S');
  EXPECT_EQ(parsed[1].value, "main.txt");
  EXPECT_EQ(parsed[2].value, "plain");
  EXPECT_TRUE(parseStartupCommandLine("-P \"unterminated").size() == 1);
  EXPECT_TRUE(parseStartupCommandLine("-P").empty());

  auto args = parseStartupArguments({"-S", "early.txt", "-P", "\"game\"", "-sMain.TXT", "-P"});
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[1].value, "game");
  EXPECT_EQ(args[2].value, "Main.TXT");

  TempDir dir;
  dir.write("Work/game.tvp", "");
  dir.write("Work/game/Script/main.txt", "; Main script\r\n\r\n");
  std::filesystem::create_directories(dir.file("Work/game"));
  test::RecordingHost host;
  std::string working;
  Project project(host, working);
  project.setStartFolder(dir.path());
  std::vector<std::string> opened;
  ProjectHooks hooks;
  hooks.openScript = [&](const std::string& p) { opened.push_back(p); };
  project.setHooks(hooks);

  // -S before any project is ignored; "Work/game" is a folder, so ".tvp" is
  // added; the script is found ignoring case.
  applyStartupArguments(project, host, {{'S', "main.txt"}, {'P', "Work\\game"}, {'S', "MAIN.txt"},
                                        {'S', "absent.txt"}});
  ASSERT_TRUE(project.isOpen());
  EXPECT_EQ(project.filePath(), dir.file("Work/game.tvp"));
  EXPECT_EQ(opened, std::vector<std::string>{dir.file("Work/game/Script/main.txt")});

  applyStartupArguments(project, host, {{'P', "nowhere"}});
  EXPECT_EQ(host.boxes, std::vector<std::string>{"El proyecto no existe"});
  EXPECT_EQ(project.name(), "game");
}

}  // namespace
}  // namespace tarvolin::project
