// Keys: the one table between the toolkit's keys and virtual-key codes, the
// game's keys in the emulator window, the settings window's key questions
// and the shortcuts built from the settings.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTabWidget>

#include "gui/shell/studio_rig.h"
#include "platform/keys.h"
#include "script/input.h"
#include "shell/game_keys.h"
#include "shell/key_assign_dialog.h"
#include "shell/key_table.h"
#include "shell/settings_dialog.h"

namespace tarvolin::test {

TEST(StudioKeys, TableMapsKeysBothWaysWithNames) {
  using shell::virtualKeyFromQt;
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_A), 0x41);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_7), 0x37);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_7, true), 0x67);  // number pad
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Ampersand), 0x37);  // shifted 7
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Space), 0x20);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Return), 0x0D);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_PageDown), 0x22);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Left), 0x25);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Print), 44);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Escape), 27);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_F12), 0x7B);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Semicolon), 0xBA);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Colon), 0xBA);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_BracketLeft), 0xDB);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_Plus, true), 0x6B);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_VolumeUp), 0);
  EXPECT_EQ(virtualKeyFromQt(Qt::Key_unknown), 0);
  // Every default key of the settings has a name and a key back.
  const project::ProgramSettings d = project::defaultProgramSettings();
  for (int vk : {d.controlButtonA, d.controlButtonB, d.controlStart, d.controlSelect,
                 d.controlPadRight, d.controlPadLeft, d.controlPadUp, d.controlPadDown,
                 d.controlShoulderRight, d.controlShoulderLeft, d.keymapSemicolon,
                 d.keymapLeftBracket, d.keymapRightBracket}) {
    EXPECT_FALSE(shell::virtualKeyName(vk).isEmpty()) << vk;
    const int qt = shell::qtKeyFromVirtualKey(vk);
    EXPECT_EQ(virtualKeyFromQt(qt), vk) << vk;
  }
  EXPECT_EQ(shell::virtualKeyName(0x20), "Espacio");
  EXPECT_EQ(shell::virtualKeyName(0xBA), ";");
  EXPECT_TRUE(shell::virtualKeyName(0).isEmpty());
  EXPECT_TRUE(shell::virtualKeyName(0xFF).isEmpty());
}

TEST(StudioKeys, GameKeysLatchPressesAndMergeTheController) {
  shell::GameKeys keys;
  keys.press(0x41);
  platform::KeyQuery q = keys.queryKey(0x41);
  EXPECT_TRUE(q.down);
  EXPECT_TRUE(q.pressedSinceLastQuery);
  q = keys.queryKey(0x41);  // a press is seen once
  EXPECT_TRUE(q.down);
  EXPECT_FALSE(q.pressedSinceLastQuery);
  keys.release(0x41);
  EXPECT_FALSE(keys.queryKey(0x41).down);
  // A press and release between two queries is still seen as a press.
  keys.press(0x20);
  keys.release(0x20);
  q = keys.queryKey(0x20);
  EXPECT_FALSE(q.down);
  EXPECT_TRUE(q.pressedSinceLastQuery);
  // The controller presses the keys of its buttons; a key held on both
  // stays down until both let go.
  const script::KeyMap map = script::DefaultKeyMap();
  platform::ControllerButtons pad{};
  pad[script::kButtonA] = true;
  keys.setControllerButtons(pad, map);
  EXPECT_TRUE(keys.queryKey(map.keys[script::kButtonA]).pressedSinceLastQuery);
  keys.press(map.keys[script::kButtonA]);
  pad[script::kButtonA] = false;
  keys.setControllerButtons(pad, map);
  EXPECT_TRUE(keys.isDown(map.keys[script::kButtonA]));
  keys.releaseAll();
  EXPECT_FALSE(keys.isDown(map.keys[script::kButtonA]));
  // Codes outside 1..255 are never down and never crash.
  keys.press(0);
  keys.press(300);
  keys.press(-5);
  EXPECT_FALSE(keys.queryKey(300).down);
}

TEST(StudioKeys, EmulatorWindowKeysReachTheGame) {
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\"")});
  shell::EmulatorWindow* emu = rig.window().emulator();
  // F5 brings the emulator window up and gives it the focus.
  QTest::keyClick(&rig.window(), Qt::Key_F5);
  EXPECT_TRUE(waitFor([emu] { return emu->isActiveWindow(); }));
  QTest::keyPress(emu, Qt::Key_A);
  ASSERT_TRUE(rig.window().keys().isDown(0x41));
  ASSERT_TRUE(emu->isActive());
  rig.bench().scripts().input().Poll();
  const int held = script::InputVariableNumber(script::kIsButtonHeld, script::kButtonA);
  EXPECT_EQ(rig.bench().scripts().input().InputValue(held), 1);
  QTest::keyRelease(emu, Qt::Key_A);
  rig.bench().scripts().input().Poll();
  EXPECT_EQ(rig.bench().scripts().input().InputValue(held), 0);
  // Escape hands the focus back to the main window.
  QTest::keyClick(emu, Qt::Key_Escape);
  rig.bench().scripts().input().Poll();
  EXPECT_TRUE(waitFor([&rig] { return rig.window().isActiveWindow(); }));
  QTest::keyPress(emu, Qt::Key_A);
  rig.bench().scripts().input().Poll();
  EXPECT_EQ(rig.bench().scripts().input().InputValue(held), 0);  // not the active window
  // The mouse over the picture, scaled to the screen.
  int w = 0, h = 0;
  emu->clientSize(w, h);
  EXPECT_EQ(w, 240);
  EXPECT_EQ(h, 160);
}

