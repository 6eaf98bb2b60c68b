// The cached form of one script line: its text, its classification and its
// decoded operands. A line is classified and parsed the first time it runs;
// later runs only evaluate the decoded operands.
#pragma once

#include <cstdint>
#include <string>

#include "script/exec_operand.h"
#include "script/operand.h"

namespace tarvolin::script {

class CommandFamily;

inline constexpr int kMaxLineOperands = 11;  // a function and ten arguments

// Where the function of a Call / CallRet line comes from.
enum class CallTarget : std::uint8_t {
  None,          // not resolved
  Global,        // index into the global function list
  Script,        // index into the calling script's function table
  Value,         // ops[0] evaluates to an index into the script's table
};

// A part of a line's text: [begin, end).
struct TextSpan {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
};

struct ScriptLine {
  enum Flags : std::uint8_t {
    kLoaded = 1,      // text copied from the document
    kClassified = 2,  // command, operand start and leading variable valid
    kParsed = 4,      // operands valid
    kHasLeading = 8,  // a variable stands before the command name
    kSkipped = 16,    // a declaration the run loop steps over
    kWholeLine = 32,  // the family parses and runs the line itself
  };

  std::string text;
  std::int32_t command = 0;
  std::int32_t operandStart = 0;
  std::uint8_t flags = 0;
  std::uint8_t count = 0;   // operands in ops
  std::uint8_t lop = 0;     // comparison operator (If, While, ElseIf, Assert)
  CallTarget target = CallTarget::None;
  std::int32_t targetIndex = -1;  // function index for Global / Script targets
  std::int32_t aux = 0;           // command-specific (macro index, Log text end)
  // The family that carries the command out, found when the line is parsed,
  // and which of its operands receive results (bit i: ops[i] is a V).
  CommandFamily* family = nullptr;
  std::uint16_t results = 0;
  // Log / LogFile: the quoted format and file name, found by the parse.
  TextSpan format, file;
  Operand leading;
  OperandWord leadingWord = 0;  // as parsed (a macro call binds it)
  Operand ops[kMaxLineOperands];
  OperandWord words[kMaxLineOperands] = {};  // as parsed (a macro call binds them)

  bool loaded() const { return flags & kLoaded; }
  bool classified() const { return flags & kClassified; }
  bool parsed() const { return flags & kParsed; }
  bool hasLeading() const { return flags & kHasLeading; }
  // Forgets everything, so the next fetch copies the text again.
  void reset() { *this = ScriptLine(); }
};

}  // namespace tarvolin::script
