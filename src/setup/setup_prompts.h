// How the installer and the uninstaller talk to the person running them:
// message boxes in the windows, lines on the terminal in scripted runs, a
// recording fake in tests.
#pragma once

#include <string_view>

namespace tarvolin::setup {

enum class MessageIcon { Information, Exclamation, Error };

class SetupPrompts {
 public:
  virtual ~SetupPrompts() = default;
  // A Yes/No question with the question icon; true for Yes.
  virtual bool askYesNo(std::string_view caption, std::string_view text) = 0;
  // A message; `detail` says what exactly went wrong (may be empty).
  virtual void tell(std::string_view caption, std::string_view text, MessageIcon icon,
                    std::string_view detail) = 0;
};

}  // namespace tarvolin::setup
