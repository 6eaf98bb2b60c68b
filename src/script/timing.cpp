#include "script/timing.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>

#include "common/text.h"

namespace tarvolin::script {

namespace {

constexpr std::string_view kMsgNoDatabase =
    "No se halló la base de datos para calcular el rendimiento aproximado sobre el GBA";
constexpr std::string_view kMsgReadError = "Error al leer línea";
constexpr std::string_view kMsgUnknownCommand = "Se halló un tipo de comando desconocido";
constexpr std::string_view kMsgTooManyValues = "Demasiados valores de tiempo para un comando";

std::int32_t clampToInt32(std::int64_t v) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

// The next word of `line` from `pos` (blanks separate words); empty at the end.
std::string_view nextWord(std::string_view line, std::size_t& pos) {
  pos = skipBlanks(line, pos);
  std::size_t start = pos;
  while (pos < line.size() && !isBlank(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

// A signed decimal integer that fills `word` and fits 32 bits.
bool parseInt32(std::string_view word, std::int32_t& value) {
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last && first != last;
}

}  // namespace

CommandId CommandByWholeName(std::string_view name) {
  if (name.empty()) return -1;
  std::size_t length = 0;
  CommandId id = LookupCommand(name, 0, length);
  // The table's matching rule would also accept a longer word after a name
  // that ends in punctuation ("+=5"); the database wants the whole word.
  return (id != cmd::UndefinedCommand && length == name.size()) ? id : -1;
}

TimingEngine::TimingEngine() : TimingEngine(CommandNameLookup(CommandByWholeName)) {}

TimingEngine::TimingEngine(CommandNameLookup lookup) : lookup_(std::move(lookup)) {
  ResetTable();
  estimationOn_ = false;
}

bool TimingEngine::IsNamedCommand(CommandId id) { return FindCommandInfo(id) != nullptr; }

CostKind TimingEngine::BuiltInKind(CommandId id) {
  if (!IsNamedCommand(id)) return CostKind::None;
  switch (id) {
    case cmd::Function:
    case cmd::ExternFunction:
    case cmd::FunctionGlobal:
    case cmd::ExternScript:
    case cmd::ApplyGlobalSet:
    case cmd::Define:
    case cmd::Assert:
    case cmd::Log:
    case cmd::LogFile:
    case cmd::DebugIsKeyPressed:
    case cmd::DebugGetMousePosition:
      return CostKind::None;
    case cmd::ArrayClear:
    case cmd::Array1DLoad:
    case cmd::Array1DCopy:
    case cmd::Array2DLoad:
    case cmd::Array2DCopy:
      return CostKind::SizeDependent;
    default:
      return CostKind::Fixed;
  }
}

void TimingEngine::ResetTable() {
  for (CommandId id = 0; id < kRowCount; ++id) {
    rows_[id] = CostRow{};
    rows_[id].kind = BuiltInKind(id);
  }
}

const CostRow& TimingEngine::Row(CommandId id) const {
  static const CostRow kEmpty{};
  return (id >= 0 && id < kRowCount) ? rows_[id] : kEmpty;
}

bool TimingEngine::LoadTimingDatabase(const std::string& path, const TimingMessageSink& sink) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ResetTable();
    estimationOn_ = true;
    failedLine_ = 0;
    if (sink) sink(kMsgNoDatabase);
    return false;
  }
  return LoadTimingDatabase(in, sink);
}

bool TimingEngine::LoadTimingDatabase(const std::string& path, Host& host) {
  return LoadTimingDatabase(path, [&host](std::string_view text) { host.outputLine(text); });
}

bool TimingEngine::LoadTimingDatabase(std::istream& in, const TimingMessageSink& sink) {
  ResetTable();
  estimationOn_ = true;
  failedLine_ = 0;
  std::string line;
  int number = 0;
  while (true) {
    if (!std::getline(in, line)) {
      if (in.bad()) {
        failedLine_ = number + 1;
        if (sink) sink(kMsgReadError);
        return false;
      }
      return true;  // end of the file
    }
    ++number;
    if (!ReadLine(line, sink)) {
      failedLine_ = number;
      return false;
    }
  }
}

bool TimingEngine::ReadLine(std::string_view line, const TimingMessageSink& sink) {
  std::size_t pos = skipBlanks(line, 0);
  if (pos == line.size() || line[pos] == ';') return true;
  std::string_view name = nextWord(line, pos);
  CommandId id = lookup_ ? lookup_(name) : -1;
  if (id < 0 || id >= kRowCount) {
    if (sink) sink(kMsgUnknownCommand);
    return false;
  }
  // Numbers are read into a copy first so that a line that fails part way
  // changes nothing.
  CostRow row = rows_[id];
  int count = 0;
  while (true) {
    std::string_view word = nextWord(line, pos);
    // A ";" starts a comment, also right after a number.
    bool comment = false;
    if (std::size_t semicolon = word.find(';'); semicolon != std::string_view::npos) {
      word = word.substr(0, semicolon);
      comment = true;
    }
    if (word.empty()) break;  // end of the line, or a comment
    std::int32_t value = 0;
    if (!parseInt32(word, value)) {
      if (sink) sink(kMsgReadError);
      return false;
    }
    if (count == static_cast<int>(row.values.size())) {
      if (sink) sink(kMsgTooManyValues);
      return false;
    }
    row.values[count++] = value;
    if (comment) break;
  }
  row.given = true;
  rows_[id] = row;
  return true;
}

std::int32_t TimingEngine::CommandCost(CommandId commandId, std::int32_t bytes) const {
  const CostRow& row = Row(commandId);
  switch (row.kind) {
    case CostKind::Fixed:
      return row.values[0];
    case CostKind::SizeDependent:
      return clampToInt32(std::int64_t{row.values[1]} +
                          std::int64_t{bytes} * row.values[0] / 16);
    case CostKind::None:
    default:
      return 0;
  }
}

std::int32_t TimingEngine::AddCommandCost(CommandId commandId, std::int32_t bytes) {
  std::int32_t cost = CommandCost(commandId, bytes);
  if (estimationOn_) total_ = clampToInt32(std::int64_t{total_} + cost);
  return cost;
}

std::int32_t TimingEngine::FrameLoadPercent() const { return total_ / kCyclesPerPercent; }

std::int32_t TimingEngine::EstimatedScanLine() const {
  std::int32_t line = (total_ / kCyclesPerScanLine + 220) % 228;
  return line < 0 ? line + 228 : line;
}

}  // namespace tarvolin::script
