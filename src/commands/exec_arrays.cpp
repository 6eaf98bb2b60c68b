#include "commands/exec_arrays.h"

#include "common/text.h"
#include "project/array_math.h"
#include "script/commands.h"
#include "script/line_parse.h"
#include "script/operand.h"
#include "script/vocabulary.h"

namespace tarvolin::commands {

using namespace script;

namespace {

using project::ArrayDef;

bool Fail(ErrorState& err, ErrorCode code) {
  err.SetError(code);
  return false;
}

// An array.element operand comes as an immediate: array * 4096 + element.
constexpr int ArrayOf(std::int32_t packed) { return packed / 4096; }
constexpr int ElementOf(std::int32_t packed) { return packed % 4096; }

std::int32_t TypeOf(const ArrayDef& a, int element) {
  return a.elements[std::size_t(element)].type;
}

// The word at `pos` (up to a blank or ";").
std::string_view Token(std::string_view text, std::size_t pos) {
  std::size_t e = pos;
  while (e < text.size() && !isBlank(text[e]) && text[e] != ';') ++e;
  return text.substr(pos, e - pos);
}

}  // namespace

void ArrayCommands::Attach(Interpreter& interp, Preprocessor& preprocessor) {
  interp.setFamily(this);
  interp.setArrays(this);
  interp.setIterationHandler(this);
  preprocessor.setTableArrays(this);
}

// ---- the family ------------------------------------------------------------------

bool ArrayCommands::Handles(std::int32_t command) const {
  return GroupOf(command) == CommandGroup::Arrays;
}

int ArrayCommands::FindAsset(AssetKind kind, std::string_view name) const {
  if (kind == AssetKind::Array) return arrays_.find(name);
  if (kind == AssetKind::Resource && resources_) return resources_->FindResource(name);
  return -1;
}

bool ArrayCommands::Execute(std::int32_t, const std::int32_t*, int, std::int32_t*, int&, ErrorState& err) {
  return Fail(err, err::kUnknownCommand);  // the lines run whole (RunLine)
}

bool ArrayCommands::IsSystemArray(int array) const {
  const ArrayDef* a = arrays_.at(array);
  return a && a->system;
}

int ArrayCommands::FindArrayElement(int array, std::string_view element) const {
  const ArrayDef* a = arrays_.at(array);
  return a ? a->findElement(element) : -1;
}

// The operands, one slot each in the order of the command's signature:
// arrays, attributes, operators, array elements (array * 4096 + element),
// functions and resources as immediates of their numbers where named.
bool ArrayCommands::ParseLine(Interpreter& interp, ScriptLine& line, const ParseEnv& env) {
  ErrorState& err = interp.errors();
  const std::string_view text = line.text;
  std::size_t pos = std::size_t(line.operandStart);
  const std::string_view kinds = OperandKinds(line.command);
  // An iteration leaves the line for the function's body; a macro body
  // would run its remaining lines first, so it may not iterate.
  if (env.inMacro && (line.command == cmd::Array2DIterate || line.command == cmd::Array2DIterateTable))
    return Fail(err, err::kMacroCommandNotAllowed);
  int n = 0;
  line.aux = 0;  // array and resource operands given by a macro parameter, one bit each
  for (const char kind : kinds) {
    if (n >= kMaxLineOperands) return Fail(err, err::kExtraText);
    Operand& o = line.ops[n];
    OperandWord& word = line.words[n];  // kept: a macro call binds its parameters again
    word = 0;
    const std::size_t p = skipBlanks(text, pos);
    const bool missing = p >= text.size() || text[p] == ';';
    const std::string_view token = missing ? std::string_view() : Token(text, p);
    switch (kind) {
      case 'a': {
        if (missing) return Fail(err, err::kMissingArrayName);
        const int array = arrays_.find(token);
        if (array >= 0) {
          o = Operand::Immediate(array);
          pos = p + token.size();
        } else if (!ParseValueOperand(text, pos, env, o, err, &word)) {
          if (err.GetError() == err::kUnknownParameter) err.SetError(err::kUnknownArray);
          return false;
        } else if (env.inMacro && IsMacroParameterWord(word)) {
          line.aux |= 1 << n;
        }
        break;
      }
      case 'e': {
        if (missing) return Fail(err, err::kBadArrayElementFormat);
        const std::size_t dot = token.find('.');
        if (dot == std::string_view::npos || token.find('[') != std::string_view::npos) return Fail(err, err::kBadArrayElementFormat);
        const int array = arrays_.find(token.substr(0, dot));
        if (array < 0) return Fail(err, err::kUnknownArray);
        const int element = arrays_.at(array)->findElement(token.substr(dot + 1));
        if (element < 0) return Fail(err, err::kUnknownArrayElement);
        o = Operand::Immediate(array * 4096 + element);
        pos = p + token.size();
        break;
      }
      case 'Z':
        if (!ParseAttributeOperand(AttributeTable::MemSize, text, pos, env, o, err)) return false;
        break;
      case 'S': {
        int lop = 0;
        if (!ParseComparison(text, pos, env, lop, err)) return false;
        if (IsTripleOp(lop)) return Fail(err, err::kTripleOperatorInSearch);
        o = Operand::Immediate(lop);
        break;
      }
      case 'F': {
        if (missing) return Fail(err, err::kUndefinedFunction);
        // A name is looked up as Call looks it up: the global functions
        // first, then the script's own; a value numbers the script's own.
        const int global = env.tables->FindGlobalIndex(token);
        const int index = global >= 0 ? global : env.tables->FindScriptIndex(env.script, token);
        if (index >= 0) {
          line.target = global >= 0 ? CallTarget::Global : CallTarget::Script;
          o = Operand::Immediate(index);
          pos = p + token.size();
          break;
        }
        line.target = CallTarget::Value;
        if (!ParseValueOperand(text, pos, env, o, err, &word)) {
          if (err.GetError() == err::kUnknownParameter) err.SetError(err::kUndefinedFunction);
          return false;
        }
        // A number naming no function is refused where it runs.
        const auto& functions = env.tables->scripts[std::size_t(env.script)].functions;
        if (o.isImmediate() && env.executing && o.value >= 0 && std::size_t(o.value) >= functions.size())
          return Fail(err, err::kFunctionIndexOutOfRange);
        break;
      }
      case 'r': {
        if (missing) return Fail(err, err::kMissingResourceName);
        const int resource = resources_ ? resources_->FindResource(token) : -1;
        if (resource >= 0) {
          o = Operand::Immediate(resource);
          pos = p + token.size();
        } else if (!ParseValueOperand(text, pos, env, o, err, &word)) {
          return false;
        } else if (env.inMacro && IsMacroParameterWord(word)) {
          line.aux |= 1 << n;
        }
        break;
      }
      case 'V':
        if (!ParseVariableOperand(text, pos, env, o, err, &word)) return false;
        break;
      default:  // 'P'
        if (!ParseValueOperand(text, pos, env, o, err, &word)) return false;
        break;
    }
    ++n;
  }
  line.count = std::uint8_t(n);
  if (!AtLineEnd(text, pos)) return Fail(err, err::kExtraText);
  return true;
}

// ---- names and table blocks ------------------------------------------------------

bool ArrayCommands::Is2D(int array) const {
  const ArrayDef* a = arrays_.at(array);
  return a && a->twoDimensional();
}
int ArrayCommands::DimX(int array) const {
  const ArrayDef* a = arrays_.at(array);
  return a ? a->dimX : 0;
}
int ArrayCommands::DimY(int array) const {
  const ArrayDef* a = arrays_.at(array);
  return a && a->twoDimensional() ? a->dimY : 0;
}
int ArrayCommands::FindElement(int array, std::string_view name) const {
  const ArrayDef* a = arrays_.at(array);
  return a ? a->findElement(name) : -1;
}
int ArrayCommands::ElementType(int array, int element) const {
  const ArrayDef* a = arrays_.at(array);
  if (!a || element < 0 || std::size_t(element) >= a->elements.size()) return -1;
  return a->elements[std::size_t(element)].type;
}
void ArrayCommands::WriteElement(int array, int x, int y, int element, const std::int32_t* values, int) {
  // Tables take their constant data even when scripts may not write them.
  // A record beyond the storage (an array that could not be placed) takes
  // nothing.
  ErrorState ignored;
  arrays_.setValues(array, element, x, Is2D(array) ? y : 0, values, ignored, true);
}

bool ArrayCommands::read(std::int32_t ref, std::int32_t index, std::int32_t& value, ErrorState& err) {
  const ArrayRef r = UnpackArrayRef(std::uint32_t(ref));
  const ArrayDef* a = arrays_.at(r.array);
  if (!a) return Fail(err, err::kBadArrayId);
  if (a->twoDimensional()) return Fail(err, err::kArrayVariableNot1D);
  if (index < 0 || index >= a->dimX) return Fail(err, err::kArrayVariableIndexOutOfRange);
  if (arrays_.getElement(r.array, r.element, index, 0, value, err)) return true;
  if (err.GetError() == err::kArrayIndexOutOfRange) err.SetError(err::kArrayVariableIndexOutOfRange);
  return false;
}

bool ArrayCommands::write(std::int32_t ref, std::int32_t index, std::int32_t value, ErrorState& err) {
  const ArrayRef r = UnpackArrayRef(std::uint32_t(ref));
  const ArrayDef* a = arrays_.at(r.array);
  if (!a) return Fail(err, err::kBadArrayId);
  if (a->twoDimensional()) return Fail(err, err::kArrayVariableNot1D);
  if (index < 0 || index >= a->dimX) return Fail(err, err::kArrayVariableIndexOutOfRange);
  if (arrays_.setElement(r.array, r.element, index, 0, value, err)) return true;
  if (err.GetError() == err::kArrayIndexOutOfRange) err.SetError(err::kArrayVariableIndexOutOfRange);
  return false;
}

// ---- execution ------------------------------------------------------------------------

// Inside a macro, an array or resource index taken from a parameter that
// names no such asset is reported as the macro's own error, 159.
bool ArrayCommands::RunLine(Interpreter& interp, ScriptLine& line) {
  std::int32_t p[kMaxLineOperands] = {};
  if (RunOperands(interp, line, p)) return true;
  ErrorState& err = interp.errors();
  const std::string_view kinds = OperandKinds(line.command);
  for (int i = 0; line.aux && i < line.count && std::size_t(i) < kinds.size(); ++i) {
    if (!(line.aux >> i & 1)) continue;
    const char kind = kinds[std::size_t(i)];
    const bool noArray = kind == 'a' && err.GetError() == err::kBadArrayId && (p[i] < 0 || p[i] >= arrays_.count());
    const bool noResource = kind == 'r' && err.GetError() == err::kResourceIndexOutOfRange;
    if (noArray || noResource) {
      err.SetError(err::kMacroResourceIndexOutOfRange);
      break;
    }
  }
  return false;
}

bool ArrayCommands::RunOperands(Interpreter& interp, ScriptLine& line, std::int32_t* p) {
  ErrorState& err = interp.errors();
  // The operands in the order of the command's signature.
  const std::string_view kinds = OperandKinds(line.command);
  if (kinds.size() != line.count || line.count > kMaxLineOperands) return Fail(err, err::kUnknownCommand);
  // Values of every operand that is read (variables that only receive a
  // result are not); arrays are checked against the list.
  for (int i = 0; i < line.count; ++i) {
    const char kind = kinds[std::size_t(i)];
    if (kind == 'V' && line.command != cmd::ArrayBlockPeek && line.command != cmd::ArrayBlockPoke)
      continue;
    if (!interp.Evaluate(line.ops[i], p[i])) return false;
    if (kind == 'a' && (p[i] < 0 || p[i] >= arrays_.count())) return Fail(err, err::kBadArrayId);
    if (kind == 'e') {
      // The definitions may have changed since the line was parsed.
      const ArrayDef* a = arrays_.at(ArrayOf(p[i]));
      if (!a) return Fail(err, err::kBadArrayId);
      if (std::size_t(ElementOf(p[i])) >= a->elements.size()) return Fail(err, err::kUnknownArrayElement);
    }
  }
  auto store = [&](int slot, std::int32_t value) { return interp.StoreResult(line.ops[slot], value); };
  const ArrayDef* first = nullptr;
  if (kinds[0] == 'a') first = arrays_.at(p[0]);
  auto elementArray = [&](int slot) { return ArrayOf(p[slot]); };
  auto elementIndex = [&](int slot) { return ElementOf(p[slot]); };
  auto need3D = [&](int slot, int type) {
    const ArrayDef* a = arrays_.at(elementArray(slot));
    return a && TypeOf(*a, elementIndex(slot)) == type;
  };

  switch (line.command) {
    case cmd::ArrayPeek: {
      std::int32_t v = 0;
      return arrays_.peek(p[0], p[1], p[2], v, err) && store(3, v);
    }
    case cmd::ArrayPoke: return arrays_.poke(p[0], p[1], p[2], p[3], err);
    case cmd::ArrayGetSize: return store(1, std::int32_t(first->totalSize));
    case cmd::ArrayGetDimensionX: return store(1, first->dimX);
    case cmd::ArrayGetDimensionY: return store(1, first->twoDimensional() ? first->dimY : 0);
    case cmd::ArrayGetInstanceSize: return store(1, first->recordSize);
    case cmd::ArrayClear:
      if (!arrays_.clearBytes(p[0], p[1], err)) return false;
      interp.AddMovedBytes(line.command, first->totalSize);
      return true;
    case cmd::ArrayBlockPeek:
    case cmd::ArrayBlockPoke: {
      const int other = p[3];
      if (other < 0 || other >= arrays_.count()) return Fail(err, err::kBadArrayId);
      std::int32_t offset = p[4];
      if (!arrays_.blockCopy(p[0], p[1], p[2], other, offset, line.command == cmd::ArrayBlockPeek,
                             p[5] != 0, err))
        return false;
      return store(4, offset);
    }
    case cmd::Array1DGetElement: {
      std::int32_t v = 0;
      const ArrayDef* a = arrays_.at(elementArray(0));
      if (a->twoDimensional()) return Fail(err, err::kWrongArrayDimensions);
      return arrays_.getElement(elementArray(0), elementIndex(0), p[1], 0, v, err) && store(2, v);
    }
    case cmd::Array1DSetElement: {
      const ArrayDef* a = arrays_.at(elementArray(0));
      if (a->twoDimensional()) return Fail(err, err::kWrongArrayDimensions);
      return arrays_.setElement(elementArray(0), elementIndex(0), p[1], 0, p[2], err);
    }
    case cmd::Array2DGetElement: {
      std::int32_t v = 0;
      const ArrayDef* a = arrays_.at(elementArray(0));
      if (!a->twoDimensional()) return Fail(err, err::kWrongArrayDimensions);
      return arrays_.getElement(elementArray(0), elementIndex(0), p[1], p[2], v, err) && store(3, v);
    }
    case cmd::Array2DSetElement: {
      const ArrayDef* a = arrays_.at(elementArray(0));
      if (!a->twoDimensional()) return Fail(err, err::kWrongArrayDimensions);
      return arrays_.setElement(elementArray(0), elementIndex(0), p[1], p[2], p[3], err);
    }
    case cmd::Array1DIndexCopy: return arrays_.copyRecord(p[0], p[1], p[2], err);
    case cmd::Array1DSwap: return arrays_.swapRecords(p[0], p[1], p[2], err);
    case cmd::Array1DSort:
      return arrays_.sortRecords(elementArray(0), elementIndex(0), p[1], p[2], p[3], err);
    case cmd::Array1DFind: {
      std::int32_t found = -1;
      const std::int32_t lop = p[3], wanted = p[4];
      auto matches = [&](std::int32_t v) { return Compare(lop, v, wanted, 0); };
      return arrays_.find1D(elementArray(2), elementIndex(2), p[0], p[1], matches, found, err) &&
             store(5, found);
    }
    case cmd::Array2DFind: {
      std::int32_t fx = -1, fy = -1;
      const std::int32_t lop = p[6], wanted = p[7];
      auto matches = [&](std::int32_t v) { return Compare(lop, v, wanted, 0); };
      return arrays_.find2D(elementArray(5), elementIndex(5), p[0], p[1], p[2], p[3], p[4], matches,
                            fx, fy, err) &&
             store(8, fx) && store(9, fy);
    }
    case cmd::Array1DCopy:
    case cmd::Array2DCopy:
      if (!arrays_.copyArray(p[0], p[1], line.command == cmd::Array2DCopy, err)) return false;
      interp.AddMovedBytes(line.command, first->totalSize);
      return true;
    case cmd::Array1DSave: return DataFile(interp, line, p, false, true);
    case cmd::Array1DLoad: return DataFile(interp, line, p, false, false);
    case cmd::Array2DSave: return DataFile(interp, line, p, true, true);
    case cmd::Array2DLoad: return DataFile(interp, line, p, true, false);
    case cmd::Array2DIterate:
    case cmd::Array2DIterateTable: return StartIteration(interp, line, p);

    case cmd::MatrixIdentity: {
      if (!need3D(0, project::kMatrix)) return Fail(err, err::kWrong3DType);
      const project::Matrix34 m = project::matrixIdentity();
      return arrays_.setValues(elementArray(0), elementIndex(0), p[1], 0, m.m, err);
    }
    case cmd::MatrixRotate:
    case cmd::MatrixTranslate:
    case cmd::MatrixScale: {
      if (!need3D(0, project::kMatrix)) return Fail(err, err::kWrong3DType);
      project::Matrix34 m{};
      if (!arrays_.getValues(elementArray(0), elementIndex(0), p[1], 0, m.m, err)) return false;
      project::Matrix34 step{};
      if (line.command == cmd::MatrixScale) {
        step = project::matrixScaling(p[2], p[3], p[4]);
      } else {
        const int vecSlot = line.command == cmd::MatrixRotate ? 3 : 2;
        if (!need3D(vecSlot, project::kVector)) return Fail(err, err::kWrong3DType);
        project::Vector3 v{};
        if (!arrays_.getValues(elementArray(vecSlot), elementIndex(vecSlot), p[vecSlot + 1], 0, v.v, err))
          return false;
        step = line.command == cmd::MatrixRotate ? project::matrixRotation(p[2], v)
                                                 : project::matrixTranslation(v);
      }
      const project::Matrix34 r = project::matrixMultiply(step, m);
      return arrays_.setValues(elementArray(0), elementIndex(0), p[1], 0, r.m, err);
    }
    case cmd::MatrixApplyToVector: {
      if (!need3D(0, project::kVector) || !need3D(2, project::kVector) || !need3D(4, project::kMatrix))
        return Fail(err, err::kWrong3DType);
      project::Vector3 v{};
      project::Matrix34 m{};
      if (!arrays_.getValues(elementArray(2), elementIndex(2), p[3], 0, v.v, err) ||
          !arrays_.getValues(elementArray(4), elementIndex(4), p[5], 0, m.m, err))
        return false;
      const project::Vector3 r = project::matrixApply(m, v);
      return arrays_.setValues(elementArray(0), elementIndex(0), p[1], 0, r.v, err);
    }
    case cmd::VectorGet: {
      if (!need3D(0, project::kVector)) return Fail(err, err::kWrong3DType);
      project::Vector3 v{};
      return arrays_.getValues(elementArray(0), elementIndex(0), p[1], 0, v.v, err) && store(2, v.v[0]) &&
             store(3, v.v[1]) && store(4, v.v[2]);
    }
    case cmd::VectorSet: {
      if (!need3D(0, project::kVector)) return Fail(err, err::kWrong3DType);
      const std::int32_t v[3] = {p[2], p[3], p[4]};
      return arrays_.setValues(elementArray(0), elementIndex(0), p[1], 0, v, err);
    }
    default: return Fail(err, err::kUnknownCommand);
  }
}

bool ArrayCommands::DataFile(Interpreter& interp, ScriptLine&, const std::int32_t* p, bool twoD,
                             bool save) {
  ErrorState& err = interp.errors();
  const ArrayDef* a = arrays_.at(p[1]);
  if (a->twoDimensional() != twoD) return Fail(err, err::kWrongArrayDimensions);
  if (!save && a->readOnly()) return Fail(err, err::kArrayReadOnly);
  if (!resources_) return Fail(err, err::kResourceIndexOutOfRange);
  std::string path;
  bool cancelled = false;
  if (!resources_->ResolveFile(p[0], !save, path, cancelled, err)) {
    if (!cancelled) return false;
    // A cancelled file choice: the 2D forms do nothing; the 1D forms go on
    // with the resource's own file, which the resolver leaves in `path`.
    if (twoD) return true;
    if (path.empty()) return Fail(err, save ? err::kArraySaveFailed : err::kArrayLoadFailed);
  }
  if (save) return arrays_.saveData(p[1], twoD, path, err);
  if (!arrays_.loadData(p[1], twoD, path, err)) return false;
  interp.AddMovedBytes(twoD ? cmd::Array2DLoad : cmd::Array1DLoad, a->totalSize);
  return true;
}

// ---- iteration ------------------------------------------------------------------------------

const ScriptFunction* ArrayCommands::FunctionAt(Interpreter& interp, int script, bool global,
                                                std::int32_t index) const {
  const ScriptTables& t = interp.tables();
  if (global) return index >= 0 && std::size_t(index) < t.globals.size() ? &t.globals[std::size_t(index)] : nullptr;
  if (script < 0 || std::size_t(script) >= t.scripts.size()) return nullptr;
  const auto& functions = t.scripts[std::size_t(script)].functions;
  if (index < 0 || std::size_t(index) >= functions.size()) return nullptr;
  return &functions[std::size_t(index)];
}

bool ArrayCommands::StartIteration(Interpreter& interp, ScriptLine& line, const std::int32_t* p) {
  ErrorState& err = interp.errors();
  const bool table = line.command == cmd::Array2DIterateTable;
  Iteration it{};
  it.depth = interp.callDepth();
  it.script = interp.currentScript();
  it.array = table ? ArrayOf(p[0]) : p[0];
  it.element = table ? ElementOf(p[0]) : -1;
  it.table = table ? ArrayOf(p[5]) : -1;
  it.tableElement = table ? ElementOf(p[5]) : -1;
  it.x0 = p[1];
  it.y0 = p[2];
  it.width = p[3];
  it.height = p[4];
  it.x = it.x0;
  it.y = it.y0;
  if (!table) {
    // The function: its number in the script's function table. It is looked
    // up again for every call, as the editor may change the table while a
    // paused game waits inside the function.
    it.function = p[5];
    it.global = line.target == CallTarget::Global;
    const ScriptFunction* fn = FunctionAt(interp, it.script, it.global, it.function);
    if (!fn) return Fail(err, err::kIterationFunctionUnknown);
    if (fn->params != 3) return Fail(err, err::kIterationFunctionParameters);
  } else {
    const ArrayDef* functions = arrays_.at(it.table);
    if (functions->twoDimensional()) return Fail(err, err::kWrongArrayDimensions);
  }
  const ArrayDef* a = arrays_.at(it.array);
  if (it.width <= 0 || it.height <= 0) return true;  // nothing to visit
  // Every record of the block must exist before the first call.
  const std::int64_t lastX = std::int64_t(it.x0) + it.width - 1, lastY = std::int64_t(it.y0) + it.height - 1;
  const std::int64_t rows = a->twoDimensional() ? a->dimY : 1;
  if (it.x0 < 0 || it.y0 < 0 || lastX >= a->dimX || lastY >= rows) return Fail(err, err::kArrayIndexOutOfRange);
  // Iterations left by an error or a reset at this depth are stale.
  while (!iterations_.empty() && iterations_.back().depth >= it.depth) iterations_.pop_back();
  iterations_.push_back(it);
  if (!CallNext(interp, iterations_.back())) {
    iterations_.pop_back();
    return false;
  }
  return true;
}

bool ArrayCommands::CallNext(Interpreter& interp, Iteration& it) {
  ErrorState& err = interp.errors();
  std::int32_t args[3] = {0, it.x, it.y};
  const ArrayDef* a = arrays_.at(it.array);
  if (!a) return Fail(err, err::kBadArrayId);
  std::int32_t number = it.function;
  if (it.element < 0) {
    args[0] = it.x + it.y * a->dimX;
  } else {
    if (!arrays_.getElement(it.array, it.element, it.x, a->twoDimensional() ? it.y : 0, args[0], err))
      return false;
    // The function for this value, from the table of functions.
    if (!arrays_.getElement(it.table, it.tableElement, args[0], 0, number, err)) return false;
  }
  const ScriptFunction* fn = FunctionAt(interp, it.script, it.global, number);
  if (!fn) return Fail(err, err::kIterationFunctionUnknown);
  if (fn->params != 3) return Fail(err, err::kIterationFunctionParameters);
  return interp.CallFunction(*fn, args, 3, false, true);
}

bool ArrayCommands::NextElement(Interpreter& interp) {
  // The iteration whose line the returning call came back to.
  while (!iterations_.empty() && iterations_.back().depth > interp.callDepth()) iterations_.pop_back();
  if (iterations_.empty() || iterations_.back().depth != interp.callDepth()) return true;
  Iteration& it = iterations_.back();
  if (++it.x >= it.x0 + it.width) {
    it.x = it.x0;
    ++it.y;
  }
  if (it.y >= it.y0 + it.height) {
    iterations_.pop_back();
    return true;  // done: execution goes on after the iterating line
  }
  if (!CallNext(interp, it)) {
    iterations_.pop_back();
    return false;
  }
  return true;
}

}  // namespace tarvolin::commands
