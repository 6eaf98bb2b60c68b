// Table blocks: TableDefine / TableDefine2D choose an array, a start record
// and the elements that the following TableData / TableFill lines fill with
// constant values. The first pass of the preprocessor checks and counts;
// the second writes into the array.
#include <cstdarg>
#include <cstdio>

#include "common/text.h"
#include "script/commands.h"
#include "script/exec_arrays.h"

namespace tarvolin::script {

namespace {

std::string Format(const char* format, ...) {
  char buf[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return buf;
}

std::string_view Word(std::string_view text, std::size_t& pos) {
  pos = skipBlanks(text, pos);
  std::size_t e = pos;
  while (e < text.size() && !isBlank(text[e]) && text[e] != ';') ++e;
  const std::string_view w = text.substr(pos, e - pos);
  pos = e;
  return w;
}

// Whether the word at `pos` starts like an immediate (a number, a
// definition or a character).
bool LooksImmediate(std::string_view text, std::size_t pos) {
  pos = skipBlanks(text, pos);
  if (pos >= text.size()) return false;
  const char c = text[pos];
  return (c >= '0' && c <= '9') || c == '-' || c == '#' || c == '\'' || c == '{';
}

// An immediate at `pos`; false with the notes line in `message`.
bool Immediate(std::string_view text, std::size_t& pos, const ParseEnv& env, int lineIndex,
               std::int32_t& value, std::string& message) {
  Operand o;
  ErrorState err;
  if (!ParseBasicOperand(text, pos, env, o, err)) {
    message = Format("ERROR: %s, línea %d", std::string(err.ErrorText()).c_str(), lineIndex + 1);
    return false;
  }
  if (!o.isImmediate()) {
    message = Format("ERROR: %s, línea %d", std::string(MessageFor(12)).c_str(), lineIndex + 1);
    return false;
  }
  value = o.value;
  return true;
}

}  // namespace

void TableBlocks::BeginPass(bool) {
  array_ = -1;
  index_ = y_ = 0;
  elements_.clear();
}

bool TableBlocks::TableLine(const ScriptLine& line, int lineIndex, const ParseEnv& env, bool write,
                            std::string& message) {
  const std::string_view text = line.text;
  const std::size_t pos = std::size_t(line.operandStart);
  switch (line.command) {
    case cmd::TableDefine: return Define(text, pos, lineIndex, env, false, write, message);
    case cmd::TableDefine2D: return Define(text, pos, lineIndex, env, true, write, message);
    case cmd::TableData: return Data(text, pos, lineIndex, env, false, write, message);
    default: return Data(text, pos, lineIndex, env, true, write, message);
  }
}

bool TableBlocks::Define(std::string_view text, std::size_t pos, int lineIndex, const ParseEnv& env,
                         bool twoD, bool, std::string& message) {
  const int line = lineIndex + 1;
  array_ = -1;
  elements_.clear();
  const std::string_view name = Word(text, pos);
  const int array = arrays_.find(name);
  const project::ArrayDef* a = arrays_.at(array);
  if (!a) {
    message = Format("ERROR: %s <%s>, línea %d", std::string(MessageFor(name.empty() ? 124 : 125)).c_str(),
                     std::string(name).c_str(), line);
    return false;
  }
  if (!twoD && a->twoDimensional()) {
    message = Format("ERROR: Utilice 'TableDefine2D' para arreglos 2D, línea %d", line);
    return false;
  }
  if (twoD && !a->twoDimensional()) {
    message = Format("ERROR: Utilice 'TableDefine' para arreglos 1D, línea %d", line);
    return false;
  }
  std::int32_t start = 0;
  if (LooksImmediate(text, pos) && !Immediate(text, pos, env, lineIndex, start, message)) return false;
  if (start < 0 || start >= a->dimX) {
    message = Format("ERROR: El índice está fuera de los límites del arreglo (índice = %d, límites %d), línea %d",
                     start, a->dimX, line);
    return false;
  }
  std::int64_t y = 0;
  if (twoD) {
    std::size_t q = pos;
    const std::string_view word = Word(text, q);
    bool digits = !word.empty();
    for (char c : word) digits = digits && c >= '0' && c <= '9';
    if (!digits || word.size() > 9) {
      message = Format("ERROR: El comando 'TableDefine2D' esperaba un entero (índice Y), línea %d", line);
      return false;
    }
    y = std::stoll(std::string(word));
    pos = q;
    if (y >= a->dimY) {
      message = Format("ERROR: El índice Y está fuera de los límites del arreglo (índice = %d, límites %d), línea %d",
                       int(y), a->dimY, line);
      return false;
    }
  }
  // The elements that data lines fill; none named: all, in record order.
  for (;;) {
    const std::string_view element = Word(text, pos);
    if (element.empty()) break;
    const int e = a->findElement(element);
    if (e < 0) {
      message = Format("ERROR: %s <%s>, línea %d", std::string(MessageFor(127)).c_str(),
                       std::string(element).c_str(), line);
      return false;
    }
    elements_.push_back(e);
  }
  if (elements_.empty())
    for (std::size_t e = 0; e < a->elements.size(); ++e) elements_.push_back(int(e));
  array_ = array;
  index_ = start;
  y_ = y;
  return true;
}

bool TableBlocks::Data(std::string_view text, std::size_t pos, int lineIndex, const ParseEnv& env,
                       bool fill, bool write, std::string& message) {
  const int line = lineIndex + 1;
  const project::ArrayDef* a = arrays_.at(array_);
  if (!a) {
    message = Format("ERROR: Los datos de la tabla necesitan antes 'TableDefine', línea %d", line);
    return false;
  }
  std::int32_t count = 1;
  if (fill) {
    const std::size_t column = skipBlanks(text, pos);
    if (column >= text.size() || text[column] == ';') {
      message = Format("ERROR: Falta el parámetro 'cantidad' de 'TableFill', en columna %d, línea %d",
                       int(column) + 1, line);
      return false;
    }
    if (!Immediate(text, pos, env, lineIndex, count, message)) return false;
  }
  if (index_ >= a->dimX) {
    message = Format("ERROR: El índice está fuera de los límites del arreglo (índice = %d, límites %d), línea %d",
                     int(index_), a->dimX, line);
    return false;
  }
  if (fill && (count < 1 || index_ + count - 1 >= a->dimX)) {
    message = Format("ERROR: El índice está fuera de los límites de la tabla (cantidad = %d, índice = %d, "
                     "límites %d), línea %d",
                     count, int(index_), a->dimX, line);
    return false;
  }
  // One record's values: one per element, three per vector, twelve per matrix.
  std::vector<std::int32_t> values;
  std::size_t needed = 0;
  for (int e : elements_) needed += std::size_t(project::elementValueCount(a->elements[std::size_t(e)].type));
  for (;;) {
    const std::size_t p = skipBlanks(text, pos);
    if (p >= text.size() || text[p] == ';') break;
    if (values.size() == needed) {
      message = Format("ERROR: Se hallaron más elementos de datos de los definidos en 'TableDefine', línea %d", line);
      return false;
    }
    std::int32_t v = 0;
    if (!Immediate(text, pos, env, lineIndex, v, message)) return false;
    values.push_back(v);
  }
  if (values.size() < needed) {
    message = Format("ERROR: No se hallaron suficientes elementos de datos para rellenar los elementos del "
                     "arreglo definidos en 'TableDefine', línea %d",
                     line);
    return false;
  }
  std::size_t k = 0;
  for (int e : elements_) {
    const int type = a->elements[std::size_t(e)].type;
    const int n = project::elementValueCount(type);
    if (n == 1 && !project::elementValueFits(type, values[k])) {
      message = Format("ERROR: El elemento %d tiene un valor que está fuera del rango designado, línea %d",
                       values[k], line);
      return false;
    }
    k += std::size_t(n);
  }
  if (write) {
    for (std::int32_t r = 0; r < count; ++r) {
      k = 0;
      for (int e : elements_) {
        ErrorState err;
        if (!arrays_.setValues(array_, e, index_ + r, a->twoDimensional() ? y_ : 0, &values[k], err, true)) {
          message = Format("ERROR: %s, línea %d", std::string(err.ErrorText()).c_str(), line);
          return false;
        }
        k += std::size_t(project::elementValueCount(a->elements[std::size_t(e)].type));
      }
    }
  }
  index_ += count;
  return true;
}

}  // namespace tarvolin::script
