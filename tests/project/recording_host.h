// A Host for tests: records output lines and message boxes and answers
// questions with a preset answer (the default when none is set).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/host.h"

namespace tarvolin::test {

class RecordingHost : public Host {
 public:
  void outputLine(std::string_view text) override { lines.emplace_back(text); }
  MessageAnswer messageBox(std::string_view, std::string_view text, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    boxes.emplace_back(text);
    return answer.value_or(defaultAnswer);
  }
  bool saw(std::string_view text) const {
    for (const auto& l : lines)
      if (l == text) return true;
    return false;
  }

  std::vector<std::string> lines;
  std::vector<std::string> boxes;
  std::optional<MessageAnswer> answer;
};

}  // namespace tarvolin::test
