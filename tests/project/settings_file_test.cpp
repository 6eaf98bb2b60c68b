#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/settings_file.h"

namespace tarvolin::project {
namespace {

struct Values {
  std::string text, multi, secret;
  double real = 0;
  bool flag = false, trueFlag = false;
  int number = 0, byte = 0, other = 0;
  std::uint32_t colour = 0;
  bool operator==(const Values&) const = default;
};

SettingTable tableFor(Values& v) {
  using T = SettingType;
  return {
      {T::Text, "TEXT", &v.text, "default text"},
      {T::Real, "REAL", &v.real, "1.5"},
      {T::Bool, "FLAG", &v.flag, "FALSE"},
      {T::Bool, "TRUE_FLAG", &v.trueFlag, "TRUE"},
      {T::Integer, "NUMBER", &v.number, "60"},
      {T::Byte, "BYTE", &v.byte, "65"},
      {T::Integer5, "OTHER", &v.other, "0"},
      {T::MultiLineText, "MULTI", &v.multi, ""},
      {T::Colour, "COLOUR", &v.colour, "255,128,1"},
      {T::Enciphered, "SECRET", &v.secret, ""},
  };
}

Values readText(const std::string& text, Values start = {}, bool* result = nullptr) {
  SettingTable table = tableFor(start);
  applySettingDefaults(table);
  LineReader in(text);
  bool ok = readSettings(in, table);
  if (result) *result = ok;
  return start;
}

TEST(SettingsFile, EveryTypeRoundTrips) {
  Values v;
  v.text = "C:\\Juegos\\Demo con ñ";
  v.real = -12.5;
  v.flag = true;
  v.trueFlag = false;
  v.number = -2147483647 - 1;
  v.byte = 255;
  v.other = 7;
  v.multi = "line one\r\n\r\n]bracketed\r\n";
  v.colour = 0x00804020;
  v.secret = std::string("pa\0ss wörd\xff", 12);
  const std::string text = writeSettings(tableFor(v));

  Values back = readText(text);
  EXPECT_EQ(back, v);
  EXPECT_EQ(writeSettings(tableFor(back)), text);

  // The written form of each type.
  EXPECT_NE(text.find("#REAL\n-12.500000\n\n"), std::string::npos);
  EXPECT_NE(text.find("#FLAG\nTRUE\n\n#TRUE_FLAG\nFALSE\n\n"), std::string::npos);
  EXPECT_NE(text.find("#BYTE\n255\n\n"), std::string::npos);
  EXPECT_NE(text.find("#MULTI\n]line one\n]\n]]bracketed\n]\n\n\n"), std::string::npos);
  EXPECT_NE(text.find("#COLOUR\n32,64,128\n\n"), std::string::npos);
  EXPECT_EQ(text.find("pa"), std::string::npos);  // the secret is not in clear
  EXPECT_EQ(text.substr(0, 3), ";;;");

  // Empty texts and every flag survive too.
  Values empty;
  empty.trueFlag = true;
  EXPECT_EQ(readText(writeSettings(tableFor(empty))), empty);
}

TEST(SettingsFile, ReadingRules) {
  bool ok = false;
  // Defaults: only non-zero ones are applied; zero ones keep what they had.
  Values start;
  start.other = 99;
  start.flag = true;
  Values v = readText("", start, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(v.text, "default text");
  EXPECT_EQ(v.real, 1.5);
  EXPECT_TRUE(v.trueFlag);
  EXPECT_EQ(v.number, 60);
  EXPECT_EQ(v.byte, 65);
  EXPECT_EQ(v.colour, 0x0180ffu);
  EXPECT_EQ(v.other, 99);
  EXPECT_TRUE(v.flag);

  // Keys ignore case and must match whole; unknown keys and stray lines are
  // skipped, and the line after an unknown key is read as an ordinary line.
  v = readText("junk\n#number\n12\n#NUMBERS\n13\n#UNKNOWN\n#BYTE\n7\n", {}, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(v.number, 12);
  EXPECT_EQ(v.byte, 7);

  // Values that do not parse leave the setting as it was.
  v = readText("#NUMBER\nabc\n#BYTE\n256\n#BYTE\n-1\n#REAL\nx\n#COLOUR\n1,2\n#COLOUR\n1,2,300\n"
               "#SECRET\nABC\n#SECRET\nZZ\n",
               {}, &ok);
  EXPECT_EQ(v.number, 60);
  EXPECT_EQ(v.byte, 65);
  EXPECT_EQ(v.real, 1.5);
  EXPECT_EQ(v.colour, 0x0180ffu);
  EXPECT_EQ(v.secret, "");

  // Bools: the flag words either way, anything else false. Reals are limited.
  v = readText("#TRUE_FLAG\nmaybe\n#FLAG\nOn\n#REAL\n1e300\n", {}, &ok);
  EXPECT_FALSE(v.trueFlag);
  EXPECT_TRUE(v.flag);
  EXPECT_EQ(v.real, 1e9);
  v = readText("#REAL\n-5e10\n#NUMBER\n 42 trailing\n#COLOUR\n 1, 2, 3\n");
  EXPECT_EQ(v.real, -1e9);
  EXPECT_EQ(v.number, 42);
  EXPECT_EQ(v.colour, 0x030201u);

  // A file that ends right after a key is not read (values before stay).
  v = readText("#NUMBER\n5\n#BYTE", {}, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(v.number, 5);
  v = readText("#NUMBER\n5\n#BYTE\n", {}, &ok);
  EXPECT_FALSE(ok);

  // An empty value line is an empty text; a multi-line text without its
  // empty line does not hide the next key.
  v = readText("#TEXT\n\n#MULTI\n]a\n]b\n#NUMBER\n3\n", {}, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(v.text, "");
  EXPECT_EQ(v.multi, "a\r\nb");
  EXPECT_EQ(v.number, 3);

  // A missing file applies the defaults and reports not read.
  Values m;
  EXPECT_FALSE(loadSettingsFile("/nonexistent/Settings.txt", tableFor(m)));
  EXPECT_EQ(m.number, 60);
}

TEST(SettingsFile, Cipher) {
  for (std::string plain : {std::string(), std::string("a"), std::string(300, 'z'),
                            std::string("\0\x01\x80\xff", 4)}) {
    const std::string coded = encipherSetting(plain);
    EXPECT_EQ(coded.size(), plain.size() * 2);
    for (char c : coded) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    std::string back = "unchanged";
    ASSERT_TRUE(decipherSetting(coded, back));
    EXPECT_EQ(back, plain);
  }
  EXPECT_NE(encipherSetting("aaaa").substr(0, 2), encipherSetting("aaaa").substr(2, 2));
  std::string keep = "keep";
  EXPECT_FALSE(decipherSetting("ABC", keep));
  EXPECT_FALSE(decipherSetting("G0", keep));
  EXPECT_EQ(keep, "keep");
}

}  // namespace
}  // namespace tarvolin::project