TEST(StudioKeys, AssignKeyRefusesKeysWithoutNames) {
  shell::KeyAssignDialog dialog(QStringLiteral("Presione una Tecla"));
  EXPECT_FALSE(dialog.offerKey(Qt::Key_VolumeUp, false));
  EXPECT_EQ(dialog.findChildren<QLabel*>().last()->text(), "No puede utilizarse esa llave");
  EXPECT_EQ(dialog.result(), 0);
  EXPECT_TRUE(dialog.offerKey(Qt::Key_Q, false));
  EXPECT_EQ(dialog.virtualKey(), 0x51);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  shell::KeyAssignDialog escape(QStringLiteral("Presione una Tecla"));
  escape.offerKey(Qt::Key_Escape, false);
  EXPECT_EQ(escape.result(), QDialog::Rejected);
}

TEST(StudioKeys, SettingsWindowAssignsKeysAndRebuildsTheCommentShortcut) {
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\""), "-S\"main.txt\""});
  project::ProgramSettings& live = rig.bench().programSettings();
  shell::SettingsDialog dialog(live);
  EXPECT_EQ(dialog.windowTitle(), "Configuración de Tarvolin");
  ASSERT_EQ(dialog.tabs()->count(), 5);
  QStringList tabs;
  for (int i = 0; i < 5; ++i) tabs << dialog.tabs()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"Imagen", "GBA Entrada", "Editor", "Red", "Cadenas"}));
  QStringList prompts;
  std::deque<int> keys{0x5A, 0, 0xBF};
  dialog.setKeyAsker([&](const QString& prompt) {
    prompts << prompt;
    const int k = keys.front();
    keys.pop_front();
    return k;
  });
  dialog.assignKey(0);   // button A gets Z
  dialog.assignKey(1);   // cancelled: B keeps its key
  dialog.assignKey(10);  // comment gets "/"
  EXPECT_EQ(prompts, (QStringList{"Presione una Tecla", "Presione una Tecla",
                                  "Presione la tecla para el Comentario"}));
  EXPECT_EQ(dialog.settings().controlButtonA, 0x5A);
  EXPECT_EQ(dialog.settings().controlButtonB, live.controlButtonB);
  EXPECT_EQ(dialog.settings().keymapSemicolon, 0xBF);
  EXPECT_EQ(dialog.keyText(0), "Z");
  EXPECT_EQ(live.controlButtonA, 0x41);  // nothing applied before OK

  live = dialog.settings();
  rig.window().applyProgramSettings();
  EXPECT_EQ(rig.bench().scripts().input().Keys().keys[script::kButtonA], 0x5A);
  EXPECT_EQ(rig.window().action(shell::Command::Comment)->shortcut(),
            QKeySequence(Qt::CTRL | Qt::Key_Slash));
  // The new shortcut comments the selected lines in the editor.
  editor::ScriptEditor* e = rig.editor().activeEditor();
  ASSERT_NE(e, nullptr);
  e->setSelection(1, 0, 3, 0);
  QTest::keyClick(&rig.window(), Qt::Key_Slash, Qt::ControlModifier);
  EXPECT_EQ(e->lineBytes(1), ";G_VAR01 += 1");
  EXPECT_EQ(e->lineBytes(2), ";If G_VAR03 == 1");
}

TEST(StudioKeys, PreTranslationMovesBetweenDocuments) {
  StudioRig rig;
  const std::string tvp = rig.writeGame();
  rig.start({QString::fromStdString("-P\"" + tvp + "\""), "-S\"main.txt\"", "-S\"other.txt\""});
  EXPECT_EQ(rig.editor().activeScriptName(), "other.txt");
  QTest::keyClick(&rig.window(), Qt::Key_F6);
  EXPECT_EQ(rig.editor().activeScriptName(), "main.txt");
  QTest::keyClick(&rig.window(), Qt::Key_F6, Qt::ShiftModifier);
  EXPECT_EQ(rig.editor().activeScriptName(), "other.txt");
  // Ctrl+Shift+0 writes V_LV0 at the cursor; Ctrl+Alt+3 V_RV3.
  editor::ScriptEditor* e = rig.editor().activeEditor();
  e->goToLine0(1);
  QTest::keyClick(&rig.window(), Qt::Key_0, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(&rig.window(), Qt::Key_3, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(e->lineBytes(1).rfind("V_LV0V_RV3", 0), 0u) << e->lineBytes(1);
}

}  // namespace tarvolin::test
