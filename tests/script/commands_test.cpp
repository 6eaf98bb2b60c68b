#include "script/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "script/vocabulary.h"

namespace tarvolin::script {
namespace {

CommandId Lookup(std::string_view text, std::size_t* length = nullptr) {
  std::size_t len = 0;
  const CommandId id = LookupCommand(text, 0, len);
  if (length) *length = len;
  return id;
}

TEST(CommandTable, NumbersNamesAndSignaturesAreConsistent) {
  const auto table = CommandTable();
  ASSERT_EQ(table.size(), 187u);
  std::set<CommandId> ids;
  std::set<std::string> signatures;
  for (const CommandInfo& info : table) {
    EXPECT_TRUE(ids.insert(info.id).second) << info.name;
    EXPECT_TRUE(signatures.insert(info.signature).second) << info.name;
    EXPECT_GE(info.id, 0);
    EXPECT_LE(info.id, 198);
    EXPECT_EQ(FindCommandInfo(info.id), &info);
    // Every name finds its own entry: no earlier name shadows it.
    EXPECT_EQ(Lookup(info.name), info.id) << info.name;
  }
  for (CommandId unused : {11, 12, 15, 20, 36, 76, 199, 200, 201, -1, 202})
    EXPECT_EQ(FindCommandInfo(unused), nullptr) << unused;
  EXPECT_EQ(CommandName(cmd::Array1DIndexCopy), "Array1DIndexCopy");
  EXPECT_EQ(CommandSignature(cmd::Array1DIndexCopy),
            "Array1DCopy <Arreglo> <P1 índice fuente> <P2 índice destino>");
  EXPECT_EQ(CommandSignature(cmd::StringGetLength), "<V1 longitud> StringGetLength <IDCadena>");
  EXPECT_EQ(CommandSignature(cmd::OrWith), "<V1> |= <P1> - operación binaria OR");
  EXPECT_EQ(CommandSignature(cmd::ExternScript), "ExternScript <\"nombre del archivo\">");
  EXPECT_EQ(CommandSignature(cmd::PaletteLoad),
            "PaletteLoad <[ObjetivoPaleta]> <RecID> <P1 índice de la paleta (solo en modo 16 colores)> ");
  EXPECT_EQ(CommandSignature(cmd::MusicStop), "MusicStop");
  EXPECT_EQ(CommandSignature(cmd::NoCommand), "");
}

TEST(CommandTable, MatchingIgnoresCaseAndNeedsASeparator) {
  std::size_t len = 0;
  EXPECT_EQ(Lookup("ifequal 1 2"), cmd::IfEqual);
  EXPECT_EQ(Lookup("IFEQUAL 1 2"), cmd::IfEqual);
  EXPECT_EQ(Lookup("If 1 == 2"), cmd::If);
  EXPECT_EQ(Lookup("ElseIf 1 == 2"), cmd::ElseIf);
  EXPECT_EQ(Lookup("Else"), cmd::Else);
  EXPECT_EQ(Lookup("End;done"), cmd::End);
  EXPECT_EQ(Lookup("Endx"), cmd::UndefinedCommand);
  EXPECT_EQ(Lookup("Ifx 1 2"), cmd::UndefinedCommand);
  // A following punctuation character ends the name.
  EXPECT_EQ(Lookup("MusicStop;x", &len), cmd::MusicStop);
  EXPECT_EQ(len, 9u);
  EXPECT_EQ(Lookup("Sqrt[x]"), cmd::Sqrt);
  // "=-" is stored before "=": "=-5" negates 5.
  EXPECT_EQ(Lookup("=-5", &len), cmd::Negate);
  EXPECT_EQ(len, 2u);
  EXPECT_EQ(Lookup("= -5", &len), cmd::Assign);
  EXPECT_EQ(len, 1u);
  EXPECT_EQ(Lookup("=5"), cmd::Assign);
  EXPECT_EQ(Lookup("<<= 2"), cmd::ShiftLeftBy);
  EXPECT_EQ(Lookup("##NAME 5", &len), cmd::Define);
  EXPECT_EQ(len, 2u);
  EXPECT_EQ(Lookup("%= 3"), cmd::ModuloBy);
  EXPECT_EQ(Lookup(""), cmd::UndefinedCommand);
  EXPECT_FALSE(NameMatchesAt("If", 5, "If"));  // position beyond the text
}

TEST(CommandTable, HelpTopics) {
  EXPECT_EQ(HelpTopic(cmd::If), "commands/command_If");
  EXPECT_EQ(HelpTopic(cmd::IfAndEqual), "commands/command_If");
  EXPECT_EQ(HelpTopic(cmd::WhileLess), "commands/command_While");
  EXPECT_EQ(HelpTopic(cmd::Assign), "commands/command_Algo");
  EXPECT_EQ(HelpTopic(cmd::Sqrt), "commands/command_Algo");
  EXPECT_EQ(HelpTopic(cmd::Abs), "commands/command_Algo");
  EXPECT_EQ(HelpTopic(cmd::Min), "commands/command_Min");
  EXPECT_EQ(HelpTopic(cmd::Define), "Language Structure3");
  EXPECT_EQ(HelpTopic(cmd::MacroCall), "Language Structure2");
  EXPECT_EQ(HelpTopic(cmd::NoCommand), "Commands");
  EXPECT_EQ(HelpTopic(cmd::UndefinedCommand), "Commands");
  EXPECT_EQ(HelpTopic(cmd::TileMapLoad), "commands/command_TileMapLoad");
}

TEST(CommandTable, DeprecatedFormsAndMacroRule) {
  EXPECT_EQ(DeprecatedOperator(cmd::IfEqual), kOpEqual);
  EXPECT_EQ(DeprecatedOperator(cmd::WhileGreaterOrEqual), kOpGreaterOrEqual);
  EXPECT_EQ(DeprecatedOperator(cmd::IfBetweenOrEqual), kOpBetween);
  EXPECT_EQ(DeprecatedOperator(cmd::IfOutside), kOpOutside);
  EXPECT_EQ(DeprecatedOperator(cmd::IfModEqual), kOpModEqual);
  EXPECT_EQ(DeprecatedOperator(cmd::IfAndEqual), kOpAndEqual);
  EXPECT_EQ(DeprecatedOperator(cmd::If), -1);
  EXPECT_EQ(DeprecatedOperator(cmd::While), -1);
  int deprecated = 0;
  for (const CommandInfo& info : CommandTable()) {
    const bool refused = (info.id <= 6) || (info.id >= 21 && info.id <= 35) ||
                         (info.id >= 184 && info.id <= 189);
    EXPECT_EQ(AllowedInMacro(info.id), !refused) << info.name;
    const bool marked = std::string_view(info.signature).ends_with("(en desuso)");
    EXPECT_EQ(marked, DeprecatedOperator(info.id) >= 0) << info.name;
    deprecated += marked;
  }
  EXPECT_EQ(deprecated, 16);
  EXPECT_FALSE(AllowedInMacro(cmd::MacroCall));
  EXPECT_TRUE(AllowedInMacro(cmd::IfOutside));
  EXPECT_TRUE(OpensBlock(cmd::IfOutside));
  EXPECT_TRUE(OpensBlock(cmd::While));
  EXPECT_FALSE(OpensBlock(cmd::ElseIf));
}

TEST(Vocabulary, ComparisonOperatorsNeedABlankAfter) {
  std::size_t len = 0;
  EXPECT_EQ(LookupComparisonOp(">= 3", 0, len), kOpGreaterOrEqual);
  EXPECT_EQ(len, 2u);
  EXPECT_EQ(LookupComparisonOp(">=<", 0, len), kOpBetween);
  EXPECT_EQ(LookupComparisonOp("> = 3", 0, len), kOpGreater);
  EXPECT_EQ(LookupComparisonOp(">3", 0, len), -1);
  EXPECT_EQ(LookupComparisonOp("=>", 0, len), -1);
  EXPECT_EQ(LookupComparisonOp("<>", 0, len), kOpOutside);
  // Comparisons, including the ones that could trap on careless arithmetic.
  EXPECT_TRUE(Compare(kOpModEqual, 9, 3, 0));
  EXPECT_FALSE(Compare(kOpModEqual, 9, 0, 0));
  EXPECT_TRUE(Compare(kOpModEqual, INT32_MIN, -1, 0));
  EXPECT_TRUE(Compare(kOpAndEqual, 7, 5, 0));
  EXPECT_FALSE(Compare(kOpAndEqual, 2, 3, 0));
  EXPECT_TRUE(Compare(kOpBetween, 5, 10, 1));
  EXPECT_TRUE(Compare(kOpBetween, 10, 10, 1));
  EXPECT_FALSE(Compare(kOpOutside, 1, 10, 1));
  EXPECT_TRUE(Compare(kOpOutside, 11, 10, 1));
  EXPECT_FALSE(Compare(42, 1, 1, 1));
}

TEST(Vocabulary, AttributeTablesAndKeywords) {
  EXPECT_EQ(FindAttribute(AttributeTable::Sprite, "xpos"), 0);
  EXPECT_EQ(FindAttribute(AttributeTable::Sprite, "TileIndex"), 14);
  EXPECT_EQ(FindAttribute(AttributeTable::TileMap, "All"), 4);
  EXPECT_EQ(FindAttribute(AttributeTable::Display, "EnableSpriteWindow"), 12);
  EXPECT_EQ(FindAttribute(AttributeTable::MemSize, "S16"), 3);
  EXPECT_EQ(FindAttribute(AttributeTable::Sprite, "Xpo"), -1);
  EXPECT_EQ(AttributeErrorCodes(AttributeTable::Rotation).malformed, 84);
  EXPECT_EQ(AttributeErrorCodes(AttributeTable::Rotation).unknown, 82);
  EXPECT_EQ(AttributeErrorCodes(AttributeTable::Direction).missing, 95);
  const auto words = KeywordList();
  auto has = [&](const char* w) { return std::find(words.begin(), words.end(), w) != words.end(); };
  EXPECT_TRUE(has("[Xpos]"));
  EXPECT_TRUE(has("[BG]"));
  EXPECT_TRUE(has("TileMapLoad"));
  EXPECT_EQ(std::count(words.begin(), words.end(), "[FlipHorizontal]"), 1);
}

TEST(Vocabulary, BuiltinDefinitions) {
  const auto defs = BuiltinDefinitions();
  ASSERT_EQ(defs.size(), 83u);
  auto value = [&](std::string_view name) {
    for (const auto& d : defs)
      if (BuiltinDefinitionName(d) == name) return d.value;
    ADD_FAILURE() << name;
    return -12345;
  };
  EXPECT_EQ(value("_SOUND_PARAM_CURR"), -1000000);
  EXPECT_EQ(value("_TILEMAP_FLIPV"), 2048);
  EXPECT_EQ(value("_SPRITE_SIZE32x16_TOP"), 1);
  EXPECT_EQ(value("_SPRITE_SIZE32x16_BOTTOM"), 2);
  EXPECT_EQ(value("_SPRITE_SIZE32x64_BOTTOM"), 3);
  EXPECT_EQ(value("_INPUT_BITFIELD_SHOULDERLEFT"), 512);
  EXPECT_EQ(value("_LANG_SP"), 5);
  EXPECT_EQ(value("_SOUND_PANNING_RIGHT"), 255);
  EXPECT_STREQ(defs.front().name, "HERE");
  EXPECT_STREQ(defs.back().name, "SOUND_PANNING_RIGHT");
  std::set<std::string> names;
  for (const auto& d : defs) EXPECT_TRUE(names.insert(d.name).second) << d.name;
}

}  // namespace
}  // namespace tarvolin::script
