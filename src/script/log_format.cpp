#include "script/log_format.h"

#include <cstdio>

#include "common/text.h"

namespace tarvolin::script {

namespace {

// The text between the next two double quotes from `pos`; `pos` moves past
// the closing one.
bool readQuoted(std::string_view text, std::size_t& pos, std::string& out) {
  std::size_t open = text.find('"', pos);
  if (open == std::string_view::npos) return false;
  std::size_t close = text.find('"', open + 1);
  if (close == std::string_view::npos) return false;
  out.assign(text.substr(open + 1, close - open - 1));
  pos = close + 1;
  return true;
}

struct Conversion {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  bool zero = false;
  int width = 0;
  int precision = -1;  // -1: not given
  char conversion = 0;
};

// Reads a decimal field (width or precision) at `i`; false when it is too big.
bool readNumber(std::string_view f, std::size_t& i, int& value) {
  value = 0;
  while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
    value = value * 10 + (f[i] - '0');
    if (value > kMaxLogFieldWidth) return false;
    ++i;
  }
  return true;
}

// Reads the conversion after a "%" at `i` (just past the "%").
bool readConversion(std::string_view f, std::size_t& i, Conversion& conv) {
  for (; i < f.size(); ++i) {
    char c = f[i];
    if (c == '-') conv.left = true;
    else if (c == '+') conv.plus = true;
    else if (c == ' ') conv.space = true;
    else if (c == '#') conv.alternate = true;
    else if (c == '0') conv.zero = true;
    else break;
  }
  if (!readNumber(f, i, conv.width)) return false;
  if (i < f.size() && f[i] == '.') {
    ++i;
    if (!readNumber(f, i, conv.precision)) return false;
  }
  // Length modifiers (h, hh, l, ll, j, z, t) change nothing: every value is
  // a 32-bit integer already.
  if (i < f.size() && (f[i] == 'h' || f[i] == 'l') && i + 1 < f.size() && f[i + 1] == f[i]) i += 2;
  else if (i < f.size() && std::string_view("hljzt").find(f[i]) != std::string_view::npos) ++i;
  if (i >= f.size()) return false;
  char c = f[i++];
  switch (c) {
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': case 'c':
      conv.conversion = c;
      return true;
    default:
      // '*', a second length modifier and every non-integer conversion end up here.
      return false;
  }
}

std::string digitsOf(std::uint32_t magnitude, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char buffer[16];
  int n = 0;
  do {
    buffer[n++] = set[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  std::string s;
  while (n > 0) s.push_back(buffer[--n]);
  return s;
}

void pad(std::string& out, std::size_t count, char c) { out.append(count, c); }

void formatOne(const Conversion& conv, std::int32_t value, std::string& out) {
  if (conv.conversion == 'c') {
    // The value as one byte; only the width and "-" apply.
    std::size_t fill = conv.width > 1 ? std::size_t(conv.width - 1) : 0;
    if (!conv.left) pad(out, fill, ' ');
    out.push_back(static_cast<char>(static_cast<unsigned char>(value)));
    if (conv.left) pad(out, fill, ' ');
    return;
  }
  std::string_view prefix;
  std::uint32_t magnitude;
  unsigned base = 10;
  bool upper = false;
  switch (conv.conversion) {
    case 'd':
    case 'i':
      magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                            : static_cast<std::uint32_t>(value);
      if (value < 0) prefix = "-";
      else if (conv.plus) prefix = "+";
      else if (conv.space) prefix = " ";
      break;
    case 'o':
      magnitude = static_cast<std::uint32_t>(value);
      base = 8;
      break;
    case 'x':
    case 'X':
      magnitude = static_cast<std::uint32_t>(value);
      base = 16;
      upper = conv.conversion == 'X';
      if (conv.alternate && magnitude != 0) prefix = upper ? "0X" : "0x";
      break;
    default:  // 'u'
      magnitude = static_cast<std::uint32_t>(value);
      break;
  }
  std::string digits;
  if (conv.precision == 0 && magnitude == 0) {
    digits.clear();  // an explicit zero precision prints no digits for 0
  } else {
    digits = digitsOf(magnitude, base, upper);
  }
  if (conv.precision > 0 && digits.size() < std::size_t(conv.precision)) {
    digits.insert(0, std::size_t(conv.precision) - digits.size(), '0');
  }
  if (conv.conversion == 'o' && conv.alternate && (digits.empty() || digits[0] != '0')) {
    digits.insert(0, 1, '0');
  }
  std::size_t length = prefix.size() + digits.size();
  std::size_t fill = std::size_t(conv.width) > length ? std::size_t(conv.width) - length : 0;
  if (conv.left) {
    out.append(prefix);
    out += digits;
    pad(out, fill, ' ');
  } else if (conv.zero && conv.precision < 0) {
    out.append(prefix);
    pad(out, fill, '0');
    out += digits;
  } else {
    pad(out, fill, ' ');
    out.append(prefix);
    out += digits;
  }
}

}  // namespace

bool ParseLogOperands(std::string_view text, std::size_t pos, bool withFileName,
                      const LogValueParser& parseValue, LogOperands& out, ErrorState& errors) {
  out = LogOperands{};
  if (pos > text.size()) pos = text.size();
  if (withFileName && !readQuoted(text, pos, out.fileName)) {
    errors.SetError(err::kBadLogFormat);
    return false;
  }
  if (!readQuoted(text, pos, out.format)) {
    errors.SetError(err::kBadLogFormat);
    return false;
  }
  while (true) {
    pos = skipBlanks(text, pos);
    if (pos >= text.size() || text[pos] == ';') break;
    if (out.valueCount == kMaxLogValues) {
      errors.SetError(err::kBadLogFormat);
      return false;
    }
    std::size_t before = pos;
    ErrorCode code = parseValue ? parseValue(out.valueCount, text, pos) : err::kUnknownParameter;
    // A parser that reads nothing would loop for ever: count it as unreadable.
    if (code == 0 && pos <= before) code = err::kUnknownParameter;
    if (code != 0) {
      errors.SetError(code);
      return false;
    }
    ++out.valueCount;
  }
  return true;
}

bool FormatLogText(std::string_view format, std::span<const std::int32_t> values,
                   std::string& out) {
  out.clear();
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < format.size()) {
    char c = format[i++];
    if (c != '%') {
      out.push_back(c);
      continue;
    }
    if (i < format.size() && format[i] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    Conversion conv;
    if (!readConversion(format, i, conv)) return false;
    if (next >= values.size()) return false;
    formatOne(conv, values[next++], out);
  }
  return true;
}

bool ExecuteLog(std::string_view format, std::span<const std::int32_t> values, Host& host,
                ErrorState& errors) {
  std::string text;
  if (!FormatLogText(format, values, text)) {
    errors.SetError(err::kBadLogFormat);
    return false;
  }
  host.outputLine(text);
  return true;
}

bool ExecuteLogFile(const std::string& path, std::string_view format,
                    std::span<const std::int32_t> values, ErrorState& errors) {
  std::string text;
  if (!FormatLogText(format, values, text)) {
    errors.SetError(err::kBadLogFormat);
    return false;
  }
  AppendToFile(path, text);  // a file that cannot be written is ignored
  return true;
}

bool AppendToFile(const std::string& path, std::string_view text) {
  if (path.empty()) return false;
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

}  // namespace tarvolin::script
