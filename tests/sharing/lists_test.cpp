#include <gtest/gtest.h>

#include "platform/file_time.h"
#include "sharing/file_info.h"
#include "sharing/shared_names.h"
#include "sharing/sharing_kit.h"
#include "sharing/version_list.h"

namespace tarvolin::sharing {
namespace {

using test::TempDir;

TEST(SharedFileList, TimeTextIsTheTwoCharacterCodePerByte) {
  // Byte 0x21: low nibble 1 -> char(38) '&', high nibble 2 -> char(50) '2'.
  std::string zeros;
  for (int i = 0; i < 7; ++i) zeros += "#*";
  EXPECT_EQ(fileTimeText(0x21), "&2" + zeros);
  std::uint64_t t = 0;
  ASSERT_TRUE(parseFileTimeText(fileTimeText(0x0123456789ABCDEFULL), t));
  EXPECT_EQ(t, 0x0123456789ABCDEFULL);
  ASSERT_TRUE(parseFileTimeText(fileTimeText(~0ULL), t));
  EXPECT_EQ(t, ~0ULL);
  EXPECT_FALSE(parseFileTimeText("#*#*#*#*#*#*#*#", t));     // odd length
  EXPECT_FALSE(parseFileTimeText("#*#*#*#*#*#*#*", t));      // 7 bytes
  EXPECT_FALSE(parseFileTimeText("$*#*#*#*#*#*#*#*", t));    // '$' is no low-nibble code
}

TEST(SharedFileList, WritesTheListFormatAndReadsItBack) {
  FileInfoList list;
  list.add({"Script\\main.txt", 3, 0x01D0000000000010ULL});
  list.add({"resource.txt", -2, 0});
  const std::string text = list.text();
  EXPECT_EQ(text.substr(0, 10), "}FileInfo\n");
  EXPECT_NE(text.find("]\n|Script\\main.txt\n|3\n|" + fileTimeText(0x01D0000000000010ULL) + "\n[\n"),
            std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 2), "{\n");

  FileInfoList back;
  ASSERT_TRUE(back.parse("basura\n}FileInfoExtra\n" + text.substr(text.find('\n') + 1)));
  EXPECT_EQ(back, list);

  // Entries with a bad version or time are skipped; lines after "{" ignored.
  FileInfoList mixed;
  ASSERT_TRUE(mixed.parse("}FileInfo\r\n]\r\n|a.txt\r\n|x\r\n|" + fileTimeText(1) +
                          "\r\n[\r\n]\r\n|b.txt\r\n|4\r\n|###\r\n[\r\n]\r\n|c/d.txt\r\n|5\r\n|" +
                          fileTimeText(9) + "\r\n[\r\n{\r\n]\r\n|e.txt\r\n|1\r\n|" +
                          fileTimeText(1) + "\r\n[\r\n"));
  ASSERT_EQ(mixed.entries().size(), 1u);
  EXPECT_EQ(mixed.entries()[0], (FileInfo{"c\\d.txt", 5, 9}));
  EXPECT_NE(mixed.find("C/D.TXT"), nullptr);
  FileInfoList none;
  EXPECT_FALSE(none.parse("]\n|a\n|1\n"));
}

TEST(SharedFileList, FileTimesUseTheTicksSince1601) {
  TempDir dir;
  const std::string f = dir.write("a.txt", "x");
  // 2001-09-09 01:46:40 UTC is 1000000000 s after 1970.
  const std::uint64_t ticks = (1000000000ULL + 11644473600ULL) * 10000000ULL + 1234567;
  ASSERT_TRUE(platform::setFileWriteTime(f, ticks));
  std::uint64_t back = 0;
  ASSERT_TRUE(platform::fileWriteTime(f, back));
  EXPECT_EQ(back, ticks);
  EXPECT_FALSE(platform::fileWriteTime(dir.file("missing"), back));
}

TEST(VersionLists, LinesAreReadAsWritten) {
  const std::string text =
      versionListText({{'V', 3, "Script\\main.txt"}, {'C', 2, "a,b.txt"}, {'A', 0, "n.txt"}});
  EXPECT_EQ(text, "V:3,Script\\main.txt\r\nC:2,a,b.txt\r\nA:0,n.txt\r\n");
  // "v" counts as well, the sign is dropped, the name is all after the first comma.
  const auto v = parseVersionLines(text + "v:-7,x y.txt\nV:,bad\nX:1,no\nV:9\nV:--4,two signs\nV:+-4,x\n", 'V');
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[1], (VersionLine{'V', 7, "x y.txt"}));
  const auto all = parseAllVersionLines(text);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1].name, "a,b.txt");
}

