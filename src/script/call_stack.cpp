// The call stack as the debugger sees it: each frame's function, the line it
// is at and its fourteen variables, and writing a variable while stopped.
#include <string_view>

#include "common/text.h"
#include "script/interpreter.h"

namespace tarvolin::script {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// The name a declaration line gives ("Function Name 2" gives "Name"), for a
// function the tables no longer list (preprocessed since the call); empty
// when the line declares nothing any more.
std::string DeclaredName(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const std::size_t word = i;
  while (i < text.size() && !IsBlank(text[i])) ++i;
  const std::string_view command = text.substr(word, i - word);
  if (!equalsIgnoreCase(command, "Function") && !equalsIgnoreCase(command, "FunctionGlobal"))
    return {};
  while (i < text.size() && IsBlank(text[i])) ++i;
  const std::size_t start = i;
  while (i < text.size() && !IsBlank(text[i])) ++i;
  return std::string(text.substr(start, i - start));
}

}  // namespace

std::vector<StackFrameView> Interpreter::CallStack() const {
  std::vector<StackFrameView> stack;
  if (!running_ && !failedRun_) return stack;
  auto nameOf = [&](const CallFrame& f) -> std::string {
    if (f.functionLine < 0) return {};
    if (f.functionScript >= 0 && f.functionScript < static_cast<int>(tables_.scripts.size()))
      for (const ScriptFunction& fn : tables_.scripts[static_cast<std::size_t>(f.functionScript)].functions)
        if (!fn.copied && fn.line == f.functionLine) return fn.name;
    for (const ScriptFunction& fn : tables_.globals)
      if (fn.script == f.functionScript && fn.line == f.functionLine) return fn.name;
    if (docs_ && f.functionScript >= 0 && f.functionScript < docs_->count())
      return DeclaredName(docs_->at(f.functionScript).line(f.functionLine));
    return {};
  };
  for (int d = 0; d <= depth_; ++d) {
    const CallFrame& f = frames_[d];
    StackFrameView view;
    view.depth = d;
    view.function = nameOf(f);
    if (d == depth_) {
      view.script = curScript_;
      view.line = pc_;
    } else {
      view.script = frames_[d + 1].returnScript;
      view.line = frames_[d + 1].returnLine;
    }
    for (int slot = 0; slot < kFrameSlots; ++slot) view.vars[static_cast<std::size_t>(slot)] = f.vars[slot];
    stack.push_back(std::move(view));
  }
  return stack;
}

bool Interpreter::SetFrameVariable(int depth, int slot, std::int32_t value) {
  if (!stoppedInRun() || depth < 0 || depth > depth_ || slot < 0 || slot >= kFrameSlots) return false;
  frames_[depth].vars[slot] = value;
  return true;
}

}  // namespace tarvolin::script
