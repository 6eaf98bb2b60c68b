// Feeds arbitrary Log lines to the operand reader and the formatter.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "script/log_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin;
  using namespace tarvolin::script;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // Values come from the first bytes; the rest is the line.
  std::vector<std::int32_t> values;
  while (text.size() >= 4 && values.size() < 3) {
    std::int32_t v;
    std::memcpy(&v, text.data(), 4);
    values.push_back(v);
    text.remove_prefix(4);
  }
  ErrorState errors;
  LogOperands ops;
  LogValueParser oneByte = [](int, std::string_view line, std::size_t& pos) -> ErrorCode {
    if (line[pos] == '!') return err::kUnknownParameter;
    ++pos;
    return 0;
  };
  ParseLogOperands(text, 0, !text.empty() && text[0] == 'F', oneByte, ops, errors);
  std::string out;
  FormatLogText(text, values, out);
  if (ops.valueCount >= 0) FormatLogText(ops.format, values, out);
  return 0;
}
