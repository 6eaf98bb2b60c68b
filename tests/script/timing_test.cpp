#include "script/timing.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/temp_dir.h"

namespace tarvolin::script {
namespace {

constexpr std::int32_t kSqrt = 53;
constexpr std::int32_t kArrayClear = 62;
constexpr std::int32_t kAdd = 37;
constexpr std::int32_t kLog = 191;

struct Loaded {
  bool ok = false;
  std::vector<std::string> messages;
};

Loaded load(TimingEngine& engine, const std::string& text) {
  std::istringstream in(text);
  Loaded r;
  r.ok = engine.LoadTimingDatabase(
      in, [&r](std::string_view m) { r.messages.emplace_back(m); });
  return r;
}

class RecordingHost : public Host {
 public:
  std::vector<std::string> lines;
  void outputLine(std::string_view text) override { lines.emplace_back(text); }
  MessageAnswer messageBox(std::string_view, std::string_view, MessageButtons,
                           MessageAnswer answer) override {
    return answer;
  }
};

TEST(Timing, BuiltInKindsOfTheTable) {
  EXPECT_EQ(TimingEngine::BuiltInKind(kSqrt), CostKind::Fixed);
  EXPECT_EQ(TimingEngine::BuiltInKind(0), CostKind::Fixed);  // If
  for (std::int32_t id : {62, 71, 73, 78, 81}) {
    EXPECT_EQ(TimingEngine::BuiltInKind(id), CostKind::SizeDependent) << id;
  }
  for (std::int32_t id : {184, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194}) {
    EXPECT_EQ(TimingEngine::BuiltInKind(id), CostKind::None) << id;
  }
  // Numbers without a named command, and the classification-only ids.
  for (std::int32_t id : {11, 20, 36, 76, 199, 200, 201, -1}) {
    EXPECT_EQ(TimingEngine::BuiltInKind(id), CostKind::None) << id;
  }
  int named = 0;
  for (std::int32_t id = 0; id < TimingEngine::kRowCount; ++id) {
    named += TimingEngine::IsNamedCommand(id);
  }
  EXPECT_EQ(named, 187);
}

TEST(Timing, FixedAndSizeDependentCostsAddUp) {
  TimingEngine engine;
  EXPECT_FALSE(engine.EstimationOn());
  Loaded r = load(engine, "Sqrt 40\nArrayClear 16 100\n");
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_TRUE(engine.EstimationOn());

  EXPECT_EQ(engine.AddCommandCost(kSqrt), 40);
  EXPECT_EQ(engine.AddCommandCost(kSqrt), 40);
  EXPECT_EQ(engine.FrameTotal(), 80);
  // 100 + 64 x 16 / 16.
  EXPECT_EQ(engine.AddCommandCost(kArrayClear, 64), 164);
  EXPECT_EQ(engine.FrameTotal(), 244);
  // Integer arithmetic: 100 + 5 x 16 / 16 = 105, 100 + 1 x 16 / 16 = 101.
  EXPECT_EQ(engine.CommandCost(kArrayClear, 5), 105);
  EXPECT_EQ(engine.CommandCost(kArrayClear, 1), 101);
  // Commands without a line cost 0; kind-0 commands cost 0 whatever the file says.
  EXPECT_EQ(engine.AddCommandCost(kAdd), 0);
  EXPECT_EQ(engine.FrameTotal(), 244);
  engine.ResetFrameTotal();
  EXPECT_EQ(engine.FrameTotal(), 0);

  r = load(engine, "Log 500\n");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(engine.Row(kLog).values[0], 500);
  EXPECT_EQ(engine.AddCommandCost(kLog), 0);
  // Reloading cleared the earlier rows.
  EXPECT_EQ(engine.CommandCost(kSqrt), 0);
}

TEST(Timing, ScanLineAndLoad) {
  TimingEngine engine;
  ASSERT_TRUE(load(engine, "Sqrt 1268\n+= 2796\n").ok);
  EXPECT_EQ(engine.EstimatedScanLine(), 220);
  EXPECT_EQ(engine.FrameLoadPercent(), 0);
  for (int i = 0; i < 10; ++i) engine.AddCommandCost(kSqrt);
  EXPECT_EQ(engine.FrameTotal(), 10 * 1268);
  EXPECT_EQ(engine.EstimatedScanLine(), 2);  // 230 modulo 228
  EXPECT_EQ(engine.FrameLoadPercent(), 12680 / 2796);
  engine.ResetFrameTotal();
  for (int i = 0; i < 100; ++i) engine.AddCommandCost(kAdd);
  EXPECT_EQ(engine.FrameLoadPercent(), 100);
  engine.ResetFrameTotal();
  engine.AddCommandCost(kSqrt);
  EXPECT_EQ(engine.EstimatedScanLine(), 221);
}

TEST(Timing, FileSyntaxCommentsBlanksAndPartialRows) {
  TimingEngine engine;
  Loaded r = load(engine,
                  "; a comment\r\n"
                  "\r\n"
                  "   \t  \n"
                  "   ; indented comment\n"
                  "  sqrt\t 7   8 ; cost of the square root\r\n"
                  "SQRT 9\n"
                  "Qdist 1 2 3 4 5 6 7 8 9 10\n"
                  "Abs\n"
                  "|= +3\n"
                  "Min 4;four\n"
                  "## -2");  // last line without a line end
  ASSERT_TRUE(r.ok) << (r.messages.empty() ? "" : r.messages[0]);
  EXPECT_TRUE(r.messages.empty());
  // A later line overwrites only the values it gives.
  EXPECT_EQ(engine.Row(kSqrt).values[0], 9);
  EXPECT_EQ(engine.Row(kSqrt).values[1], 8);
  EXPECT_EQ(engine.Row(55).values[9], 10);
  EXPECT_TRUE(engine.Row(54).given);
  EXPECT_EQ(engine.Row(54).values[0], 0);
  EXPECT_EQ(engine.Row(46).values[0], 3);
  EXPECT_EQ(engine.Row(50).values[0], 4);
  EXPECT_EQ(engine.Row(189).values[0], -2);
  EXPECT_FALSE(engine.Row(kAdd).given);
}

TEST(Timing, FailuresStopWithTheirMessageAndKeepEarlierRows) {
  struct Case {
    const char* text;
    const char* message;
    int line;
  };
  const Case cases[] = {
      {"Sqrt 40\nNoSuchCommand 5\nAbs 3\n", "Se halló un tipo de comando desconocido", 2},
      {"Sqrt 40\nSqrtx 5\n", "Se halló un tipo de comando desconocido", 2},
      {"Sqrt 40\nQdist 1 2 3 4 5 6 7 8 9 10 11\nAbs 3\n",
       "Demasiados valores de tiempo para un comando", 2},
      {"Sqrt 40\n\nQdist 12 abc\nAbs 3\n", "Error al leer línea", 3},
      {"Sqrt 40\nQdist 99999999999\n", "Error al leer línea", 2},
  };
  for (const Case& c : cases) {
    TimingEngine engine;
    Loaded r = load(engine, c.text);
    EXPECT_FALSE(r.ok) << c.text;
    ASSERT_EQ(r.messages.size(), 1u) << c.text;
    EXPECT_EQ(r.messages[0], c.message);
    EXPECT_EQ(engine.FailedLine(), c.line);
    // The row read before the bad line stays in use; nothing after it is read
    // and the bad line itself changes nothing.
    EXPECT_EQ(engine.AddCommandCost(kSqrt), 40) << c.text;
    EXPECT_EQ(engine.CommandCost(54), 0) << c.text;
    EXPECT_FALSE(engine.Row(55).given) << c.text;
    EXPECT_EQ(engine.Row(55).values[0], 0) << c.text;
    EXPECT_TRUE(engine.EstimationOn());
  }
}

TEST(Timing, MissingFileAndHostMessages) {
  test::TempDir dir;
  TimingEngine engine;
  RecordingHost host;
  ASSERT_TRUE(load(engine, "Sqrt 40\n").ok);
  EXPECT_FALSE(engine.LoadTimingDatabase(dir.file("absent.txt"), host));
  ASSERT_EQ(host.lines.size(), 1u);
  EXPECT_EQ(host.lines[0],
            "No se halló la base de datos para calcular el rendimiento aproximado sobre el GBA");
  // The table was cleared: every cost is 0, and adding still works.
  EXPECT_EQ(engine.AddCommandCost(kSqrt), 0);
  EXPECT_TRUE(engine.EstimationOn());

  std::string path = dir.write("db.txt", "Sqrt 41\nBogus 1\n");
  host.lines.clear();
  EXPECT_FALSE(engine.LoadTimingDatabase(path, host));
  ASSERT_EQ(host.lines.size(), 1u);
  EXPECT_EQ(host.lines[0], "Se halló un tipo de comando desconocido");
  EXPECT_EQ(engine.CommandCost(kSqrt), 41);

  // An empty file loads, with every cost 0.
  path = dir.write("empty.txt", "");
  EXPECT_TRUE(engine.LoadTimingDatabase(path, host));
  EXPECT_EQ(engine.CommandCost(kSqrt), 0);
}

TEST(Timing, ExtremeValuesSaturateAndTheScanLineStaysOnScreen) {
  TimingEngine engine;
  ASSERT_TRUE(load(engine, "Sqrt 2147483647\nAbs -2147483648\nArrayClear 2147483647 1\n").ok);
  engine.AddCommandCost(kSqrt);
  engine.AddCommandCost(kSqrt);
  EXPECT_EQ(engine.FrameTotal(), 2147483647);
  EXPECT_EQ(engine.CommandCost(kArrayClear, 2147483647), 2147483647);
  engine.ResetFrameTotal();
  for (int i = 0; i < 3; ++i) engine.AddCommandCost(54);
  EXPECT_EQ(engine.FrameTotal(), -2147483647 - 1);
  int line = engine.EstimatedScanLine();
  EXPECT_GE(line, 0);
  EXPECT_LT(line, 228);
  engine.ResetFrameTotal();
  ASSERT_TRUE(load(engine, "Abs -1268\n").ok);
  engine.AddCommandCost(54);
  EXPECT_EQ(engine.EstimatedScanLine(), 219);
}

TEST(Timing, ShippedDatabaseCostsEveryNamedCommand) {
  TimingEngine engine;
  std::vector<std::string> messages;
  ASSERT_TRUE(engine.LoadTimingDatabase(
      std::string(TARVOLIN_SOURCE_DATA_DIR) + "/timing_database.txt",
      [&](std::string_view m) { messages.emplace_back(m); }))
      << (messages.empty() ? "" : messages[0]) << " at line " << engine.FailedLine();
  EXPECT_TRUE(messages.empty());
  for (std::int32_t id = 0; id < TimingEngine::kRowCount; ++id) {
    const CostRow& row = engine.Row(id);
    if (!TimingEngine::IsNamedCommand(id)) {
      EXPECT_FALSE(row.given) << id;
      continue;
    }
    EXPECT_TRUE(row.given) << "no cost for " << CommandName(id);
    for (std::int32_t v : row.values) EXPECT_GE(v, 0) << CommandName(id);
    if (row.kind == CostKind::Fixed && id < 195) {
      EXPECT_GT(row.values[0], 0) << CommandName(id);
    }
    if (row.kind == CostKind::SizeDependent) {
      EXPECT_GT(row.values[0], 0) << CommandName(id);
      EXPECT_GT(row.values[1], 0) << CommandName(id);
    }
  }
  // The estimates are ordered sensibly: a division costs more than an add,
  // and a call more than an assignment.
  EXPECT_GT(engine.CommandCost(41), engine.CommandCost(kAdd));
  EXPECT_GT(engine.CommandCost(33), engine.CommandCost(38));
}

TEST(Timing, DatabaseNamesAreWholeCommandNames) {
  EXPECT_EQ(CommandByWholeName("sqrt"), kSqrt);
  EXPECT_EQ(CommandByWholeName("Array1DIndexCopy"), 67);
  EXPECT_EQ(CommandByWholeName("=-"), 39);
  EXPECT_EQ(CommandByWholeName("="), 38);
  EXPECT_EQ(CommandByWholeName("If"), 0);
  EXPECT_EQ(CommandByWholeName("Ifx"), -1);
  EXPECT_EQ(CommandByWholeName("+=5"), -1);
  EXPECT_EQ(CommandByWholeName("Sqrt;"), -1);
  EXPECT_EQ(CommandByWholeName(""), -1);
  // A lookup of its own can stand in for the language's table.
  TimingEngine engine([](std::string_view name) -> CommandId { return name == "tick" ? 7 : -1; });
  ASSERT_TRUE(load(engine, "tick 3\n").ok);
  EXPECT_EQ(engine.CommandCost(7), 3);
  EXPECT_EQ(load(engine, "Sqrt 3\n").messages.at(0), "Se halló un tipo de comando desconocido");
}

}  // namespace
}  // namespace tarvolin::script
