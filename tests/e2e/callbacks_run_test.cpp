// The per-line and per-frame callbacks end to end: games whose Initialise
// shows the display and whose HBlankCB / VBlankCB write Log lines, run
// through `tarvolin run`, checked by what the tool prints and its exit code,
// and a scan-line effect checked in the screenshot.
#include <gtest/gtest.h>

#include <string>

#include "common/temp_dir.h"
#include "e2e/picture_game.h"
#include "e2e/run_tool.h"

namespace tarvolin::test {

namespace {

// A game whose script is `main`, then an Initialise of five lines that sets
// the video mode, shows the display and logs "inicio", then `callbacks`.
class CallbackGame {
 public:
  CallbackGame(const std::string& main, const std::string& callbacks, int videoMode = 0) {
    dir_.write("game.tvp", "");
    dir_.write("game/Script/main.txt",
               main + "Function Initialise 0\nDisplaySetAttribute [VideoMode] " + std::to_string(videoMode) +
                   "\nDisplaySetAttribute [BlankDisplay] 0\nLog \"inicio\"\nReturn\n" + callbacks);
  }
  ToolResult run(int frames) const {
    return runTool({"run", dir_.file("game.tvp"), "--frames", std::to_string(frames)});
  }
  // The output without the line that opening the project writes.
  static std::string Body(const ToolResult& r) {
    const std::size_t nl = r.out.find('\n');
    return r.out.compare(0, 17, "Abriendo nuevo pr") == 0 && nl != std::string::npos ? r.out.substr(nl + 1) : r.out;
  }

