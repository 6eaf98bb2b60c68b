// The language reference written from the vocabulary tables: one section per
// command with a unique anchor, operands in words, the hand-written notes,
// and the error list.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "project/text_lines.h"
#include "platform/files.h"
#include "common/errors.h"
#include "script/reference.h"

namespace tarvolin::script {
namespace {

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(Reference, NotesAreReadPerCommandAndBadNamesAreRefused) {
  std::vector<CommandNote> notes;
  std::string error;
  ASSERT_TRUE(ParseCommandNotes("; cabecera\n@If\r\n\r\nAbre un bloque.\r\n\r\n@+=\nSuma.\nDos líneas.\n\n",
                                notes, error))
      << error;
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[0].id, cmd::If);
  EXPECT_EQ(notes[0].text, "Abre un bloque.\n");
  EXPECT_EQ(notes[1].id, cmd::AddTo);
  EXPECT_EQ(notes[1].text, "Suma.\nDos líneas.\n");

  EXPECT_FALSE(ParseCommandNotes("@If\nuno\n@TileMapLaod\ndos\n", notes, error));
  EXPECT_EQ(error, "línea 3: no existe el comando 'TileMapLaod'");
  EXPECT_FALSE(ParseCommandNotes("@Log\nuno\n@log\ndos\n", notes, error));
  EXPECT_EQ(error, "línea 3: el comando 'Log' ya tiene nota");

  // An empty note counts as missing.
  ASSERT_TRUE(ParseCommandNotes("@If\n\n@Else\nSi no.\n", notes, error));
  const auto missing = CommandsWithoutNotes(notes);
  EXPECT_EQ(missing.size(), CommandTable().size() - 1);
  EXPECT_EQ(missing.front(), cmd::If);
}

TEST(Reference, EveryCommandHasOneSectionWithItsSignatureAndOperands) {
  std::vector<CommandNote> notes{{cmd::TileMapLoad, "Carga un mapa.\n"}};
  const std::string md = CommandReferenceMarkdown(notes);
  std::set<std::string> anchors;
  for (const CommandInfo& info : CommandTable()) {
    const std::string anchor = CommandAnchor(info);
    EXPECT_TRUE(anchors.insert(anchor).second) << "anchor used twice: " << anchor;
    const std::string heading = "### `" + std::string(info.name) + "` {#" + anchor + "}\n\n`" + info.signature + "`\n";
    EXPECT_EQ(Count(md, heading), 1u) << info.name;
    EXPECT_EQ(FindCommandByName(info.name), &info);
  }
  EXPECT_EQ(CommandAnchor(*FindCommandByName("TileMapLoad")), "TileMapLoad");
  EXPECT_EQ(CommandAnchor(*FindCommandByName("+=")), "cmd37");
  EXPECT_EQ(CommandAnchor(*FindCommandByName("##")), "cmd189");
  EXPECT_EQ(FindCommandByName("tilemapLOAD"), FindCommandByName("TileMapLoad"));
  EXPECT_EQ(FindCommandByName("TileMap"), nullptr);
  EXPECT_EQ(FindCommandByName(""), nullptr);

  // Every operand letter of the table is put in words, every command sits in a family.
  EXPECT_EQ(md.find("- Operandos: operando"), std::string::npos);
  EXPECT_EQ(md.find(" · operando "), std::string::npos);
  EXPECT_EQ(md.find("{#otros}"), std::string::npos);
  EXPECT_EQ(md.find("los que indica la nota"), std::string::npos);

  // A note lands under its command; operands and macro rule follow.
  EXPECT_NE(md.find("`TileMapLoad <P1 capa> <IDRecurso> <P2 desplazamiento X> <P3 desplazamiento Y>`\n\n"
                    "Carga un mapa.\n\n- Operandos: valor (P) · recurso · valor (P) · valor (P)\n"
                    "- En una macro: permitido\n"),
            std::string::npos);
  EXPECT_NE(md.find("- Operandos: variable delante del comando, que recibe el resultado · cadena\n"),
            std::string::npos);  // StringGetLength writes its result first
  EXPECT_NE(md.find("`IfGreaterOrEqual <P1> <P2> (en desuso)`\n\n- Operandos: valor (P) · valor (P)\n"
                    "- En desuso: equivale a `If` con el operador `>=`\n- En una macro: no permitido (error 172)"),
            std::string::npos);
  EXPECT_NE(md.find("- En desuso: equivale a `While` con el operador `!=`"), std::string::npos);
  EXPECT_NE(md.find("- Operandos: valor (P) · [atributo de sprite](#attr-sprite) · valor (P)\n"), std::string::npos);

  // The tables after the commands.
  EXPECT_NE(md.find("| `>=<` |"), std::string::npos);
  EXPECT_NE(md.find("| `#_SOUND_PARAM_CURR` | -1000000 |"), std::string::npos);
  EXPECT_NE(md.find("| `#_TILEMAP_FLIPV` | 2048 |"), std::string::npos);
  EXPECT_NE(md.find("| 14 | `[TileIndex]` |"), std::string::npos);
  EXPECT_NE(md.find("Lo usan: [`SpriteSetAttribute`](#SpriteSetAttribute), [`SpriteGetAttribute`](#SpriteGetAttribute)."),
            std::string::npos);
  EXPECT_NE(md.find("| `ShoulderLeft` | 512 | `#_INPUT_BITFIELD_SHOULDERLEFT` |"), std::string::npos);
}

TEST(Reference, ErrorPageListsEveryMessageEscaped) {
  const std::string md = ErrorReferenceMarkdown();
  EXPECT_EQ(Count(md, "\n| "), static_cast<std::size_t>(MessageCount()) + 3 + 1);  // + the header row
  EXPECT_NE(md.find("| 3 | No existe tal comando |"), std::string::npos);
  EXPECT_NE(md.find("| 189 | Demasiadas líneas de código para el gestor HBlank |"), std::string::npos);
  EXPECT_NE(md.find("| 9 | Unknown error! ("), std::string::npos);
  // Markup characters of the messages are escaped, so the table keeps its columns.
  EXPECT_NE(md.find("(ej. \\>=\\< o \\<\\>)"), std::string::npos);
  EXPECT_NE(md.find("Arreglo.Elemento\\[Índice\\]"), std::string::npos);
}

// The notes shipped with the guide read cleanly and leave no command without
// an explanation.
TEST(Reference, ShippedNotesCoverEveryCommand) {
  std::string text, error;
  ASSERT_TRUE(platform::readWholeFile(std::string(TARVOLIN_SOURCE_DATA_DIR) + "/guide/notas_comandos.txt", text));
  std::vector<CommandNote> notes;
  ASSERT_TRUE(ParseCommandNotes(text, notes, error)) << error;
  for (CommandId id : CommandsWithoutNotes(notes)) ADD_FAILURE() << "sin nota: " << CommandName(id);
  // Notes are Markdown shown inside the guide: a bare "<" would start an HTML tag.
  for (const CommandNote& n : notes) {
    bool code = false;
    for (char c : n.text) {
      if (c == '`') code = !code;
      EXPECT_FALSE(!code && (c == '<' || c == '>')) << CommandName(n.id) << ": " << n.text;
    }
  }
}

}  // namespace
}  // namespace tarvolin::script
