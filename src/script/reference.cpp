#include "script/reference.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "common/text.h"
#include "common/errors.h"
#include "script/vocabulary.h"

namespace tarvolin::script {

namespace {

// ---- Notes -------------------------------------------------------------------

// Drops leading and trailing empty lines of a note.
std::string TrimNote(const std::vector<std::string_view>& lines) {
  std::size_t first = 0, last = lines.size();
  while (first < last && trimBlanks(lines[first]).empty()) ++first;
  while (last > first && trimBlanks(lines[last - 1]).empty()) --last;
  std::string text;
  for (std::size_t i = first; i < last; ++i) {
    text.append(lines[i]);
    text.push_back('\n');
  }
  return text;
}

// ---- Markdown helpers -----------------------------------------------------------

// Text outside code spans: characters that Markdown would read as markup are
// escaped with a backslash.
std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': case '`': case '*': case '_': case '[': case ']': case '<': case '>':
      case '|': case '#':
        out.push_back('\\');
        break;
      default:
        break;
    }
    out.push_back(c);
  }
  return out;
}

// One table row of Markdown.
void AppendRow(std::string& md, std::initializer_list<std::string_view> cells) {
  md += '|';
  for (std::string_view cell : cells) {
    md += ' ';
    md += cell;
    md += " |";
  }
  md += '\n';
}

// "[text](#anchor)".
std::string Link(std::string_view text, std::string_view anchor) {
  std::string link;
  link += '[';
  link += text;
  link += "](#";
  link += anchor;
  link += ')';
  return link;
}

// A heading of `level` with an explicit anchor: "### text {#anchor}".
std::string Heading(int level, std::string_view text, std::string_view anchor) {
  std::string h(static_cast<std::size_t>(level), '#');
  h += ' ';
  h += text;
  h += " {#";
  h += anchor;
  h += "}\n\n";
  return h;
}

std::string Code(std::string_view text) {
  std::string code;
  code.reserve(text.size() + 2);
  code.push_back('`');
  code.append(text);
  code.push_back('`');
  return code;
}

// ---- Families ----------------------------------------------------------------

struct Family {
  CommandId first, last;
  const char* title;
  const char* anchor;
};

// Families by command number, in the order the page shows them.
constexpr Family kFamilies[] = {
    {0, 35, "Control de flujo: condiciones, bucles y llamadas", "control"},
    {37, 55, "Asignación y aritmética", "aritmetica"},
    {56, 82, "Arreglos", "arreglos"},
    {83, 89, "Matrices y vectores", "matrices"},
    {195, 198, "Tablas de datos", "tablas"},
    {90, 97, "Niveles", "niveles"},
    {98, 101, "Recursos", "recursos"},
    {102, 112, "Pantalla", "pantalla"},
    {116, 124, "Datos de tiles", "datos-de-tiles"},
    {125, 128, "Listas de tiles", "listas-de-tiles"},
    {129, 143, "Mapas de tiles", "mapas-de-tiles"},
    {144, 153, "Paletas", "paletas"},
    {154, 157, "Sprites y rotaciones", "sprites"},
    {158, 170, "Texto en pantalla y cadenas", "cadenas"},
    {113, 115, "Recorridos", "recorridos"},
    {171, 175, "Sonido y música", "sonido"},
    {176, 178, "Dibujo", "dibujo"},
    {179, 183, "Colisiones", "colisiones"},
    {184, 189, "Declaraciones", "declaraciones"},
    {190, 194, "Depuración", "depuracion"},
};

// ---- Operands ------------------------------------------------------------------

struct AttributeInfo {
  char letter;
  AttributeTable table;
  const char* placeholder;  // as the signatures write it
  const char* words;        // the operand in words
  const char* anchor;
};

constexpr AttributeInfo kAttributes[] = {
    {'D', AttributeTable::Display, "[AtributoVisual]", "atributo de pantalla", "attr-visual"},
    {'M', AttributeTable::Mosaic, "[atributo de mosaico]", "atributo de mosaico", "attr-mosaico"},
    {'B', AttributeTable::Blend, "[atributo de transparencia]", "atributo de transparencia", "attr-transparencia"},
    {'R', AttributeTable::BGRotation, "[atributo de rotación]", "atributo de rotación del fondo",
     "attr-rotacion-fondo"},
    {'W', AttributeTable::Window, "[atributo de ventana]", "atributo de ventana", "attr-ventana"},
    {'O', AttributeTable::Sprite, "[AtributoSprite]", "atributo de sprite", "attr-sprite"},
    {'T', AttributeTable::Rotation, "[AtributoRot]", "atributo de rotación de sprites", "attr-rot"},
    {'m', AttributeTable::TileMap, "[atributo] (mapa de tiles)", "atributo de mapa de tiles", "attr-mapa"},
    {'Z', AttributeTable::MemSize, "[MemTamaño]", "tamaño de memoria", "attr-memtamano"},
    {'C', AttributeTable::PaletteTarget, "[ObjetivoPaleta]", "zona de paleta", "attr-paleta"},
    {'d', AttributeTable::Direction, "[Dir]", "dirección", "attr-dir"},
};

const AttributeInfo* FindAttributeLetter(char letter) {
  for (const AttributeInfo& a : kAttributes)
    if (a.letter == letter) return &a;
  return nullptr;
}

// One operand kind in words; empty for a letter the page does not know.
std::string OperandWords(char letter) {
  switch (letter) {
    case 'P': return "valor (P)";
    case 'V': return "variable que recibe un resultado (V)";
    case 'L': return "[operador de comparación](#operadores)";
    case 'S': return "[operador de búsqueda](#operadores) (sin `>=<` ni `<>`)";
    case 'r': return "recurso";
    case 'f': return "mapa de fuente";
    case 's': return "cadena";
    case 'p': return "recorrido";
    case 'l': return "nivel";
    case 'a': return "arreglo";
    case 't': return "lista de tiles";
    case 'F': return "función";
    case 'e': return "`Arreglo.Elemento`";
    default: break;
  }
  if (const AttributeInfo* a = FindAttributeLetter(letter))
    return Link(a->words, a->anchor);
  return "";
}

// Commands that read their own operands.
const char* OwnOperands(CommandId id) {
  switch (id) {
    case cmd::Call:
    case cmd::CallRet:
      return "una función y tantos valores como parámetros declare (de 0 a 10)";
    case cmd::Return: return "de 0 a 4 valores, que el llamador recibe en `V_RV0`..`V_RV3`";
    case cmd::Log: return "un texto de formato entre comillas y de 0 a 8 valores";
    case cmd::LogFile:
      return "un nombre de archivo entre comillas, un texto de formato entre comillas y de 0 a 8 valores";
    case cmd::Function:
    case cmd::FunctionGlobal:
      return "un nombre y la cantidad de parámetros (0..10); opcionalmente `;` y una descripción";
    case cmd::ExternFunction: return "un nombre de archivo entre comillas y el nombre de una función";
    case cmd::ExternScript: return "un nombre de archivo entre comillas";
    case cmd::ApplyGlobalSet: return "el nombre de un juego de variables globales del proyecto";
    case cmd::Define: return "el nombre, pegado a `##`, y un valor inmediato";
    case cmd::TableDefine: return "un arreglo 1D, el índice inicial (0 si falta) y los nombres de sus elementos";
    case cmd::TableDefine2D: return "un arreglo 2D, el índice X, el índice Y y los nombres de sus elementos";
    case cmd::TableData: return "un valor por elemento (3 para un vector, 12 para una matriz)";
    case cmd::TableFill: return "la cantidad de registros y después los valores, como en `TableData`";
    default: return "los que indica la nota";
  }
}

// The leading variable of assignment forms shows in the signature as "<V1 ...>"
// written before the command name.
bool TakesLeadingVariable(const CommandInfo& info) {
  return std::string_view(info.signature).starts_with("<V1");
}

std::string OperandLine(const CommandInfo& info) {
  std::vector<std::string> parts;
  if (TakesLeadingVariable(info)) parts.emplace_back("variable delante del comando, que recibe el resultado");
  const std::string_view letters = info.operands;
  if (letters == "?") {
    parts.emplace_back(OwnOperands(info.id));
  } else {
    for (char letter : letters) {
      std::string words = OperandWords(letter);
      parts.push_back(words.empty() ? std::string("operando ") + letter : words);
    }
  }
  if (parts.empty()) return "ninguno";
  std::string line;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) line += " · ";
    line += parts[i];
  }
  return line;
}

