// The timing engine: an estimate of how much of a real console frame the
// game's script takes. Each executed command adds a cost in CPU cycles, read
// per command from "timing_database.txt"; the frame's total gives the load and
// the emulated scan line.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

#include "common/host.h"
#include "script/commands.h"

namespace tarvolin::script {

// How a command's cost is computed.
enum class CostKind : std::int32_t {
  None = 0,           // costs nothing
  Fixed = 1,          // value 1
  SizeDependent = 2,  // value 2 + bytes moved x value 1 / 16
};

struct CostRow {
  CostKind kind = CostKind::None;
  std::array<std::int32_t, 10> values{};
  bool given = false;  // a line of the database named this command
};

// What the engine writes to the notes while reading the database.
using TimingMessageSink = std::function<void(std::string_view)>;

// Finds a command by its whole name, ignoring case; -1 when there is none.
using CommandNameLookup = std::function<CommandId(std::string_view)>;

// The language's lookup of a whole command name (the database's first word).
CommandId CommandByWholeName(std::string_view name);

// The interpreter's note when the database could not be loaded.
inline constexpr std::string_view kTimingInitFailedMessage =
    "Failed to initialise Tarvolin timing engine";

// The file name of the database, beside the program.
inline constexpr std::string_view kTimingDatabaseFileName = "timing_database.txt";

class TimingEngine {
 public:
  static constexpr int kRowCount = cmd::MacroCall + 1;  // every CommandId up to a macro call
  // Cycles in one per cent of a frame, and in one scan line.
  static constexpr std::int32_t kCyclesPerPercent = 2796;
  static constexpr std::int32_t kCyclesPerScanLine = 1268;

  // Uses the language's command table to read names.
  TimingEngine();
  // Uses `lookup` instead (tests, tools with their own vocabulary).
  explicit TimingEngine(CommandNameLookup lookup);

  // Clears the table, sets the built-in kinds and reads the file at `path`.
  // Each problem writes its message to `sink` and fails; the rows read before
  // it stay in use.
  bool LoadTimingDatabase(const std::string& path, const TimingMessageSink& sink);
  bool LoadTimingDatabase(const std::string& path, Host& host);
  // The same for text already open.
  bool LoadTimingDatabase(std::istream& in, const TimingMessageSink& sink);

  // Adds the cost of a performed command (`bytes` moved, for the size
  // dependent ones) to the frame total while estimation is on; returns it.
  std::int32_t AddCommandCost(CommandId commandId, std::int32_t bytes = 0);
  // The cost of one command without adding it.
  std::int32_t CommandCost(CommandId commandId, std::int32_t bytes = 0) const;

  void ResetFrameTotal() { total_ = 0; }
  // Adds cycles costed beforehand with CommandCost (the interpreter's
  // per-line path) while estimation is on, saturating like AddCommandCost.
  void AddCycles(std::int32_t cycles) {
    if (!estimationOn_) return;
    const std::int64_t t = std::int64_t{total_} + cycles;
    total_ = t > INT32_MAX ? INT32_MAX : t < INT32_MIN ? INT32_MIN : std::int32_t(t);
  }
  std::int32_t FrameTotal() const { return total_; }
  // Share of a frame used so far, in per cent.
  std::int32_t FrameLoadPercent() const;
  // The emulated vertical position, 0..227.
  std::int32_t EstimatedScanLine() const;

  bool EstimationOn() const { return estimationOn_; }
  // The row of a CommandId (an empty row for numbers outside 0..200).
  const CostRow& Row(CommandId commandId) const;
  // 1-based number of the line that made the last load fail (0 when none).
  int FailedLine() const { return failedLine_; }

  // The built-in kind of a CommandId.
  static CostKind BuiltInKind(CommandId commandId);
  // Whether a CommandId has a name in the command table.
  static bool IsNamedCommand(CommandId commandId);

 private:
  void ResetTable();
  bool ReadLine(std::string_view line, const TimingMessageSink& sink);

  CommandNameLookup lookup_;
  std::array<CostRow, kRowCount> rows_{};
  std::int32_t total_ = 0;
  bool estimationOn_ = false;
  int failedLine_ = 0;
};

}  // namespace tarvolin::script
