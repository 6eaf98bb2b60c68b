#include "script/operand.h"

namespace tarvolin::script {

namespace {

// The index of an array element variable: an immediate, or a basic variable
// with its offset.
bool ArrayIndex(const ArrayRef& ref, const VariableStore& store, std::int32_t& index) {
  if (!ref.indexIsVariable) {
    index = ref.index;
    return true;
  }
  std::int32_t v = 0;
  if (!EvaluateOperand(MakeVariable(std::uint32_t(ref.indexVariable)), store, v)) return false;
  index = std::int32_t(std::uint32_t(v) + std::uint32_t(ref.offset));
  return true;
}

}  // namespace

bool EvaluateSlowVariable(std::uint32_t number, const VariableStore& store, std::int32_t& value) {
  value = 0;
  if (number >= std::uint32_t(kVarMacro0) && number < std::uint32_t(kVarMacro0 + kMacroParameterCount)) {
    if (!store.macroParameters) return true;
    // A bound word never refers to a macro parameter itself (macros do not
    // call macros); evaluate it without them so a bad binding cannot loop.
    VariableStore outer = store;
    outer.macroParameters = nullptr;
    return EvaluateOperand(store.macroParameters[number - kVarMacro0], outer, value);
  }
  if (number >= std::uint32_t(kVarInput0) && number < std::uint32_t(kVarInputEnd)) {
    if (store.source) value = store.source->ReadInput(int(number));
    return true;
  }
  if (number >= std::uint32_t(kVarArray0)) {
    if (!store.source || !store.errors) return true;
    const ArrayRef ref = UnpackArrayRef(number - kVarArray0);
    std::int32_t index = 0;
    if (!ArrayIndex(ref, store, index)) return false;
    return store.source->ReadArrayElement(ref.array, ref.element, index, value, *store.errors);
  }
  return true;  // unused numbers read as 0
}

bool StoreToVariable(OperandWord word, std::int32_t value, const VariableStore& store) {
  if (IsImmediate(word)) {
    if (store.errors) store.errors->SetError(err::kVariableExpected);
    return false;
  }
  const std::uint32_t number = VariableNumber(word);
  if (number < kFrameVariableCount) {
    store.frame[number] = value;
    return true;
  }
  if (number - kVarGlobal0 < std::uint32_t(kGlobalCount)) {
    *store.globals[number - kVarGlobal0] = value;
    return true;
  }
  if (number >= std::uint32_t(kVarMacro0) && number < std::uint32_t(kVarMacro0 + kMacroParameterCount)) {
    if (!store.macroParameters) return true;
    const OperandWord bound = store.macroParameters[number - kVarMacro0];
    VariableStore outer = store;
    outer.macroParameters = nullptr;
    if (IsImmediate(bound) || (IsVariable(bound) && VariableNumber(bound) >= std::uint32_t(kVarMacro0) &&
                               VariableNumber(bound) < std::uint32_t(kVarMacro0 + kMacroParameterCount))) {
      if (store.errors) store.errors->SetError(err::kVariableExpected);
      return false;
    }
    return StoreToVariable(bound, value, outer);
  }
  if (number >= std::uint32_t(kVarArray0)) {
    if (!store.source || !store.errors) return true;
    const ArrayRef ref = UnpackArrayRef(number - kVarArray0);
    std::int32_t index = 0;
    if (!ArrayIndex(ref, store, index)) return false;
    return store.source->WriteArrayElement(ref.array, ref.element, index, value, *store.errors);
  }
  return true;  // input functions and unused numbers hold nothing
}

bool RefersToImmediate(OperandWord word, const OperandWord* macroParameters) {
  if (IsImmediate(word)) return true;
  if (!macroParameters || IsExtended(word)) return false;
  const std::uint32_t number = VariableNumber(word);
  if (number < std::uint32_t(kVarMacro0) || number >= std::uint32_t(kVarMacro0 + kMacroParameterCount))
    return false;
  return IsImmediate(macroParameters[number - kVarMacro0]);
}

}  // namespace tarvolin::script
