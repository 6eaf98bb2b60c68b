#include "common/errors.h"

#include <algorithm>
#include <iterator>

namespace tarvolin {

namespace {

struct Message {
  ErrorCode code;
  const char* text;  // null: the code has no message
};

constexpr Message kCodes[] = {
#define TARVOLIN_ERROR_ROW(name, code, message) {code, message},
    TARVOLIN_ERROR_LIST(TARVOLIN_ERROR_ROW)
#undef TARVOLIN_ERROR_ROW
};

constexpr std::string_view kUnknown = "Unknown error!";

const Message* Find(ErrorCode code) {
  for (const Message& m : kCodes)
    if (m.code == code) return m.text ? &m : nullptr;
  return nullptr;
}

}  // namespace

std::string_view MessageFor(ErrorCode code) {
  const Message* m = Find(code);
  return m ? std::string_view(m->text) : kUnknown;
}

bool HasMessage(ErrorCode code) { return Find(code) != nullptr; }

int MessageCount() {
  return static_cast<int>(std::count_if(std::begin(kCodes), std::end(kCodes),
                                        [](const Message& m) { return m.text != nullptr; }));
}

bool ErrorState::ErrorDetail(std::string& out) const {
  switch (code_) {
    case err::kResourceFile:
    case err::kFileMissing:
    case err::kRangeFileMissing:
    case err::kMacroUnknownCommand:
    case err::kMacroCommandNotAllowed:
      // A code that may carry a detail shows one only when it was given.
      if (detail_.empty()) return false;
      out = detail_;
      return true;
    default:
      return false;
  }
}

std::string ErrorState::StatusText(RunPlace place, int line) const {
  const char* prefix = place == RunPlace::Frame    ? "<Error de Ciclo: <"
                       : place == RunPlace::HBlank ? "<HBLANK ERR: <"
                                                   : "<VBLANK ERR: <";
  std::string text = prefix;
  text += ErrorText();
  text += "> en la línea ";
  text += std::to_string(line);
  std::string detail;
  if (ErrorDetail(detail)) {
    text += ", ";
    text += detail;
  }
  return text;
}

}  // namespace tarvolin
