// The CommandId numbers the executor dispatches on by name.
#pragma once

#include <cstdint>

namespace tarvolin::script::exec {

enum : std::int32_t {
  If = 0, IfEqual = 1, IfLessOrEqual = 6, IfBetweenOrEqual = 7, IfOutside = 8, IfModEqual = 9,
  IfAndEqual = 10,
  While = 21, WhileEqual = 22, WhileLessOrEqual = 27,
  Else = 28, ElseIf = 29, End = 30, Break = 31, BreakMore = 32,
  Call = 33, CallRet = 34, Return = 35,
  Add = 37, Assign = 38, Negate = 39, Mul = 40, Div = 41, Mod = 42, Sub = 43, Shl = 44, Shr = 45,
  Or = 46, And = 47, Xor = 48, Random = 49, Min = 50, Max = 51, Bounce = 52, Sqrt = 53, Abs = 54,
  Qdist = 55,
  Function = 184, ExternFunction = 185, FunctionGlobal = 186, ExternScript = 187,
  ApplyGlobalSet = 188, Definition = 189,
  Assert = 190, Log = 191, LogFile = 192, DebugIsKeyPressed = 193, DebugGetMousePosition = 194,
  TableDefine = 195, TableDefine2D = 196, TableData = 197, TableFill = 198,
  NoCommand = 199, MacroCall = 200, UndefinedCommand = 201,
};

// Lines the run loop steps over: declarations the preprocessor consumed.
inline bool IsSkippedCommand(std::int32_t id) {
  return id == ExternFunction || id == ExternScript || id == ApplyGlobalSet || id == Definition ||
         (id >= TableDefine && id <= NoCommand);
}

// Commands that open a block: If and the deprecated conditionals, While forms.
inline bool OpensBlock(std::int32_t id) {
  return (id >= If && id <= IfAndEqual) || (id >= While && id <= WhileLessOrEqual);
}

// Commands refused inside a macro body.
inline bool RefusedInMacro(std::int32_t id) {
  return (id >= 0 && id <= 6) || (id >= 21 && id <= 35) || (id >= 184 && id <= 189) ||
         id == MacroCall;
}

}  // namespace tarvolin::script::exec
