#include "project/fontmaps.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/images/image.h"
#include "project/resource.h"
#include "project/resource_ops.h"

namespace tarvolin::project {

namespace {
FontMap lettersAndDigits() {
  FontMap m;
  m.name = "font";
  m.ranges = {CharRange{'A', 'Z', 0}, CharRange{'0', '9', 52}};
  m.cellWidth = 1;
  m.cellHeight = 2;
  return m;
}
std::vector<FontMap> parse(const std::string& text, bool* ok = nullptr) {
  std::vector<FontMap> out;
  LineReader in(text);
  const bool r = readFontMaps(in, out);
  if (ok) *ok = r;
  return out;
}
}  // namespace

TEST(FontMap, CharactersToTilesAndSizes) {
  FontMap m = lettersAndDigits();
  EXPECT_EQ(m.glyphOf('C')->tile, 4);
  EXPECT_EQ(m.glyphOf('5')->tile, 62);
  EXPECT_EQ(m.glyphOf('5')->sizeIndex, 31);
  EXPECT_FALSE(m.glyphOf('c'));
  EXPECT_FALSE(m.glyphOf(' '));
  m.ignoreCase = true;
  EXPECT_EQ(m.glyphOf('c')->tile, 4);
  EXPECT_EQ(m.glyphOf('c')->sizeIndex, 2);
  EXPECT_FALSE(m.glyphOf('{'));  // only A..Z fold

  // An empty range covers nothing but is passed over.
  m.ranges.insert(m.ranges.begin(), CharRange{20, 10, 99});
  EXPECT_EQ(m.coveredCount(), 36);
  EXPECT_EQ(m.glyphOf('5')->tile, 62);

  // Sizes: the table when rendered, else the whole cell.
  EXPECT_EQ(m.sizeOf(*m.glyphOf('A')), (CharSize{8, 16}));
  m.rendered = true;
  m.updateSizeTable();
  ASSERT_EQ(m.sizes.size(), 36u);
  m.sizes[31] = CharSize{5, 7};
  EXPECT_EQ(m.sizeOf(*m.glyphOf('5')), (CharSize{5, 7}));
}

TEST(FontMap, RangesRefuseOverlapAtEitherEnd) {
  FontMap m;
  ASSERT_TRUE(m.addRange(CharRange{65, 90, 0}));
  EXPECT_FALSE(m.addRange(CharRange{60, 70, 0}));
  EXPECT_FALSE(m.addRange(CharRange{90, 95, 0}));
  EXPECT_TRUE(m.addRange(CharRange{91, 95, 26}));
  EXPECT_EQ(m.ranges.size(), 2u);
}

TEST(FontMap, SizeTableUpkeepOnWriting) {
  FontMap m;
  m.name = "digits";
  m.ranges = {CharRange{'0', '9', 0}};
  m.rendered = true;
  std::string text = writeFontMaps({m});
  std::string pairs;
  for (int i = 0; i < 10; ++i) pairs += "8\n8\n";
  EXPECT_EQ(text, std::string(headerText(HeaderKind::Fontmap)) +
                      "#digits\nAscii\nfalse\n$48\n57\n0\n#\n1\n1\n#v1.40b\ntrue\n\n" + pairs +
                      "\n");
  // Too long a table is cut from the end; a cell of 2 x 3 fills with 16 x 24.
  m.sizes.assign(12, CharSize{3, 4});
  m.ranges[0].last = '1';
  m.updateSizeTable();
  EXPECT_EQ(m.sizes.size(), 2u);
  m.ranges[0].last = '3';
  m.cellWidth = 2;
  m.cellHeight = 3;
  m.updateSizeTable();
  EXPECT_EQ(m.sizes, (std::vector<CharSize>{{3, 4}, {3, 4}, {16, 24}, {16, 24}}));
  m.rendered = false;
  m.updateSizeTable();
  EXPECT_TRUE(m.sizes.empty());
}

TEST(FontMap, FileRoundTripsAndOlderForm) {
  FontMap a = lettersAndDigits();
  a.ignoreCase = true;
  a.imageResource = "FontImage";
  a.rendered = true;
  a.updateSizeTable();
  a.sizes[3] = CharSize{0, 255};
  FontMap b;
  b.name = "kanji";
  b.type = FontMapType::Kanji;
  b.ranges = {CharRange{0x8140, 0x817E, -5}};
  b.cellWidth = 8;
  b.cellHeight = 8;
  const std::string text = writeFontMaps({a, b});
  bool ok = false;
  auto back = parse(text, &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0], a);
  EXPECT_EQ(back[1], b);
  EXPECT_EQ(writeFontMaps(back), text);

