// A small game for interpreter tests: scripts held in memory, a host that
// records the notes, the interpreter and its preprocessor.
#pragma once

#include <string>
#include <vector>

#include "common/host.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"

namespace tarvolin::script::test {

class RecordingHost : public Host {
 public:
  std::vector<std::string> notes;
  std::vector<std::string> boxes;
  std::vector<int> noteLines;  // 1-based line a note is tied to, 0 when none
  void outputLine(std::string_view text) override {
    notes.emplace_back(text);
    noteLines.push_back(0);
  }
  void outputLineAt(std::string_view text, std::string_view, int line) override {
    notes.emplace_back(text);
    noteLines.push_back(line);
  }
  MessageAnswer messageBox(std::string_view, std::string_view text, MessageButtons,
                           MessageAnswer answer) override {
    boxes.emplace_back(text);
    return answer;
  }
  // Progress calls seen; the user cancels at call number `cancelAt` (1-based).
  int progressCalls = 0;
  int cancelAt = 0;
  std::vector<int> percents;
  bool progress(int percent, std::string_view) override {
    percents.push_back(percent);
    return ++progressCalls != cancelAt;
  }
};

class InputStub : public InputSource {
 public:
  std::int32_t values[200] = {};
  std::int32_t inputValue(int number) override { return values[number]; }
};

struct ScriptRig {
  RecordingHost host;
  MemoryScriptDocuments docs;
  Interpreter interp{host};
  Preprocessor pre{interp};
  PreprocessInput input;

  ScriptRig() {
    interp.setDocuments(&docs);
    input.mainScript = "main.txt";
  }
  explicit ScriptRig(const std::string& main) : ScriptRig() { docs.addFile("main.txt", main); }

  void file(const std::string& name, const std::string& text) { docs.addFile(name, text); }
  void macro(const std::string& name, std::vector<std::string> body, int params) {
    input.macros.push_back({name, std::move(body), params});
  }
  bool preprocess() { return pre.Preprocess(input, false); }
  // Preprocesses and runs frames until one fails; false on a failure.
  bool run(int frames = 1, bool first = false) {
    if (!preprocess()) return false;
    for (int f = 0; f < frames; ++f)
      if (!interp.RunMainFrame(first && f == 0)) return false;
    return true;
  }
  ErrorCode error() const { return interp.errors().GetError(); }
  // 1-based line where the run stopped.
  int line() const { return interp.currentLine() + 1; }
  std::int32_t local(int n) const { return interp.frameVariable(0, kSlotLV0 + n); }
  std::int32_t rv(int n) const { return interp.frameVariable(0, kSlotRV0 + n); }
  std::string notes() const {
    std::string all;
    for (const auto& n : host.notes) all += n + "\n";
    return all;
  }
};

}  // namespace tarvolin::script::test