 private:
  TempDir dir_;
};

std::string loopMessage(int line) {
  return "<Ciclo de Ejecución : Bucle infinito probablemente cerca de la línea " + std::to_string(line) + ">\n";
}

std::string lines(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

}  // namespace

TEST(CallbackRun, EveryScanLineThenTheFrameInTheTextModesOnly) {
  const std::string callbacks =
      "Function HBlankCB 0\nLog \"h %d %d\" V_EV0 G_TICKS\nReturn\n"
      "Function VBlankCB 0\nLog \"v %d\" G_TICKS\nReturn\n";
  for (int mode = 0; mode <= 4; ++mode) {
    CallbackGame g("Log \"m %d\" G_TICKS\nReturn\n", callbacks, mode);
    const ToolResult r = g.run(3);
    EXPECT_EQ(r.exitCode, 0) << mode << r.out << r.err;
    // Initialise finishes on the first frame, so its picture already runs
    // the callbacks; G_TICKS has counted that run.
    std::string expected = "inicio\n";
    for (int frame = 1; frame <= 3; ++frame) {
      if (frame > 1) expected += "m " + std::to_string(frame - 1) + "\n";
      if (mode > 2) continue;  // the bitmap modes call neither callback
      for (int line = 0; line < 160; ++line)
        expected += "h " + std::to_string(line) + " " + std::to_string(frame) + "\n";
      expected += "v " + std::to_string(frame) + "\n";
    }
    EXPECT_EQ(CallbackGame::Body(r), expected) << "video mode " << mode;
  }

  // While the display stays blanked neither callback runs.
  TempDir dir;
  dir.write("game.tvp", "");
  dir.write("game/Script/main.txt", "Log \"m\"\nReturn\nFunction Initialise 0\nReturn\n" + callbacks);
  const ToolResult r = runTool({"run", dir.file("game.tvp"), "--frames", "3"});
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(CallbackGame::Body(r), "m\nm\n");
}

TEST(CallbackRun, HBlankBudgetIsSixtyLinesDeclarationAndReturnIncluded) {
  // Main: lines 1-2, Initialise 3-7, HBlankCB from line 8: its declaration,
  // the Log, the fillers, Return.
  auto game = [](int fillers) {
    return CallbackGame("Log \"m\"\nReturn\n",
                        "Function HBlankCB 0\nLog \"linea %d\" V_EV0\n" + lines("V_LV0 += 1\n", fillers) + "Return\n");
  };
  // 1 + 1 + 57 + 1 = 60 lines fit, on every scan line of both frames.
  const ToolResult fits = game(57).run(2);
  EXPECT_EQ(fits.exitCode, 0) << fits.out;
  std::string expected = "inicio\n";
  for (int frame = 1; frame <= 2; ++frame) {
    if (frame == 2) expected += "m\n";
    for (int line = 0; line < 160; ++line) expected += "linea " + std::to_string(line) + "\n";
  }
  EXPECT_EQ(CallbackGame::Body(fits), expected);

  // A 61st line is an error on the first scan line; the game stops there.
  const ToolResult over = game(58).run(3);
  EXPECT_EQ(over.exitCode, 1);
  const int returnLine = 8 + 1 + 58 + 1;  // the line that did not fit
  EXPECT_EQ(CallbackGame::Body(over),
            "inicio\nlinea 0\n"
            "<HBLANK ERR: <Demasiadas líneas de código para el gestor HBlank> en la línea " +
                std::to_string(returnLine) +
                "\n"
                "ERROR: <Demasiadas líneas de código para el gestor HBlank>\n");

  // A callback that takes parameters cannot be started; its error has no
  // message of its own. The place is its declaration (line 8).
  for (const char* name : {"HBlankCB", "VBlankCB"}) {
    const ToolResult params =
        CallbackGame("Log \"m\"\nReturn\n", std::string("Function ") + name + " 1\nReturn\n").run(2);
    EXPECT_EQ(params.exitCode, 1) << name;
    EXPECT_EQ(CallbackGame::Body(params), std::string("inicio\n<") + (name[0] == 'H' ? "H" : "V") +
                                              "BLANK ERR: <Unknown error!> en la línea 8\nERROR: <Unknown error!>\n")
        << name;
  }

  // Other errors inside the callbacks are told with their place.
  const ToolResult vfail = CallbackGame("Return\n", "Function VBlankCB 0\nLog \"v\"\nV_LV0 = V_QQ\nReturn\n").run(3);
  EXPECT_EQ(vfail.exitCode, 1);
  EXPECT_EQ(CallbackGame::Body(vfail),
            "inicio\nv\n<VBLANK ERR: <No existe tal parámetro> en la línea 9\nERROR: <No existe tal parámetro>\n");
}

TEST(CallbackRun, VBlankOverItsBudgetGoesOnAtTheNextFrame) {
  // Main: lines 1-2, Initialise 3-7, VBlankCB from line 8: declaration,
  // fillers, the Log, Return.
  auto game = [](int fillers) {
    return CallbackGame("Log \"m %d\" G_TICKS\nReturn\n",
                        "Function VBlankCB 0\n" + lines("V_LV0 += 1\n", fillers) +
                            "Log \"v %d\" V_LV0\nReturn\n");
  };
  // 1 + 4997 + 1 + 1 = 5000 lines finish within each frame.
  const ToolResult fits = game(4997).run(3);
  EXPECT_EQ(fits.exitCode, 0) << fits.out;
  EXPECT_EQ(CallbackGame::Body(fits), "inicio\nv 4997\nm 1\nv 4997\nm 2\nv 4997\n");

  // One more: the budget runs out before Return. The next frame goes on
  // with the same run instead of starting the main script, and the
  // picture of that frame starts VBlankCB afresh, so the main script waits.
  const ToolResult over = game(4998).run(3);
  EXPECT_EQ(over.exitCode, 0) << over.out;
  const int returnLine = 8 + 4998 + 2;
  EXPECT_EQ(CallbackGame::Body(over), "inicio\n" + lines("v 4998\n" + loopMessage(returnLine), 3));

  // The continued run keeps its locals: a loop of 2000 turns finishes in
  // the frame after the one it started in.
  const ToolResult loop =
      CallbackGame("Log \"m %d\" G_TICKS\nReturn\n",
                   "Function VBlankCB 0\nLog \"v inicio\"\nWhile V_LV0 < 2000\n V_LV0 += 1\nEnd\n"
                   "Log \"v fin %d\" V_LV0\nReturn\n")
          .run(3);
  EXPECT_EQ(loop.exitCode, 0) << loop.out;
  // 2 lines, then the While and (body, End, While) cycles: the 5000th line
  // is an End, so the run stops before its While (line 10).
  EXPECT_EQ(CallbackGame::Body(loop), "inicio\n" + lines("v inicio\n" + loopMessage(10) + "v fin 2000\n", 2) +
                                          "v inicio\n" + loopMessage(10));
}

TEST(CallbackRun, MainRunOverItsBudgetSkipsTheCallbacks) {
  // HBlankCB counts the scan lines in a global; VBlankCB tells and clears
  // the count. A main run of about 24000 lines needs two frames.
  const CallbackGame g(
      "Log \"m %d\" G_TICKS\nWhile V_LV0 < 8000\n V_LV0 += 1\nEnd\nLog \"m fin %d\" V_LV0\nReturn\n",
      "Function HBlankCB 0\nG_VAR00 += 1\nReturn\n"
      "Function VBlankCB 0\nLog \"v %d %d\" G_VAR00 G_TICKS\nG_VAR00 = 0\nReturn\n");
  const ToolResult r = g.run(5);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  // Lines 1 and 2, then (body, End, While) cycles: the 20000th line is a
  // While, so the run goes on at the body (line 3). The frame it ran out
  // in draws no callbacks: the next count is 160, not 320.
  EXPECT_EQ(CallbackGame::Body(r), "inicio\nv 160 1\n"
                                   "m 1\n" + loopMessage(3) + "m fin 8000\nv 160 2\n"
                                   "m 2\n" + loopMessage(3) + "m fin 8000\nv 160 3\n");
}

TEST(CallbackRun, ScanLineCallbackChangesTheLinesBelowIt) {
  // BG0 shows tiles 1..32 across, tile t in colour t mod 14 + 1 with its
  // column t mod 8 in colour 15. After line s is drawn HBlankCB scrolls the
  // layer by s + 1, so line y shows with offset y; VBlankCB puts it back
  // to 0 for the next frame's line 0.
  PictureGame g(
      "V_LV0 = 1\n"
      "While V_LV0 <= 32\n"
      " V_LV1 = V_LV0\n V_LV1 %= 14\n V_LV1 += 1\n"
      " TileDataFillTiles [BG] 0 V_LV0 1 V_LV1\n"
      " V_LV2 = V_LV0\n V_LV2 &= 7\n V_LV3 = 0\n"
      " While V_LV3 < 8\n  TileDataPixelSet [BG] 0 V_LV0 V_LV2 V_LV3 15\n  V_LV3 += 1\n End\n"
      " V_LV0 += 1\n"
      "End\n"
      "TileMapSetMapBank 0 31\n"
      "V_LV0 = 0\n"
      "While V_LV0 < 32\n TileMapIncRect 0 [All] 0 V_LV0 32 1 1\n V_LV0 += 1\nEnd\n"
      "DisplaySetAttribute [EnableBG0] 1\n",
      "Return\n"
      "Function HBlankCB 0\nV_LV0 = V_EV0\nV_LV0 += 1\nTileMapSetOffsetX 0 V_LV0\nReturn\n"
      "Function VBlankCB 0\nTileMapSetOffsetX 0 0\nReturn\n");
  const auto shots = g.runEach(2);
  ASSERT_EQ(shots.size(), 2u);
  for (std::size_t f = 0; f < shots.size(); ++f)
    expectPicture(
        shots[f],
        [](int x, int y) {
          const int mx = (x + y) % 256, t = 1 + mx / 8;
          return shown(bgColour(mx % 8 == t % 8 ? 15 : t % 14 + 1));
        },
        "frame " + std::to_string(f + 1));
}

}  // namespace tarvolin::test
