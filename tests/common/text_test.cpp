#include "common/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvolin {

TEST(Text, NamesCompareIgnoringAsciiCaseOnly) {
  EXPECT_TRUE(equalsIgnoreCase("V_LV0", "v_lv0"));
  EXPECT_FALSE(equalsIgnoreCase("V_LV0", "V_LV"));
  // Bytes above 127 are not letters: no case folding for them.
  EXPECT_FALSE(equalsIgnoreCase("\xc3\xa1", "\xc3\x81"));
  EXPECT_LT(compareIgnoreCase("alpha", "Beta"), 0);
  EXPECT_EQ(compareIgnoreCase("ABC", "abc"), 0);
  EXPECT_GT(compareIgnoreCase("abcd", "ABC"), 0);
}

TEST(Text, BlanksAreEveryByteUpTo32) {
  EXPECT_TRUE(isBlank('\x01'));
  EXPECT_TRUE(isBlank(' '));
  EXPECT_FALSE(isBlank('!'));
  EXPECT_EQ(skipBlanks("\t \x1f x", 0), 4u);
  EXPECT_EQ(skipBlanks("   ", 0), 3u);
  EXPECT_EQ(trimBlanks("\t a b \r\n"), "a b");
}

TEST(Text, LinesSplitAtLfOrCrLfWithoutATrailingEmptyLine) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(splitLines(""), Lines{});
  EXPECT_EQ(splitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(splitLines("a\n"), Lines{"a"});
  // Empty lines inside count; only a CR right before the LF is a line end.
  EXPECT_EQ(splitLines("\n\r\nx\ry\n\n"), (Lines{"", "", "x\ry", ""}));
  EXPECT_EQ(splitLines("\r"), Lines{""});
  const std::string text = "uno\r\ndos";
  const std::vector<std::string_view> views = splitLineViews(text);
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[1], "dos");
  EXPECT_EQ(views[1].data(), text.data() + 5);  // views into the text, not copies
}

TEST(Text, FlagWords) {
  bool v = false;
  for (const char* w : {"1", "TRUE", "Yes", "on"}) {
    v = false;
    EXPECT_TRUE(parseFlagWord(w, v)) << w;
    EXPECT_TRUE(v) << w;
  }
  for (const char* w : {"0", "false", "NO", "Off"}) {
    v = true;
    EXPECT_TRUE(parseFlagWord(w, v)) << w;
    EXPECT_FALSE(v) << w;
  }
  v = true;
  EXPECT_FALSE(parseFlagWord("si", v));
  EXPECT_TRUE(v);
}

}  // namespace tarvolin
