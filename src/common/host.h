// The seam through which the core talks to whoever shows things: the studio
// (dialogs and panes), the command-line tool (stdout and fixed answers) or a
// test (a recording fake). The core never shows anything itself.
#pragma once

#include <string>
#include <string_view>

namespace tarvolin {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class Host {
 public:
  virtual ~Host() = default;

  // One line for the notes / output pane.
  virtual void outputLine(std::string_view text) = 0;
  // A line tied to a script and a 1-based line (double-clicking it in the
  // studio opens the script there). Hosts without that notion show the text.
  virtual void outputLineAt(std::string_view text, std::string_view /*script*/, int /*line*/) {
    outputLine(text);
  }

  // A message box with the given caption ("Tarvolin" for the system's own).
  // Non-interactive hosts return `defaultAnswer`.
  virtual MessageAnswer messageBox(std::string_view caption, std::string_view text,
                                   MessageButtons buttons, MessageAnswer defaultAnswer) = 0;

  // Progress of a long operation, 0..100. Returns false when the user asked
  // to cancel it: the operations that can stop (preprocessing, searches in
  // the scripts, imports, tile reduction) then stop at once and report
  // nothing as a failure. Hosts that cannot cancel return true.
  virtual bool progress(int /*percent*/, std::string_view /*label*/) { return true; }

  // Asks for a file to open; false when the user cancels (the default).
  virtual bool chooseFile(std::string_view /*title*/, std::string_view /*filter*/,
                          std::string& /*path*/) {
    return false;
  }
};

// A host that shows nothing: output is dropped and every question gets its
// default answer. For headless jobs that have no one to ask.
class QuietHost : public Host {
 public:
  void outputLine(std::string_view) override {}
  MessageAnswer messageBox(std::string_view, std::string_view, MessageButtons,
                           MessageAnswer defaultAnswer) override {
    return defaultAnswer;
  }
};

}  // namespace tarvolin