// ---- The tables after the commands -----------------------------------------------

constexpr const char* kOperatorMeaning[kComparisonOpCount] = {
    "A es igual a B",
    "A es distinto de B",
    "A es mayor que B",
    "A es mayor o igual que B",
    "A es menor que B",
    "A es menor o igual que B",
    "B no es 0 y A es múltiplo de B (falso cuando B es 0)",
    "todos los bits de B están en A, es decir (A AND B) = B",
    "A está entre B y C, ambos incluidos (lleva un tercer operando)",
    "A está fuera del intervalo entre B y C (lleva un tercer operando)",
};

constexpr const char* kInputMeaning[kInputFunctionCount] = {
    "1 en el cuadro en que el botón se pulsa, si no 0",
    "1 en el cuadro en que el botón se suelta, si no 0",
    "1 mientras el botón está pulsado, si no 0",
    "los bits de los botones pulsados en este cuadro",
    "los bits de los botones soltados en este cuadro",
    "los bits de los botones que están pulsados",
};

void AppendOperators(std::string& md) {
  md += "## Operadores de comparación {#operadores}\n\n";
  md += "`If`, `ElseIf`, `While` y `Assert` comparan A (primer valor) con B (segundo valor); "
        "los dos operadores triples comparan además con un tercer valor C. Las comparaciones son "
        "de enteros de 32 bits con signo. El operador va separado por blancos: `If V_LV0 >= 3`.\n\n";
  md += "| Operador | Verdadero cuando |\n|---|---|\n";
  for (int op = 0; op < kComparisonOpCount; ++op)
    AppendRow(md, {Code(ComparisonOpText(op)), kOperatorMeaning[op]});
  md += "\nLos comandos de búsqueda en arreglos (`Array1DFind`, `Array2DFind`) no admiten los "
        "operadores triples.\n\n";
}

