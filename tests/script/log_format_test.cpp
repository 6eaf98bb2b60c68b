#include "script/log_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "common/text.h"

namespace tarvolin::script {
namespace {

constexpr std::int32_t kMin = INT_MIN;
constexpr std::int32_t kMax = INT_MAX;

std::string format(std::string_view fmt, std::vector<std::int32_t> values, bool* ok = nullptr) {
  std::string out;
  bool good = FormatLogText(fmt, values, out);
  if (ok) *ok = good;
  return good ? out : std::string("<refused>");
}

// What the C library makes of one conversion with one value.
std::string reference(const std::string& conversionText, std::int32_t value) {
  char buffer[256];
  char conversion = conversionText.back();
  int n;
  if (conversion == 'd' || conversion == 'i' || conversion == 'c') {
    n = std::snprintf(buffer, sizeof buffer, conversionText.c_str(), static_cast<int>(value));
  } else {
    n = std::snprintf(buffer, sizeof buffer, conversionText.c_str(), static_cast<unsigned>(value));
  }
  return std::string(buffer, n < 0 ? 0 : std::size_t(n));
}

TEST(LogFormat, IntegerConversionsMatchTheCLibrary) {
  // Flag sets for which the C library defines the result, per conversion.
  struct Family {
    std::string conversions;
    std::vector<std::string> flags;
    bool precision;
  };
  const Family families[] = {
      {"di", {"", "-", "+", " ", "0", "+0", "- ", "-+", " 0"}, true},
      {"u", {"", "-", "0", "-0"}, true},
      {"oxX", {"", "-", "0", "#", "#0", "-#"}, true},
      {"c", {"", "-"}, false},
  };
  const std::int32_t values[] = {0, 1, -1, 7, -42, 255, 4096, 123456789, kMax, kMin};
  const char* widths[] = {"", "1", "6", "12"};
  const char* precisions[] = {"", ".", ".0", ".1", ".4", ".11"};
  int compared = 0;
  for (const Family& family : families) {
    for (char conversion : family.conversions) {
      for (const std::string& flags : family.flags) {
        for (const char* width : widths) {
          for (const char* precision : precisions) {
            if (!family.precision && *precision) continue;
            std::string conversionText(1, '%');
            conversionText.append(flags).append(width).append(precision).push_back(conversion);
            for (std::int32_t v : values) {
              if (conversion == 'c' && (v < 32 || v > 126)) continue;
              std::string fmt(1, '<');
              fmt.append(conversionText).push_back('>');
              std::string expected(1, '<');
              expected.append(reference(conversionText, v)).push_back('>');
              EXPECT_EQ(format(fmt, {v}), expected)
                  << conversionText << " with " << v;
              ++compared;
            }
          }
        }
      }
    }
  }
  EXPECT_GT(compared, 3000);
}

TEST(LogFormat, TextPercentSignsAndSeveralValues) {
  EXPECT_EQ(format("plain text", {}), "plain text");
  EXPECT_EQ(format("", {}), "");
  EXPECT_EQ(format("100%%", {}), "100%");
  EXPECT_EQ(format("%%d", {}), "%d");
  EXPECT_EQ(format("%d%%%d", {5, 6}), "5%6");
  EXPECT_EQ(format("x=%d y=%d z=%04X", {-3, 17, 0xBEEF}), "x=-3 y=17 z=BEEF");
  EXPECT_EQ(format("%d %d %d %d %d %d %d %d", {1, 2, 3, 4, 5, 6, 7, 8}), "1 2 3 4 5 6 7 8");
  // Values left over are ignored, as printf does.
  EXPECT_EQ(format("only %d", {1, 2, 3}), "only 1");
  // Values are 32-bit: the unsigned forms of negative numbers.
  EXPECT_EQ(format("%u %x %o", {-1, -1, -1}), "4294967295 ffffffff 37777777777");
  EXPECT_EQ(format("%d %i %u %X", {kMin, kMin, kMin, kMin}),
            "-2147483648 -2147483648 2147483648 80000000");
  EXPECT_EQ(format("%+d % d %011d", {kMin, kMin, kMin}), "-2147483648 -2147483648 -2147483648");
  EXPECT_EQ(format("%.0d|%.0u|%.0x|%#.0o|%#.0x", {0, 0, 0, 0, 0}), "|||0|");
  // %c takes the low byte, including a zero byte.
  EXPECT_EQ(format("%c%c", {0x141, 'b'}), "Ab");
  EXPECT_EQ(format("[%c]", {0}), std::string("[\0]", 3));
  // Text after the last conversion and bytes that are not ASCII pass unchanged.
  EXPECT_EQ(format("año %d ñ", {2}), "año 2 ñ");
}

TEST(LogFormat, RefusedConversions) {
  const char* refused[] = {
      "%s",    "%f",    "%e",    "%g",    "%a",    "%n",   "%p",   "%lf",  "%llf", "%hs",
      "%hhhd", "%lld%", "%lhd",  "%jjd",  "%Lf",   "%qd",  "%*d",  "%.*d", "%-*d", "%5.*d",
      "%",     "abc %", "%5",    "%-",    "%.",    "%#",   "%S",   "%C",   "%D",   "%Ld",
      "%I64d", "%'d",   "%1$d",  "%m",    "%b",    "%5.3", "%0 ",  "%E",   "%G",   "%F",
      "%l",    "%hh",   "%zt",   "%tl",   "%lll",  "%hz",
  };
  for (const char* fmt : refused) {
    bool ok = true;
    format(fmt, {1, 2, 3}, &ok);
    EXPECT_FALSE(ok) << fmt;
  }
  // A refusal anywhere refuses the whole text.
  bool ok = true;
  format("%d then %s", {1, 2}, &ok);
  EXPECT_FALSE(ok);
}

TEST(LogFormat, LengthModifiersChangeNothing) {
  // Every value is 32-bit: h, hh, l, ll, j, z and t are read and ignored.
  for (const char* modifier : {"h", "hh", "l", "ll", "j", "z", "t"}) {
    const std::string m(modifier);
    EXPECT_EQ(format("%" + m + "d|%-6" + m + "i|%" + m + "u|%#" + m + "x|%08" + m + "X|%" + m + "o|%" + m +
                         "c",
                     {-70000, 5, -1, 255, 0xBEEF, 8, 'A'}),
              "-70000|5     |4294967295|0xff|0000BEEF|10|A")
        << modifier;
  }
}

TEST(LogFormat, MoreConversionsThanValuesAndHugeFields) {
  bool ok = true;
  format("%d %d", {1}, &ok);
  EXPECT_FALSE(ok);
  format("%d", {}, &ok);
  EXPECT_FALSE(ok);
  format("%c%c%c%c%c%c%c%c%c", {65, 65, 65, 65, 65, 65, 65, 65}, &ok);
  EXPECT_FALSE(ok);
  // Fields up to the limit are made; wider ones are refused.
  EXPECT_EQ(format("%4096d", {1}).size(), 4096u);
  EXPECT_EQ(format("%.4096d", {1}).size(), 4096u);
  format("%4097d", {1}, &ok);
  EXPECT_FALSE(ok);
  format("%.99999999999999999999d", {1}, &ok);
  EXPECT_FALSE(ok);
  format("%2147483648d", {1}, &ok);
  EXPECT_FALSE(ok);
}

// Reads values as plain decimal numbers, standing in for the operand parser.
struct NumberParser {
  std::vector<std::int32_t> values;
  LogValueParser parser() {
    return [this](int index, std::string_view text, std::size_t& pos) -> ErrorCode {
      std::size_t start = pos;
      if (pos < text.size() && text[pos] == '-') ++pos;
      while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') ++pos;
      if (pos == start || (pos < text.size() && !isBlank(text[pos]) && text[pos] != ';')) {
        pos = start;
        return 4;
      }
      values.resize(std::size_t(index) + 1);
      values[std::size_t(index)] = std::stoi(std::string(text.substr(start, pos - start)));
      return 0;
    };
  }
};

TEST(LogOperands, QuotedTextsValuesAndErrors) {
  {
    NumberParser p;
    LogOperands ops;
    ErrorState e;
    const std::string line = "Log \"x=%d; y=%d\"  5 -7 ; comment 9";
    ASSERT_TRUE(ParseLogOperands(line, 3, false, p.parser(), ops, e));
    EXPECT_EQ(ops.format, "x=%d; y=%d");
    EXPECT_EQ(ops.valueCount, 2);
    EXPECT_EQ(p.values, (std::vector<std::int32_t>{5, -7}));
    EXPECT_FALSE(e.HasError());
  }
  {
    NumberParser p;
    LogOperands ops;
    ErrorState e;
    const std::string line = "LogFile \"out\\log.txt\" \"%d\" 1 2 3 4 5 6 7 8";
    ASSERT_TRUE(ParseLogOperands(line, 7, true, p.parser(), ops, e));
    EXPECT_EQ(ops.fileName, "out\\log.txt");
    EXPECT_EQ(ops.format, "%d");
    EXPECT_EQ(ops.valueCount, 8);
  }
  {
    NumberParser p;
    LogOperands ops;
    ErrorState e;
    ASSERT_TRUE(ParseLogOperands("Log \"\"", 3, false, p.parser(), ops, e));
    EXPECT_EQ(ops.format, "");
    EXPECT_EQ(ops.valueCount, 0);
  }
  const std::pair<std::string, bool> fails186[] = {
      {"Log \"%d\" 1 2 3 4 5 6 7 8 9", false},
      {"Log", false},
      {"Log %d 1", false},
      {"Log \"unterminated %d 1", false},
      {"LogFile \"file.txt\"", true},
      {"LogFile \"file.txt\" %d 1", true},
      {"LogFile", true},
  };
  for (const auto& [line, withFile] : fails186) {
    NumberParser p;
    LogOperands ops;
    ErrorState e;
    std::size_t start = withFile ? 7 : 3;
    EXPECT_FALSE(ParseLogOperands(line, start, withFile, p.parser(), ops, e)) << line;
    EXPECT_EQ(e.GetError(), 186) << line;
  }
  // A value that cannot be read keeps the parser's error.
  NumberParser p;
  LogOperands ops;
  ErrorState e;
  EXPECT_FALSE(ParseLogOperands("Log \"%d\" 1 V_XX", 3, false, p.parser(), ops, e));
  EXPECT_EQ(e.GetError(), 4);
  // A parser that reads nothing cannot make the reading loop for ever.
  LogValueParser stuck = [](int, std::string_view, std::size_t&) -> ErrorCode { return 0; };
  e.Clear();
  EXPECT_FALSE(ParseLogOperands("Log \"%d\" 1", 3, false, stuck, ops, e));
  EXPECT_EQ(e.GetError(), 4);
  // A start past the end of the text reads as a line without quotes.
  e.Clear();
  EXPECT_FALSE(ParseLogOperands("Log", 99, false, p.parser(), ops, e));
  EXPECT_EQ(e.GetError(), 186);
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

TEST(LogCommands, LogWritesOneNoteLine) {
  RecordingHost host;
  ErrorState e;
  const std::int32_t values[] = {3, 255};
  EXPECT_TRUE(ExecuteLog("vidas=%d color=%#06x", values, host, e));
  ASSERT_EQ(host.lines.size(), 1u);
  EXPECT_EQ(host.lines[0], "vidas=3 color=0x00ff");
  EXPECT_FALSE(e.HasError());
  EXPECT_FALSE(ExecuteLog("%s", values, host, e));
  EXPECT_EQ(e.GetError(), 186);
  EXPECT_EQ(e.ErrorText(), "Formato de nota inválido");
  EXPECT_EQ(host.lines.size(), 1u);
}

TEST(LogCommands, LogFileAppendsWithoutLineEnds) {
  test::TempDir dir;
  ErrorState e;
  const std::string path = dir.file("trace.txt");
  const std::int32_t values[] = {-5, 10};
  EXPECT_TRUE(ExecuteLogFile(path, "a=%d ", values, e));
  EXPECT_TRUE(ExecuteLogFile(path, "b=%u\n", std::span(values).subspan(1), e));
  EXPECT_TRUE(ExecuteLogFile(path, "c", {}, e));
  EXPECT_EQ(test::TempDir::read(path), "a=-5 b=10\nc");
  EXPECT_FALSE(e.HasError());

  // A file that cannot be opened is ignored and the command succeeds.
  EXPECT_TRUE(ExecuteLogFile(dir.file("no/such/folder/x.txt"), "%d", values, e));
  EXPECT_TRUE(ExecuteLogFile(dir.path(), "%d", values, e));  // a folder
  EXPECT_TRUE(ExecuteLogFile("", "%d", values, e));
  EXPECT_FALSE(e.HasError());
  EXPECT_FALSE(AppendToFile(dir.path(), "x"));

  // A bad format fails before the file is touched.
  const std::string other = dir.file("other.txt");
  EXPECT_FALSE(ExecuteLogFile(other, "%d %d %d", values, e));
  EXPECT_EQ(e.GetError(), 186);
  EXPECT_FALSE(std::filesystem::exists(other));
  EXPECT_EQ(test::TempDir::read(path), "a=-5 b=10\nc");
}

}  // namespace
}  // namespace tarvolin::script
