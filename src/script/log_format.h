// Log and LogFile: reading their operands and formatting their text. The
// script's format text is never handed to the C library; our own formatter
// understands the integer conversions only and refuses everything else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "common/host.h"
#include "common/errors.h"

namespace tarvolin::script {

inline constexpr int kMaxLogValues = 8;
// Widths and precisions above this are refused (they would only make
// enormous lines).
inline constexpr int kMaxLogFieldWidth = 4096;

// The operands of a Log or LogFile line, once read.
struct LogOperands {
  std::string fileName;  // LogFile only
  std::string format;
  int valueCount = 0;
};

// Reads one value operand at `pos` of `text` and advances `pos` past it; the
// caller keeps the parsed operand as value number `index` (0..7). Returns 0
// or the ErrorCode of the failure.
using LogValueParser =
    std::function<ErrorCode(int index, std::string_view text, std::size_t& pos)>;

// Reads the operands after the command name, from `pos`: for LogFile
// (`withFileName`) a quoted file name first, then the quoted format, then up to
// eight values through `parseValue` until the end of the line or a ";"
// comment. Missing quotes or a ninth value give error 186; a value that cannot
// be read gives the parser's error.
bool ParseLogOperands(std::string_view text, std::size_t pos, bool withFileName,
                      const LogValueParser& parseValue, LogOperands& out, ErrorState& errors);

// Formats `values` (signed 32-bit) into `format` like printf would: the
// conversions d i u x X o c with the flags - + space # 0, a decimal width and
// precision, one length modifier (h hh l ll j z t, which changes nothing) and
// "%%"; u, x, X and o show the value as unsigned 32-bit. False for any other
// conversion or modifier, a "*", a field wider than kMaxLogFieldWidth or more
// conversions than values; `out` is then unusable.
bool FormatLogText(std::string_view format, std::span<const std::int32_t> values,
                   std::string& out);

// Log: formats and writes one line to the notes; error 186 on a bad format.
bool ExecuteLog(std::string_view format, std::span<const std::int32_t> values, Host& host,
                ErrorState& errors);

// LogFile: formats and appends the text, without a line end, to `path`. A bad
// format is error 186; a file that cannot be opened is ignored (success).
bool ExecuteLogFile(const std::string& path, std::string_view format,
                    std::span<const std::int32_t> values, ErrorState& errors);

// Appends `text` to the file at `path`, creating it; false when it cannot be
// written.
bool AppendToFile(const std::string& path, std::string_view text);

}  // namespace tarvolin::script