void AppendAttributes(std::string& md) {
  md += "## Atributos {#atributos}\n\n";
  md += "Un atributo se escribe entre corchetes, por ejemplo `[Xpos]`. Cada posición de atributo "
        "de una firma usa una de estas tablas; el comando recibe el índice del nombre.\n\n";
  for (const AttributeInfo& a : kAttributes) {
    md += Heading(3, Code(a.placeholder), a.anchor);
    std::string users;
    for (const CommandInfo& info : CommandTable()) {
      if (std::string_view(info.operands).find(a.letter) == std::string_view::npos) continue;
      if (!users.empty()) users += ", ";
      users += Link(Code(info.name), CommandAnchor(info));
    }
    if (!users.empty()) md += "Lo usan: " + users + ".\n\n";
    md += "| Índice | Nombre |\n|---|---|\n";
    const auto names = AttributeNames(a.table);
    for (std::size_t i = 0; i < names.size(); ++i)
      AppendRow(md, {std::to_string(i), Code(std::string("[") + names[i] + "]")});
    md += "\n";
  }
}

void AppendDefinitions(std::string& md) {
  md += "## Definiciones incorporadas {#definiciones}\n\n";
  md += "Todo proyecto puede usar estas definiciones. Se escriben con `#_` delante del nombre, "
        "por ejemplo `#_COL_256` o `#_SPRITE_SIZE16x16_BOTTOM`.\n\n";
  md += "| Definición | Valor |\n|---|---|\n";
  for (const BuiltinDefinition& def : BuiltinDefinitions())
    AppendRow(md, {Code(std::string("#_") + def.name), std::to_string(def.value)});
  md += "\n";
}