TEST(SharedNames, ReceivedNamesMustStayInside) {
  for (const char* good : {"a.txt", "Script\\main.txt", "x/y/z.bin", "..a", "a..b"})
    EXPECT_TRUE(isSafeRelativeName(good)) << good;
  for (const std::string& bad : std::vector<std::string>{"", "/etc/passwd", "\\x", "..\\x", "a/../../b", "C:\\x", "c:x", "a//b",
                          "./a", "a/.", std::string("a\0b", 3), "a\nb"})
    EXPECT_FALSE(isSafeRelativeName(bad)) << bad;
  EXPECT_TRUE(isNeverShared("~tmp.dat"));
  EXPECT_TRUE(isNeverShared("~temp\\Script\\main.txt"));
  EXPECT_TRUE(isNeverShared("Sub\\Network_Versions.TXT"));
  EXPECT_FALSE(isNeverShared("Script\\a~b.txt"));
  EXPECT_TRUE(sameSharedName("Script/Main.TXT", "script\\main.txt"));
}

TEST(ChangeList, ChangedNewAndUnchangedFiles) {
  TempDir dir;
  const std::string root = dir.file("p");
  test::writeFile(root + "/Script/main.txt", "main");
  test::writeFile(root + "/same.txt", "same");
  test::writeFile(root + "/touched.txt", "touched");
  test::writeFile(root + "/nuevo.txt", "nuevo");
  test::writeFile(root + "/~tmp.dat", "temporal");
  test::writeFile(root + "/~temp/Script/x.txt", "resto de una actualización");
  test::writeFile(root + "/network_versions.txt", "}FileInfo\n{\n");
  test::writeFile(root + "/CVS/Entries", "cvs");
  test::writeFile(root + "/Sub/CVS", "cvs file");
  FileInfoList list;
  for (const char* n : {"Script\\main.txt", "same.txt", "touched.txt", "gone.txt"}) {
    std::uint64_t t = 0;
    platform::fileWriteTime(localPathOf(root, n), t);
    list.add({n, 4, t});
  }
  // Touched: a new time with the same bytes still counts as changed.
  test::ageFile(root + "/touched.txt", 60);

  ChangeList changes;
  ASSERT_TRUE(buildChangeList(list, root, true, changes));
  const std::vector<VersionLine> expected = {{'V', 4, "Script\\main.txt"},
                                             {'V', 4, "same.txt"},
                                             {'C', 4, "touched.txt"},
                                             {'A', 0, "nuevo.txt"}};
  EXPECT_EQ(changes.lines, expected);
  EXPECT_EQ(changes.selected, (std::vector<std::string>{"touched.txt", "nuevo.txt"}));

  // Without the CVS exclusion, the CVS files count as new.
  ASSERT_TRUE(buildChangeList(list, root, false, changes));
  EXPECT_EQ(changes.selected.size(), 4u);

  // The version list names only entries whose file exists.
  const auto held = buildVersionList(list, root);
  EXPECT_EQ(held.size(), 3u);
  EXPECT_FALSE(buildChangeList(list, dir.file("missing"), true, changes));
}

}  // namespace
}  // namespace tarvolin::sharing
