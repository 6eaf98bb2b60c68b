#include "project/strings.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"

namespace tarvolin::project {

namespace {
StringRecord record(std::string id, std::string en = "", std::string sp = "") {
  StringRecord r;
  r.identifier = std::move(id);
  r.texts[0] = std::move(en);
  r.texts[5] = std::move(sp);
  return r;
}
std::vector<StringRecord> parse(const std::string& text, bool* ok = nullptr) {
  std::vector<StringRecord> out;
  LineReader in(text);
  const bool result = readStrings(in, out);
  if (ok) *ok = result;
  return out;
}
}  // namespace

TEST(StringTable, KeepsUniqueIdentifiersInTheSignedByteOrder) {
  StringTable table;
  ASSERT_TRUE(table.add(record("beta")));
  ASSERT_TRUE(table.add(record("Alpha")));
  ASSERT_TRUE(table.add(record("alphabet")));
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table.items()[0].identifier, "Alpha");
  EXPECT_EQ(table.items()[1].identifier, "alphabet");
  EXPECT_EQ(table.items()[2].identifier, "beta");

  // Duplicates are refused ignoring case; so are texts the file cannot hold.
  EXPECT_FALSE(table.add(record("ALPHA")));
  EXPECT_FALSE(table.add(record("")));
  EXPECT_FALSE(table.add(record("quoted", "say \"hi\"")));
  EXPECT_FALSE(table.add(record("two\nlines")));
  EXPECT_FALSE(table.setText(0, 1, "a\rb"));
  EXPECT_FALSE(table.setText(0, 6, "x"));
  EXPECT_TRUE(table.setText(0, 1, "Alphé"));
  EXPECT_EQ(table.size(), 3u);
  EXPECT_EQ(table.find("BETA"), 2);
  EXPECT_EQ(table.find("gamma"), -1);

  // Bytes above 127 sort before every ASCII character; a prefix sorts first;
  // "A".."Z" compare as lower case, so "[" (91) sorts before "A" (as 97)
  // and "~" (126) after "Z" (as 122).
  EXPECT_LT(compareIdentifiers("\xE9t\xE9", "abc"), 0);
  EXPECT_LT(compareIdentifiers("ab", "abc"), 0);
  EXPECT_EQ(compareIdentifiers("ABC", "abc"), 0);
  EXPECT_LT(compareIdentifiers("a[", "aA"), 0);
  EXPECT_GT(compareIdentifiers("a~", "aZ"), 0);
}

TEST(StringTable, FileFormWithOnlySomeLanguages) {
  std::vector<StringRecord> records{record("greet", "Hello", "Hola")};
  records[0].texts[4] = "";  // no Japanese text
  const std::string text = writeStrings(records);
  EXPECT_EQ(text, std::string(headerText(HeaderKind::Generic)) +
                      "#greet\nEN : \"Hello\"\nSP : \"Hola\"\n\n");
  EXPECT_EQ(parse(text), records);
  EXPECT_EQ(writeStrings(parse(text)), text);
}

TEST(StringTable, ReadingRules) {
  bool ok = false;
  // Codes ignore case; the text is between the first two quotes; an entry
  // ends at a line shorter than 2 characters; stray lines between entries
  // are skipped; an empty identifier adds nothing.
  auto got = parse("junk\n#one\nsp : \"uno\" trailing \"x\"\nfr :\"un\"\n\nmore junk\n#\nEN : \"lost\"\n\n#two\nEN : \"2\"", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].texts[5], "uno");
  EXPECT_EQ(got[0].texts[1], "un");
  EXPECT_EQ(got[1].texts[0], "2");

  // Faults fail the load but keep the records read before.
  for (const char* bad : {"#a\nEN : \"x\"\n\n#b\nXX : \"y\"\n", "#a\nEN : \"x\"\n\n#b\nEN : no quotes\n",
                          "#a\nEN : \"x\"\n\n#b\nEN : \"open\n", "#a\nEN : \"x\"\n\n#b\nabc\n",
                          "#a\nEN : \"x\"\n\n#b\nENG: \"y\"\n"}) {
    got = parse(bad, &ok);
    EXPECT_FALSE(ok) << bad;
    ASSERT_EQ(got.size(), 1u) << bad;
    EXPECT_EQ(got[0].identifier, "a");
  }
}

TEST(StringTable, LoadSortsSavesTwiceToTheSameBytesAndChecksText) {
  test::TempDir dir;
  const std::string path = dir.write("string_table.txt", "#zeta\nEN : \"z\"\n\n#Alpha\nIT : \"a\"\n\n");
  StringTable table;
  EXPECT_TRUE(table.load(path));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.items()[0].identifier, "Alpha");
  const std::string out = dir.file("out.txt");
  ASSERT_TRUE(table.save(out));
  const std::string first = test::TempDir::read(out);
  StringTable again;
  ASSERT_TRUE(again.load(out));
  ASSERT_TRUE(again.save(out));
  EXPECT_EQ(test::TempDir::read(out), first);
  EXPECT_EQ(again.items(), table.items());

  EXPECT_TRUE(table.checkText(first));
  EXPECT_FALSE(table.checkText("#x\nQQ : \"1\"\n"));
  EXPECT_FALSE(StringTable().load(dir.file("missing.txt")));
}

}  // namespace tarvolin::project
