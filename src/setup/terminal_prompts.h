// Prompts for runs without a screen: messages go to the terminal (errors to
// standard error, with their detail) and every question gets a fixed answer.
#pragma once

#include <cstdio>
#include <string>

#include "setup/setup_prompts.h"

namespace tarvolin::setup {

class TerminalPrompts : public SetupPrompts {
 public:
  explicit TerminalPrompts(bool answer) : answer_(answer) {}

  bool askYesNo(std::string_view caption, std::string_view text) override {
    std::printf("%.*s: %.*s %s\n", int(caption.size()), caption.data(), int(text.size()),
                text.data(), answer_ ? "Sí" : "No");
    return answer_;
  }
  void tell(std::string_view caption, std::string_view text, MessageIcon icon,
            std::string_view detail) override {
    std::FILE* out = icon == MessageIcon::Error ? stderr : stdout;
    std::fprintf(out, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
                 text.data());
    if (!detail.empty()) std::fprintf(out, "%.*s\n", int(detail.size()), detail.data());
  }

 private:
  bool answer_;
};

}  // namespace tarvolin::setup
