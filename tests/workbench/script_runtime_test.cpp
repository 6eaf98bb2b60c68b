// The interpreter wired to the pad, the debug input and the file system.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "platform/keys.h"
#include "platform/scripted_input.h"
#include "script/script_rig.h"
#include "workbench/script_runtime.h"

namespace tarvolin::test {

namespace {

struct Rig {
  script::test::RecordingHost host;
  script::MemoryScriptDocuments docs;
  ScriptRuntime runtime{host};
  platform::ScriptedKeySource keys;
  platform::FixedEmulatorView view;

  explicit Rig(const std::string& main) {
    docs.addFile("main.txt", main);
    runtime.setDocuments(&docs);
    runtime.input().Attach(keys, view);
    script::PreprocessInput in;
    in.mainScript = "main.txt";
    EXPECT_TRUE(runtime.preprocessor().Preprocess(in, false)) << host.notes.size();
  }
  bool frame(int n) {
    keys.setFrame(n);
    runtime.input().Poll();
    return runtime.interpreter().RunMainFrame(false);
  }
  std::int32_t local(int i) { return runtime.interpreter().frameVariable(0, script::kSlotLV0 + i); }
};

}  // namespace

TEST(ScriptRuntime, PadValuesFollowTheFrames) {
  Rig r("V_LV0 = F_IsButtonPressedButtonA\nV_LV1 = F_IsButtonHeldButtonA\n"
        "V_LV2 = F_IsButtonReleasedButtonA\nV_LV3 = F_GetButtonHeld\nReturn\n");
  const script::KeyMap& map = r.runtime.input().Keys();
  r.keys.hold(map.keys[script::kButtonA], 1, 3);
  r.keys.hold(map.keys[script::kButtonStart], 1, 1);
  ASSERT_TRUE(r.frame(1));
  EXPECT_EQ(r.local(0), 1);
  EXPECT_EQ(r.local(1), 1);
  EXPECT_EQ(r.local(3), 9);  // A and Start
  ASSERT_TRUE(r.frame(2));
  EXPECT_EQ(r.local(0), 0);
  EXPECT_EQ(r.local(1), 1);
  ASSERT_TRUE(r.frame(3));
  ASSERT_TRUE(r.frame(4));
  EXPECT_EQ(r.local(1), 0);
  EXPECT_EQ(r.local(2), 1);
  // A window without the focus reads every button as up.
  r.view.active = false;
  r.keys.hold(map.keys[script::kButtonB], 5, 9);
  ASSERT_TRUE(r.frame(5));
  EXPECT_EQ(r.local(3), 0);
}

TEST(ScriptRuntime, DebugKeysAndMouse) {
  Rig r("DebugIsKeyPressed 90 V_LV0\nDebugIsKeyPressed 90 V_LV1\nDebugGetMousePosition V_LV2 V_LV3\nReturn\n");
  r.keys.hold(90, 1, 5);  // Z: no game button, so polling leaves its latch
  r.view.underCursor = true;
  r.view.width = 480;
  r.view.height = 320;
  r.view.cursorX = 100;
  r.view.cursorY = 50;
  ASSERT_TRUE(r.frame(1));
  EXPECT_EQ(r.local(0), 1);
  EXPECT_EQ(r.local(1), 0);  // the press is seen once
  EXPECT_EQ(r.local(2), 50);
  EXPECT_EQ(r.local(3), 25);
  r.view.underCursor = false;
  ASSERT_TRUE(r.frame(2));
  EXPECT_EQ(r.local(2), -1);
  EXPECT_EQ(r.local(3), -1);
}

TEST(ScriptRuntime, LogFileAppendsBesideTheProject) {
  TempDir dir;
  Rig r("LogFile \"notas.txt\" \"x=%d;\" V_LV0\nV_LV0 += 1\nLogFile \"/nonexistent/dir/f.txt\" \"y\"\nReturn\n");
  r.runtime.interpreter().setWorkingFolder(dir.path());
  ASSERT_TRUE(r.frame(1));
  ASSERT_TRUE(r.frame(2));
  EXPECT_EQ(TempDir::read(dir.file("notas.txt")), "x=0;x=0;");
  Rig bad("LogFile \"notas.txt\" \"%f\" 1\nReturn\n");
  bad.runtime.interpreter().setWorkingFolder(dir.path());
  EXPECT_FALSE(bad.frame(1));
  EXPECT_EQ(bad.runtime.interpreter().errors().GetError(), 186);
}

}  // namespace tarvolin::test

namespace tarvolin::test {

TEST(ScriptRuntime, PerformedCommandsAddTheirCost) {
  TempDir dir;
  const std::string db = dir.write("timing_database.txt", "; costs\nSqrt 40\nIf 3\nEnd 2\nReturn 5\n");
  Rig r("V_LV0 Sqrt 17\nIf 1 == 0\n V_LV0 Sqrt 17\nEnd\nV_LV1 Sqrt 17\nReturn\n");
  r.runtime.Reset(db);
  script::PreprocessInput in;
  in.mainScript = "main.txt";
  ASSERT_TRUE(r.runtime.preprocessor().Preprocess(in, false));
  ASSERT_TRUE(r.frame(1));
  // Two Sqrt that ran, the If, the Return. The skipped Sqrt is free, and so
  // is the End of a block whose branch did not run (its level does not
  // execute).
  EXPECT_EQ(r.runtime.timing().FrameTotal(), 40 + 3 + 40 + 5);
  ASSERT_TRUE(r.frame(2));
  EXPECT_EQ(r.runtime.timing().FrameTotal(), 88);  // a new main run starts from 0
}

}  // namespace tarvolin::test

#include "workbench/workbench.h"

namespace tarvolin::test {

TEST(ScriptRuntime, AnotherProjectReplacesTheScripts) {
  TempDir a, b;
  a.write("a.tvp", "");
  a.write("a/Script/main.txt", "Log \"A\"\nReturn\n");
  b.write("b.tvp", "");
  b.write("b/Script/main.txt", "Log \"B\"\nReturn\n");
  script::test::RecordingHost host;
  Workbench bench(host);
  auto run = [&](const std::string& path) {
    EXPECT_TRUE(bench.project().open(path, false));
    EXPECT_TRUE(bench.scripts().Preprocess(bench.project(), false));
    host.notes.clear();
    bench.game().Start();
    bench.game().RunFrame();
    bench.game().RunFrame();
    return host.notes;
  };
  EXPECT_EQ(run(a.file("a.tvp")), std::vector<std::string>{"A"});
  EXPECT_EQ(run(b.file("b.tvp")), std::vector<std::string>{"B"});
}

}  // namespace tarvolin::test