  // The older form: the entry ends after its ranges, with cell 1 x 1, not
  // rendered and no image.
  back = parse("#old\nascii\nyes\n$65\n70\n3\n\n#next\nKanji\nfalse\n#\n2\n2\n\n", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].cellWidth, 1);
  EXPECT_FALSE(back[0].rendered);
  EXPECT_TRUE(back[0].ignoreCase);
  EXPECT_EQ(back[0].ranges, (std::vector<CharRange>{{65, 70, 3}}));
  EXPECT_EQ(back[1].cellWidth, 2);
  EXPECT_TRUE(back[1].imageResource.empty());
}

TEST(FontMap, BadEntriesFailAndKeepWhatCameBefore) {
  const std::string good = "#ok\nAscii\nfalse\n\n";
  for (const char* bad : {"#x\nRoman\nfalse\n", "#x\nAscii\nfalse\n$6a\n", "#x\nAscii\nfalse\n$1\nten\n0\n",
                          "#x\nAscii\nfalse\n#\nwide\n1\n", "#x\nAscii\nfalse\n$1\n2\n0\n#\n1\n1\n#V1.40B\ntrue\nimg\n8\n8\n8\n"}) {
    bool ok = true;
    auto got = parse(good + bad, &ok);
    EXPECT_FALSE(ok) << bad;
    ASSERT_EQ(got.size(), 1u) << bad;
    EXPECT_EQ(got[0].name, "ok");
  }
  // Cell sizes outside 1..8 are brought inside; sizes above 255 held at 255.
  bool ok = false;
  auto got = parse("#x\nAscii\nfalse\n$1\n1\n0\n#\n0\n99\n#v1.40b\ntrue\nimg\n300\n-4\n", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].cellWidth, 1);
  EXPECT_EQ(got[0].cellHeight, 8);
  EXPECT_EQ(got[0].sizes, (std::vector<CharSize>{{255, 0}}));
  // An unknown type is written with its placeholder name.
  FontMap odd;
  odd.name = "odd";
  odd.type = static_cast<FontMapType>(7);
  EXPECT_NE(writeFontMaps({odd}).find("\nUnknown fontmap type!\n"), std::string::npos);
}

TEST(FontMap, PreviewNeedsAFourOrEightBitImageResource) {
  test::TempDir dir;
  std::string error;
  ASSERT_TRUE(writeImageFile(dir.file("font4.bmp"), IndexedImage::blank(16, 8, 4), error)) << error;
  ASSERT_TRUE(writeImageFile(dir.file("mono.bmp"), IndexedImage::blank(16, 8, 1), error)) << error;
  ResourceList resources;
  auto add = [&](const char* name, const char* file, ResourceKind kind) {
    Resource r;
    r.name = name;
    r.file = dir.file(file);
    r.kind = kind;
    ASSERT_TRUE(resources.add(r));
  };
  add("Font", "font4.bmp", ResourceKind::Bitmap16);
  add("Mono", "mono.bmp", ResourceKind::Bitmap256);
  add("Raw", "font4.bmp", ResourceKind::BitmapRaw);
  add("Gone", "missing.bmp", ResourceKind::Bitmap16);
  ResourceContext context;
  FontMap map;
  for (const char* name : {"", "Nothing", "Mono", "Raw", "Gone"}) {
    map.imageResource = name;
    EXPECT_FALSE(fontMapPreviewReady(map, resources, context)) << name;
  }
  map.imageResource = "FONT";
  EXPECT_TRUE(fontMapPreviewReady(map, resources, context));
}

}  // namespace tarvolin::project