void AppendInput(std::string& md) {
  md += "## Variables de entrada {#entrada}\n\n";
  md += "Las variables `F_` leen los botones de la consola; solo se pueden leer. Las tres primeras "
        "llevan pegado el nombre de un botón, como `F_IsButtonHeldPadUp`.\n\n";
  md += "| Variable | Valor |\n|---|---|\n";
  const auto functions = InputFunctionNames();
  for (int f = 0; f < kInputFunctionCount && f < static_cast<int>(functions.size()); ++f) {
    std::string name = std::string("F_") + functions[static_cast<std::size_t>(f)];
    if (InputFunctionTakesButton(f)) name += "<Botón>";
    AppendRow(md, {Code(name), kInputMeaning[f]});
  }
  md += "\n| Botón | Bit | Definición |\n|---|---|---|\n";
  const auto buttons = ButtonNames();
  // The bit definitions are the built-ins that start with INPUT_BITFIELD_, in button order.
  std::vector<std::string> bitNames;
  for (const BuiltinDefinition& def : BuiltinDefinitions())
    if (std::string_view(def.name).starts_with("INPUT_BITFIELD_")) bitNames.emplace_back(def.name);
  for (std::size_t b = 0; b < buttons.size(); ++b) {
    AppendRow(md, {Code(buttons[b]), std::to_string(1 << b),
                   b < bitNames.size() ? Code("#_" + bitNames[b]) : std::string()});
  }
  md += "\n";
}

}  // namespace

bool ParseCommandNotes(std::string_view text, std::vector<CommandNote>& notes, std::string& error) {
  notes.clear();
  const std::vector<std::string_view> lines = splitLineViews(text);
  std::vector<std::string_view> body;
  bool inNote = false;
  auto finish = [&] {
    if (inNote) notes.back().text = TrimNote(body);
    body.clear();
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (!line.starts_with('@')) {
      if (inNote) body.push_back(line);
      continue;
    }
    finish();
    const std::string_view name = trimBlanks(line.substr(1));
    const CommandInfo* info = FindCommandByName(name);
    if (!info) {
      error = "línea " + std::to_string(i + 1) + ": no existe el comando '" + std::string(name) + "'";
      return false;
    }
    for (const CommandNote& n : notes)
      if (n.id == info->id) {
        error = "línea " + std::to_string(i + 1) + ": el comando '" + info->name + "' ya tiene nota";
        return false;
      }
    notes.push_back({info->id, {}});
    inNote = true;
  }
  finish();
  return true;
}

std::vector<CommandId> CommandsWithoutNotes(const std::vector<CommandNote>& notes) {
  std::vector<CommandId> missing;
  for (const CommandInfo& info : CommandTable()) {
    const bool noted = std::any_of(notes.begin(), notes.end(),
                                   [&](const CommandNote& n) { return n.id == info.id && !n.text.empty(); });
    if (!noted) missing.push_back(info.id);
  }
  return missing;
}

std::string CommandAnchor(const CommandInfo& info) {
  const std::string_view name = info.name;
  const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
  });
  return plain ? std::string(name) : "cmd" + std::to_string(info.id);
}

const CommandInfo* FindCommandByName(std::string_view name) {
  for (const CommandInfo& info : CommandTable())
    if (equalsIgnoreCase(info.name, name)) return &info;
  return nullptr;
}

