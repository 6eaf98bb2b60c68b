// Table blocks: TableDefine / TableDefine2D select an array and the elements
// that the following TableData / TableFill lines fill, record by record. The
// first pass checks and counts; the second writes the data.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "script/commands.h"
#include "script/exec_operands.h"
#include "script/preprocessor.h"

namespace tarvolin::script {

namespace {

std::string Printf(const char* fmt, int a, int b = 0, int c = 0, int d = 0) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, a, b, c, d);
  return buf;
}

std::string_view NextWord(std::string_view text, std::size_t& pos) {
  const std::size_t p = skipBlanks(text, pos);
  std::size_t e = p;
  while (e < text.size() && !isBlank(text[e]) && text[e] != ';') ++e;
  pos = e;
  return text.substr(p, e - p);
}

bool IsDecimal(std::string_view w) {
  std::size_t i = (!w.empty() && (w[0] == '-' || w[0] == '+')) ? 1 : 0;
  if (i == w.size()) return false;
  for (; i < w.size(); ++i)
    if (w[i] < '0' || w[i] > '9') return false;
  return true;
}

}  // namespace

bool Preprocessor::TableLine(int script, int line, const ScriptLine& sl, bool write) {
  if (sl.command == cmd::TableDefine || sl.command == cmd::TableDefine2D) return TableSelect(script, line, sl);
  return TableRecord(script, line, sl, write);
}

bool Preprocessor::TableSelect(int script, int line, const ScriptLine& sl) {
  const std::string_view text = sl.text;
  std::size_t pos = static_cast<std::size_t>(sl.operandStart);
  table_ = TableState();
  const std::string_view name = NextWord(text, pos);
  if (name.empty()) return FailAt(script, line, MessageFor(err::kMissingArrayName));
  const int array = arrays_ ? arrays_->FindArray(name) : -1;
  if (array < 0) return FailAt(script, line, MessageFor(err::kUnknownArray));
  const bool want2D = sl.command == cmd::TableDefine2D;
  if (arrays_->Is2D(array) && !want2D)
    return FailAt(script, line, Printf("ERROR: Utilice 'TableDefine2D' para arreglos 2D, línea %d", line + 1));
  if (!arrays_->Is2D(array) && want2D)
    return FailAt(script, line, Printf("ERROR: Utilice 'TableDefine' para arreglos 1D, línea %d", line + 1));
  ParseEnv env;
  env.tables = &tables();
  env.script = script;
  // The start index: an immediate, 0 when an element name comes first.
  std::int32_t start = 0;
  {
    std::size_t p = pos;
    ErrorState scratch;
    if (ParseImmediateValue(text, p, env, start, scratch)) pos = p;
    else start = 0;
  }
  const int dimX = arrays_->DimX(array);
  if (start < 0 || start >= dimX)
    return FailAt(script, line,
                  Printf("ERROR: El índice está fuera de los límites del arreglo (índice = %d, límites %d), línea %d",
                         start, dimX, line + 1));
  int y = 0;
  if (want2D) {
    const std::string_view word = NextWord(text, pos);
    if (!IsDecimal(word))
      return FailAt(script, line,
                    Printf("ERROR: El comando 'TableDefine2D' esperaba un entero (índice Y), línea %d", line + 1));
    y = std::atoi(std::string(word).c_str());
    const int dimY = arrays_->DimY(array);
    if (y < 0 || y >= dimY)
      return FailAt(script, line,
                    Printf("ERROR: El índice Y está fuera de los límites del arreglo (índice = %d, límites %d), línea %d",
                           y, dimY, line + 1));
  }
  for (;;) {
    const std::string_view element = NextWord(text, pos);
    if (element.empty()) break;
    const int e = arrays_->FindElement(array, element);
    if (e < 0) return FailAt(script, line, MessageFor(err::kUnknownArrayElement));
    table_.elements.push_back(e);
  }
  table_.array = array;
  table_.twoD = want2D;
  table_.x = start;
  table_.y = y;
  return true;
}

bool Preprocessor::TableRecord(int script, int line, const ScriptLine& sl, bool write) {
  const std::string_view text = sl.text;
  std::size_t pos = static_cast<std::size_t>(sl.operandStart);
  if (table_.array < 0) return FailAt(script, line, MessageFor(err::kMissingArrayName));
  ParseEnv env;
  env.tables = &tables();
  env.script = script;
  const int dimX = arrays_->DimX(table_.array);
  int count = 1;
  if (sl.command == cmd::TableFill) {
    std::int32_t n = 0;
    ErrorState err;
    std::size_t p = pos;
    if (!ParseImmediateValue(text, p, env, n, err)) {
      const int column = static_cast<int>(skipBlanks(text, pos)) + 1;
      return FailAt(script, line,
                    Printf("ERROR: Falta el parámetro 'cantidad' de 'TableFill', en columna %d, línea %d", column,
                           line + 1));
    }
    pos = p;
    if (n < 1 || table_.x + n - 1 >= dimX)
      return FailAt(script, line,
                    Printf("ERROR: El índice está fuera de los límites de la tabla (cantidad = %d, índice = %d, "
                           "límites %d), línea %d",
                           n, table_.x, dimX, line + 1));
    count = n;
  }
  if (table_.x >= dimX)
    return FailAt(script, line,
                  Printf("ERROR: El índice está fuera de los límites del arreglo (índice = %d, límites %d), línea %d",
                         table_.x, dimX, line + 1));
  // One value per integer element, 3 per vector, 12 per matrix.
  std::vector<std::int32_t> values;
  std::size_t needed = 0;
  for (int e : table_.elements)
    needed += static_cast<std::size_t>(ValuesPerElement(arrays_->ElementType(table_.array, e)));
  while (!AtLineEnd(text, pos)) {
    std::int32_t v = 0;
    ErrorState err;
    if (!ParseImmediateValue(text, pos, env, v, err)) return FailAt(script, line, MessageFor(err.GetError()));
    if (values.size() == needed)
      return FailAt(script, line,
                    Printf("ERROR: Se hallaron más elementos de datos de los definidos en 'TableDefine', línea %d",
                           line + 1));
    values.push_back(v);
  }
  if (values.size() < needed)
    return FailAt(script, line,
                  Printf("ERROR: No se hallaron suficientes elementos de datos para rellenar los elementos del "
                         "arreglo definidos en 'TableDefine', línea %d",
                         line + 1));
  std::size_t at = 0;
  for (int e : table_.elements) {
    const int type = arrays_->ElementType(table_.array, e);
    const int n = ValuesPerElement(type);
    for (int k = 0; k < n; ++k)
      if (!ValueFitsElement(type, values[at + static_cast<std::size_t>(k)]))
        return FailAt(script, line,
                      Printf("ERROR: El elemento %d tiene un valor que está fuera del rango designado, línea %d",
                             values[at + static_cast<std::size_t>(k)], line + 1));
    if (write)
      for (int r = 0; r < count; ++r)
        arrays_->WriteElement(table_.array, table_.x + r, table_.y, e, &values[at], n);
    at += static_cast<std::size_t>(n);
  }
  table_.x += count;
  return true;
}

}  // namespace tarvolin::script
