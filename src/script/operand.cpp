#include "script/operand.h"

namespace tarvolin::script {

bool RefersToImmediate(OperandWord word, const OperandWord* macroParameters) {
  if (IsImmediate(word)) return true;
  if (!macroParameters || IsExtended(word)) return false;
  const std::uint32_t number = VariableNumber(word);
  if (number < std::uint32_t(kVarMacro0) || number >= std::uint32_t(kVarMacro0 + kMacroParameterCount))
    return false;
  return IsImmediate(macroParameters[number - kVarMacro0]);
}

}  // namespace tarvolin::script