std::string CommandReferenceMarkdown(const std::vector<CommandNote>& notes) {
  auto noteOf = [&](CommandId id) -> std::string {
    for (const CommandNote& n : notes)
      if (n.id == id) return n.text;
    return {};
  };
  auto familyOf = [](CommandId id) -> int {
    for (std::size_t f = 0; f < std::size(kFamilies); ++f)
      if (id >= kFamilies[f].first && id <= kFamilies[f].last) return static_cast<int>(f);
    return -1;
  };

  std::string md;
  md += "# Referencia de comandos {#referencia}\n\n";
  md += "Esta página se escribe al compilar el programa a partir de la tabla de comandos del "
        "intérprete, así que nombra exactamente los " + std::to_string(CommandTable().size()) +
        " comandos que el intérprete conoce, con la firma que muestra la línea de estado del editor. "
        "Los nombres de comandos no distinguen mayúsculas de minúsculas.\n\n";
  md += "En las firmas, `P` es un valor (un número, una definición, una variable...), `V` una variable "
        "que recibe un resultado, `LOP` un [operador de comparación](#operadores) y los nombres entre "
        "corchetes son [atributos](#atributos). Las demás marcas nombran un recurso, una cadena, un "
        "arreglo u otro elemento del proyecto. Ver también [El lenguaje de guiones](lenguaje.md) y los "
        "[mensajes de error](errores.md).\n\n";

  md += "## Familias {#familias}\n\n";
  for (const Family& f : kFamilies) {
    md += "- " + Link(f.title, f.anchor) + ": ";
    bool first = true;
    for (const CommandInfo& info : CommandTable()) {
      if (info.id < f.first || info.id > f.last) continue;
      if (!first) md += ", ";
      first = false;
      md += Link(Code(info.name), CommandAnchor(info));
    }
    md += "\n";
  }
  md += "- [Operadores de comparación](#operadores), [Atributos](#atributos), "
        "[Definiciones incorporadas](#definiciones), [Variables de entrada](#entrada)\n\n";

  // Every family in page order, then any command no family holds.
  const int familyCount = static_cast<int>(std::size(kFamilies));
  for (int k = 0; k <= familyCount; ++k) {
    const int f = k < familyCount ? k : -1;
    std::vector<const CommandInfo*> members;
    for (const CommandInfo& info : CommandTable())
      if (familyOf(info.id) == f) members.push_back(&info);
    if (members.empty()) continue;
    if (f < 0)
      md += "## Otros comandos {#otros}\n\n";
    else
      md += Heading(2, kFamilies[f].title, kFamilies[f].anchor);
    for (const CommandInfo* info : members) {
      md += Heading(3, Code(info->name), CommandAnchor(*info));
      md += Code(info->signature) + "\n\n";
      const std::string note = noteOf(info->id);
      if (!note.empty()) md += note + "\n";
      md += "- Operandos: " + OperandLine(*info) + "\n";
      const int op = DeprecatedOperator(info->id);
      if (op >= 0) {
        const bool loop = info->id >= cmd::While && info->id <= cmd::WhileLessOrEqual;
        md += std::string("- En desuso: equivale a ") + Code(loop ? "While" : "If") + " con el operador " +
              Code(ComparisonOpText(op)) + "\n";
      }
      md += std::string("- En una macro: ") + (info->inMacro ? "permitido" : "no permitido (error 172)") + "\n\n";
    }
  }

  AppendOperators(md);
  AppendAttributes(md);
  AppendDefinitions(md);
  AppendInput(md);
  return md;
}

std::string ErrorReferenceMarkdown() {
  std::string md;
  md += "# Mensajes de error {#errores}\n\n";
  md += "Cuando una línea falla, el intérprete guarda un código de error y el emulador muestra su "
        "mensaje con el número de línea, por ejemplo `<Error de Ciclo: <No existe tal comando> en la "
        "línea 12`. Esta lista se escribe al compilar a partir de la tabla de mensajes del programa. "
        "La página [Errores y depuración](depuracion.md) explica cómo encontrar la causa.\n\n";
  md += "| Código | Mensaje |\n|---|---|\n";
  for (ErrorCode code = 0; code < 256; ++code) {
    std::string message;
    if (HasMessage(code)) {
      message = Escape(MessageFor(code));
    } else if (code == err::kTooManyBlocks) {
      message = Escape(MessageFor(code)) + " (se abrió un bloque `If` o `While` con 31 ya abiertos)";
    } else if (code == err::kVBlankWithParameters) {
      message = Escape(MessageFor(code)) + " (`VBlankCB` declarada con parámetros)";
    } else if (code == err::kHBlankWithParameters) {
      message = Escape(MessageFor(code)) + " (`HBlankCB` declarada con parámetros)";
    } else {
      continue;
    }
    AppendRow(md, {std::to_string(code), message});
  }
  md += "\n";
  return md;
}

}  // namespace tarvolin::script
