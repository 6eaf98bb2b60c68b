#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "project/asset_file.h"
#include "platform/files.h"
#include "project/text_lines.h"

namespace tarvolin::project {
namespace {

std::vector<std::string> allLines(std::string text) {
  LineReader in(std::move(text));
  std::vector<std::string> out;
  std::string line;
  while (in.next(line)) out.push_back(line);
  EXPECT_TRUE(line.empty());  // the read past the end gives an empty line
  return out;
}

TEST(LineReader, LineEndsAndLengths) {
  EXPECT_EQ(allLines("a\nb\r\n\r\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(allLines("x\r"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(allLines("a\rb\n"), (std::vector<std::string>{"a\rb"}));  // a lone CR stays
  EXPECT_TRUE(allLines("").empty());
  std::string huge(3 * 1024 * 1024, 'q');
  auto lines = allLines("#" + huge + "\r\nend");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), huge.size() + 1);
  EXPECT_EQ(lines[1], "end");

  LineReader in("one\ntwo\n");
  std::string line;
  in.next(line);
  in.next(line);
  in.unread();
  in.unread();  // only one step back
  EXPECT_TRUE(in.next(line));
  EXPECT_EQ(line, "two");
  EXPECT_FALSE(in.next(line));

  LineReader missing;
  EXPECT_FALSE(missing.open("/nonexistent/file.txt"));
  EXPECT_FALSE(missing.next(line));
}

TEST(ValueSyntax, IntegersRealsFlags) {
  int v = 7;
  EXPECT_TRUE(parseInt("  -42xyz", v));
  EXPECT_EQ(v, -42);
  EXPECT_FALSE(parseInt("abc", v));
  EXPECT_FALSE(parseInt("", v));
  EXPECT_FALSE(parseInt("-", v));
  EXPECT_FALSE(parseInt("99999999999", v));
  EXPECT_FALSE(parseInt("999999999999999999999999999", v));
  EXPECT_EQ(v, -42);
  EXPECT_TRUE(parseInt("2147483647", v));
  EXPECT_EQ(v, 2147483647);
  EXPECT_TRUE(parseInt("-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);

  double d = 1.5;
  EXPECT_FALSE(parseReal("x", d));
  EXPECT_EQ(d, 1.5);
  EXPECT_TRUE(parseReal(formatReal(-3.25), d));
  EXPECT_EQ(d, -3.25);
  EXPECT_EQ(formatReal(2), "2.000000");

  EXPECT_TRUE(readFlag("YES"));
  EXPECT_TRUE(readFlag("On"));
  EXPECT_FALSE(readFlag("off"));
  EXPECT_FALSE(readFlag("maybe"));
}

TEST(AssetWriter, HeadersAndLayouts) {
  AssetWriter w(HeaderKind::Generic);
  w.beginEntry("name");
  w.line('$', "line with\nbreak");
  w.endEntry();
  EXPECT_EQ(w.text(),
            ";;; Tarvolin script file - automatically generated\n"
            ";;; any changes made by hand will be lost\n\n\n#name\n$line with break\n\n");
  for (HeaderKind k : {HeaderKind::Generic, HeaderKind::Macro, HeaderKind::Resource,
                       HeaderKind::Fontmap, HeaderKind::Array}) {
    auto lines = allLines(std::string(headerText(k)));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(0, 3), ";;;");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "");
  }
  EXPECT_TRUE(headerText(HeaderKind::None).empty());
}

// Reads a block-layout text: the records' fields, or nullopt-like failure.
bool readBlock(const std::string& text, std::string_view section,
               std::vector<std::vector<std::string>>& records) {
  LineReader in(text);
  if (openSection(in, section) != SectionOpen::Found) return true;
  while (true) {
    BlockItem item = nextBlockItem(in);
    if (item == BlockItem::End) return true;
    if (item == BlockItem::Bad) return false;
    std::vector<std::string> fields;
    std::string value;
    while (readField(in, value)) fields.push_back(value);
    records.push_back(fields);
  }
}

TEST(BlockLayout, RoundTripAndSectionRules) {
  AssetWriter w;
  w.beginSection("Tilelist");
  w.beginRecord();
  w.field("first");
  w.field(std::int64_t(-5));
  w.endRecord();
  w.beginRecord();
  w.endRecord();
  w.endSection();
  EXPECT_EQ(w.text(), "}Tilelist\n]\n|first\n|-5\n[\n]\n[\n{\n");

  std::vector<std::vector<std::string>> records;
  ASSERT_TRUE(readBlock("junk before\n" + w.text(), "Tilelist", records));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], (std::vector<std::string>{"first", "-5"}));
  EXPECT_TRUE(records[1].empty());

  // Another section, a longer name, a different case: success, no records.
  for (std::string other : {"}LevelInfo\n]\n|x\n[\n{\n", "}TilelistX\n]\n[\n{\n",
                            "}tilelist\n]\n[\n{\n", "no section at all\n", ""}) {
    records.clear();
    EXPECT_TRUE(readBlock(other, "Tilelist", records)) << other;
    EXPECT_TRUE(records.empty()) << other;
  }
  records.clear();
  EXPECT_TRUE(readBlock("}Tilelist trailing\n]\n[\n{\n", "Tilelist", records));
  EXPECT_EQ(records.size(), 1u);

  // Stray lines and a missing closing "{" fail the read.
  records.clear();
  EXPECT_FALSE(readBlock("}Tilelist\n]\n|a\n[\nstray\n{\n", "Tilelist", records));
  records.clear();
  EXPECT_FALSE(readBlock("}Tilelist\n]\n|a\n[\n", "Tilelist", records));
}

}  // namespace
}  // namespace tarvolin::project
