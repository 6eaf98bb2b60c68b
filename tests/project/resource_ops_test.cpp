#include "project/resource_ops.h"

#include <gtest/gtest.h>

#include <map>

#include "common/temp_dir.h"
#include "project/image_bytes.h"
#include "project/images/tilemap_file.h"

namespace tarvolin::project {

using imagebytes::patternImage;

namespace {

// A project folder with a resource root and helpers to put files in it.
struct Fixture {
  tarvolin::test::TempDir dir;
  ResourceContext context;
  ErrorState errors;

  Fixture() {
    context.workingFolder = dir.path();
    context.resourceRoot = dir.path() + "/Resources";
  }
  std::string image(const std::string& name, const IndexedImage& img) {
    std::string path = context.resourceRoot + "/" + name;
    dir.write("Resources/" + name, "");
    std::string error;
    EXPECT_TRUE(writeImageFile(path, img, error)) << error;
    return path;
  }
  void bytes(const std::string& name, const Bytes& data) {
    dir.write("Resources/" + name, std::string(data.begin(), data.end()));
  }
  static Resource resource(const std::string& file, ResourceKind kind) {
    return Resource{.name = "r", .file = ".\\" + file, .kind = kind, .relative = true};
  }
};

// A host whose file chooser answers with a fixed path, or cancels.
class ChooserHost : public Host {
 public:
  explicit ChooserHost(std::string answer) : answer_(std::move(answer)) {}
  void outputLine(std::string_view) override {}
  MessageAnswer messageBox(std::string_view, std::string_view, MessageButtons, MessageAnswer d) override {
    return d;
  }
  bool chooseFile(std::string_view title, std::string_view filter, std::string& path) override {
    titles.emplace_back(title);
    filters.emplace_back(filter);
    startFolders.push_back(path);
    if (answer_.empty()) return false;
    path = answer_;
    return true;
  }
  std::vector<std::string> titles, filters, startFolders;

 private:
  std::string answer_;
};

}  // namespace

TEST(ResourceTiles, EightBitImageGivesWholeTilesOnly) {
  // 20 x 17 pixels: the last 4 columns and the last row are not used.
  Fixture f;
  IndexedImage img = patternImage(20, 17, 8);
  f.image("big.bmp", img);
  Resource r = Fixture::resource("big.bmp", ResourceKind::Bitmap256);
  TileGrid grid;
  ASSERT_TRUE(resourceTileCount(r, f.context, f.errors, grid));
  EXPECT_EQ(grid.across, 2);
  EXPECT_EQ(grid.down, 2);
  EXPECT_EQ(grid.count(), 4);

  std::vector<std::uint8_t> vram(1024 * 64, 0xEE);
  std::vector<int> used;
  ASSERT_TRUE(resourceLoadTiles(r, f.context, f.errors, TileArea::Background, vram, 5, 0,
                                [&](int t) { used.push_back(t); }));
  EXPECT_EQ(used, (std::vector<int>{5, 6, 7, 8}));
  // Tile 8 is image tile (1, 1): its first byte is pixel (8, 8), its last
  // pixel (15, 15); tile 9 is untouched.
  EXPECT_EQ(vram[8 * 64], img.at(8, 8));
  EXPECT_EQ(vram[8 * 64 + 63], img.at(15, 15));
  EXPECT_EQ(vram[7 * 64 + 8], img.at(0, 9));
  EXPECT_EQ(vram[9 * 64], 0xEE);
}

TEST(ResourceTiles, FourBitNibblesStrideAndWrapping) {
  Fixture f;
  IndexedImage img = patternImage(16, 16, 4);
  f.image("t.png", img);
  Resource r = Fixture::resource("t.png", ResourceKind::Bitmap16);
  std::vector<std::uint8_t> vram(2048 * 32, 0);
  std::vector<int> used;
  // Row stride 4 with 2 tiles across: the second row starts 4 tiles later.
  ASSERT_TRUE(resourceLoadTiles(r, f.context, f.errors, TileArea::Background, vram, 10, 4,
                                [&](int t) { used.push_back(t); }));
  EXPECT_EQ(used, (std::vector<int>{10, 11, 14, 15}));
  // Even column in the high nibble: pixels (0,0)=0 and (1,0)=1 give 0x01.
  EXPECT_EQ(vram[10 * 32], (img.at(0, 0) << 4) | img.at(1, 0));
  EXPECT_EQ(vram[10 * 32 + 5], (img.at(2, 1) << 4) | img.at(3, 1));
  EXPECT_EQ(vram[15 * 32 + 31], (img.at(14, 15) << 4) | img.at(15, 15));

  // 16 x 8 at background tile 2047 writes tiles 2047 and 0.
  IndexedImage strip = patternImage(16, 8, 4);
  f.image("strip.bmp", strip);
  used.clear();
  ASSERT_TRUE(resourceLoadTiles(Fixture::resource("strip.bmp", ResourceKind::Bitmap16), f.context,
                                f.errors, TileArea::Background, vram, 2047, 0,
                                [&](int t) { used.push_back(t); }));
  EXPECT_EQ(used, (std::vector<int>{2047, 0}));
  EXPECT_EQ(vram[0], (strip.at(8, 0) << 4) | strip.at(9, 0));
  // Sprite memory holds 1024 tiles at 4 bits and 512 at 8 bits.
  std::vector<std::uint8_t> sprites(1024 * 32, 0);
  used.clear();
  ASSERT_TRUE(resourceLoadTiles(Fixture::resource("strip.bmp", ResourceKind::Bitmap16), f.context,
                                f.errors, TileArea::Sprite, sprites, 1023, 0,
                                [&](int t) { used.push_back(t); }));
  EXPECT_EQ(used, (std::vector<int>{1023, 0}));
  EXPECT_EQ(tileAreaCapacity(TileArea::Sprite, 8), 512);
  EXPECT_EQ(tileAreaCapacity(TileArea::Background, 8), 1024);
  // Video memory splits into the two areas; a short one gives what it has.
  std::vector<std::uint8_t> memory(96 * 1024);
  EXPECT_EQ(tileAreaOf(memory, TileArea::Background).data(), memory.data());
  EXPECT_EQ(tileAreaOf(memory, TileArea::Background).size(), 0x10000u);
  EXPECT_EQ(tileAreaOf(memory, TileArea::Sprite).data(), memory.data() + 0x10000);
  EXPECT_EQ(tileAreaOf(memory, TileArea::Sprite).size(), 0x8000u);
  EXPECT_TRUE(tileAreaOf(std::span(memory).first(0x100), TileArea::Sprite).empty());
  // A negative first tile wraps too.
  used.clear();
  ASSERT_TRUE(resourceLoadTiles(Fixture::resource("strip.bmp", ResourceKind::Bitmap16), f.context,
                                f.errors, TileArea::Background, vram, -1, 0,
                                [&](int t) { used.push_back(t); }));
  EXPECT_EQ(used, (std::vector<int>{2047, 0}));
}

TEST(ResourceTiles, KindAndDepthMismatches) {
  Fixture f;
  f.image("four.bmp", patternImage(8, 8, 4));
  f.image("one.bmp", patternImage(8, 8, 1));
  f.image("rgb.png", IndexedImage::blank(8, 8, kTruecolourBits));
  f.bytes("junk.bmp", Bytes{'B', 'M', 1, 2});
  std::vector<std::uint8_t> vram(2048 * 32, 0);
  auto load = [&](const std::string& file, ResourceKind kind) {
    f.errors.Clear();
    return resourceLoadTiles(Fixture::resource(file, kind), f.context, f.errors,
                             TileArea::Background, vram, 0, 0);
  };
  EXPECT_FALSE(load("four.bmp", ResourceKind::Bitmap256));
  EXPECT_EQ(f.errors.GetError(), err::kUnsupportedImageFormat);
  EXPECT_FALSE(load("one.bmp", ResourceKind::Bitmap16));
  EXPECT_EQ(f.errors.GetError(), err::kUnsupportedImageFormat);
  EXPECT_FALSE(load("rgb.png", ResourceKind::Bitmap256));
  EXPECT_EQ(f.errors.GetError(), err::kUnsupportedImageFormat);
  EXPECT_FALSE(load("four.bmp", ResourceKind::BitmapRaw));
  EXPECT_EQ(f.errors.GetError(), err::kWrongResourceKind);
  EXPECT_FALSE(load("junk.bmp", ResourceKind::Bitmap16));
  EXPECT_EQ(f.errors.GetError(), err::kResourceFile);
  std::string detail;
  ASSERT_TRUE(f.errors.ErrorDetail(detail));
  EXPECT_EQ(detail.rfind("BMP: ", 0), 0u);
  EXPECT_EQ(std::count(vram.begin(), vram.end(), 0), static_cast<long>(vram.size()));

  // Into a block, a mismatch fails without setting an error.
  f.errors.Clear();
  std::vector<std::uint8_t> block(256, 0);
  EXPECT_FALSE(resourceLoadTilesToBlock(Fixture::resource("four.bmp", ResourceKind::Bitmap256),
                                        f.context, f.errors, 0, block));
  EXPECT_FALSE(f.errors.HasError());
}

TEST(ResourceTiles, BlockLoadsStopAtTheSpace) {
  Fixture f;
  IndexedImage img = patternImage(24, 8, 4);  // three tiles
  f.image("row.bmp", img);
  Resource r = Fixture::resource("row.bmp", ResourceKind::Bitmap16);
  // Room for tiles 1 and 2 after skipping one tile: the third does not fit.
  std::vector<std::uint8_t> block(32 * 3 + 10, 0xAA);
  ASSERT_TRUE(resourceLoadTilesToBlock(r, f.context, f.errors, 1, block));
  EXPECT_EQ(block[0], 0xAA);
  EXPECT_EQ(block[32], (img.at(0, 0) << 4) | img.at(1, 0));
  EXPECT_EQ(block[64], (img.at(8, 0) << 4) | img.at(9, 0));
  EXPECT_EQ(block[96], 0xAA);
  // A first tile beyond the space stores nothing.
  std::vector<std::uint8_t> small(40, 0xAA);
  ASSERT_TRUE(resourceLoadTilesToBlock(r, f.context, f.errors, 2, small));
  EXPECT_EQ(std::count(small.begin(), small.end(), 0xAA), 40);
  ASSERT_TRUE(resourceLoadTilesToBlock(r, f.context, f.errors, -1, small));
  EXPECT_EQ(std::count(small.begin(), small.end(), 0xAA), 40);
}

TEST(ResourcePalettes, SixteenAndTwoFiftySixColours) {
  Fixture f;
  IndexedImage img = patternImage(8, 8, 4);
  img.palette[1] = Rgb{255, 8, 16};  // 31, 1, 2 in GBA channels
  f.image("p.bmp", img);
  f.dir.write("Resources/full.pal", "JASC-PAL\n0100\n2\n8 0 0\n0 0 255\n");
  std::vector<std::uint16_t> palette(256, 0xFFFF);
  ASSERT_TRUE(resourceLoadPalette(Fixture::resource("p.bmp", ResourceKind::PaletteRaw16), f.context,
                                  f.errors, 2, palette));
  EXPECT_EQ(palette[31], 0xFFFF);
  EXPECT_EQ(palette[33], 31 | (1 << 5) | (2 << 10));
  EXPECT_EQ(palette[48], 0xFFFF);
  // Through an entry writer the same colours reach the same entries.
  std::map<int, std::uint16_t> written;
  ASSERT_TRUE(resourceLoadPalette(Fixture::resource("p.bmp", ResourceKind::PaletteRaw16), f.context,
                                  f.errors, 15, [&](int i, std::uint16_t c) { written[i] = c; }));
  EXPECT_EQ(written.size(), 16u);
  EXPECT_EQ(written.begin()->first, 240);
  EXPECT_EQ(written[241], palette[33]);
  // 256 colours from entry 0; colours the file lacks load as black.
  ASSERT_TRUE(resourceLoadPalette(Fixture::resource("full.pal", ResourceKind::PaletteRaw256),
                                  f.context, f.errors, 7, palette));
  EXPECT_EQ(palette[0], 1);
  EXPECT_EQ(palette[1], 31 << 10);
  EXPECT_EQ(palette[2], 0);
  EXPECT_EQ(palette[255], 0);

  EXPECT_FALSE(resourceLoadPalette(Fixture::resource("p.bmp", ResourceKind::Bitmap16), f.context,
                                   f.errors, 0, palette));
  EXPECT_EQ(f.errors.GetError(), err::kWrongResourceKind);
  f.dir.write("Resources/bad.pal", "JASC-PAL\n0100\n9\n");
  EXPECT_FALSE(resourceLoadPalette(Fixture::resource("bad.pal", ResourceKind::PaletteRaw16),
                                   f.context, f.errors, 0, palette));
  EXPECT_EQ(f.errors.GetError(), err::kResourceFile);
  std::string detail;
  ASSERT_TRUE(f.errors.ErrorDetail(detail));
  EXPECT_EQ(detail.rfind("PAL: ", 0), 0u);
  EXPECT_FALSE(resourceLoadPalette(Fixture::resource("p.bmp", ResourceKind::PaletteRaw16), f.context,
                                   f.errors, 16, palette));
  EXPECT_EQ(f.errors.GetError(), err::kPaletteIndexOutOfRange);
}

TEST(ResourceTileMaps, FileFormatRoundTripAndRejects) {
  for (std::uint16_t version : {kTileMapVersionWide, kTileMapVersionNarrow}) {
    TileMapFile map;
    map.version = version;
    map.width = 3;
    map.height = 2;
    map.entries = {1, 2, 3, 250, 5, 6};
    if (map.wide()) map.entries[5] = 0xF123;
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(writeTileMap(map, bytes, error)) << error;
    EXPECT_EQ(bytes.size(), 8u + 6u * (map.wide() ? 2 : 1));
    TileMapFile back;
    ASSERT_TRUE(readTileMap(bytes, back, error)) << error;
    EXPECT_EQ(back.version, version);
    EXPECT_EQ(back.entries, map.entries);
    // Every shorter prefix is refused.
    for (std::size_t n = 0; n < bytes.size(); ++n)
      EXPECT_FALSE(readTileMap(ByteView(bytes.data(), n), back, error)) << n;
  }
  std::string error;
  TileMapFile out;
  EXPECT_FALSE(readTileMap(Bytes{'T', 'M', 0x02, 0x01, 1, 0, 1, 0, 0}, out, error));
  EXPECT_FALSE(readTileMap(Bytes{'T', 'X', 0x01, 0x01, 1, 0, 1, 0, 0}, out, error));
  EXPECT_FALSE(readTileMap(Bytes{'T', 'M', 0x01, 0x01, 0, 0, 1, 0, 0}, out, error));
  EXPECT_FALSE(readTileMap(Bytes{'T', 'M', 0x01, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0}, out, error));
  TileMapFile narrow{kTileMapVersionNarrow, 1, 1, {300}};
  Bytes bytes;
  EXPECT_FALSE(writeTileMap(narrow, bytes, error));
}

TEST(ResourceTileMaps, LoadsClipIntoTheMap) {
  Fixture f;
  auto put = [&](const std::string& name, std::uint16_t version, int w, int h,
                 std::vector<std::uint16_t> entries) {
    Bytes bytes;
    std::string error;
    ASSERT_TRUE(writeTileMap(TileMapFile{version, w, h, std::move(entries)}, bytes, error));
    f.bytes(name, bytes);
  };
  put("wide.tvm", kTileMapVersionWide, 3, 2, {0x1001, 0x1002, 0x1003, 0x2004, 0x2005, 0x2006});
  put("narrow.tvm", kTileMapVersionNarrow, 2, 1, {200, 201});
  f.bytes("broken.tvm", Bytes{'T', 'M', 0, 1, 5, 0, 5, 0, 1});

  std::map<std::pair<int, int>, std::uint16_t> cells;
  TileMapTarget text{4, 4, false, [&](int x, int y, std::uint16_t v) { cells[{x, y}] = v; }};
  // Placed at (2, 3): only (2, 3) and (3, 3) of the first row fit.
  ASSERT_TRUE(resourceLoadTileMap(Fixture::resource("wide.tvm", ResourceKind::Tilemap), f.context,
                                  f.errors, text, 2, 3));
  EXPECT_EQ(cells, (std::map<std::pair<int, int>, std::uint16_t>{{{2, 3}, 0x1001}, {{3, 3}, 0x1002}}));
  cells.clear();
  ASSERT_TRUE(resourceLoadTileMap(Fixture::resource("wide.tvm", ResourceKind::Tilemap), f.context,
                                  f.errors, text, -2, -1));
  EXPECT_EQ(cells, (std::map<std::pair<int, int>, std::uint16_t>{{{0, 0}, 0x2006}}));

  // One-byte entries go into rotation maps and, zero-extended, text maps.
  cells.clear();
  TileMapTarget rotation{16, 16, true, text.set};
  ASSERT_TRUE(resourceLoadTileMap(Fixture::resource("narrow.tvm", ResourceKind::Tilemap), f.context,
                                  f.errors, rotation, 0, 0));
  EXPECT_EQ(cells[std::make_pair(1, 0)], 201);
  EXPECT_FALSE(resourceLoadTileMap(Fixture::resource("wide.tvm", ResourceKind::Tilemap), f.context,
                                   f.errors, rotation, 0, 0));
  EXPECT_EQ(f.errors.GetError(), err::kCannotDecodeResource);

  EXPECT_FALSE(resourceLoadTileMap(Fixture::resource("broken.tvm", ResourceKind::Tilemap), f.context,
                                   f.errors, text, 0, 0));
  EXPECT_EQ(f.errors.GetError(), err::kCannotDecodeResource);
  EXPECT_FALSE(resourceLoadTileMap(Fixture::resource("wide.tvm", ResourceKind::Binary), f.context,
                                   f.errors, text, 0, 0));
  EXPECT_EQ(f.errors.GetError(), err::kWrongResourceKind);
}

TEST(ResourceValues, SizesAndReadsOfRawFiles) {
  Fixture f;
  f.bytes("data.bin", Bytes{0x81, 0xFE, 0x34, 0x12, 0xFF, 0xFF, 0x07});
  Resource bin = Fixture::resource("data.bin", ResourceKind::Binary);
  std::int64_t size = -1;
  ASSERT_TRUE(resourceSize(bin, f.context, f.errors, size));
  EXPECT_EQ(size, 7);
  ASSERT_TRUE(resourceSize(Fixture::resource("data.bin", ResourceKind::PaletteRaw16), f.context, f.errors, size));
  EXPECT_EQ(size, 32);
  ASSERT_TRUE(resourceSize(Fixture::resource("data.bin", ResourceKind::PaletteRaw256), f.context, f.errors, size));
  EXPECT_EQ(size, 512);
  ASSERT_TRUE(resourceSize(Fixture::resource("data.bin", ResourceKind::Tilemap), f.context, f.errors, size));
  EXPECT_EQ(size, 0);

  std::int32_t v = 0;
  ASSERT_TRUE(resourceReadValue(bin, f.context, f.errors, 0, 0, v));
  EXPECT_EQ(v, 0x81);
  ASSERT_TRUE(resourceReadValue(bin, f.context, f.errors, 1, 0, v));
  EXPECT_EQ(v, -127);
  ASSERT_TRUE(resourceReadValue(bin, f.context, f.errors, 2, 2, v));
  EXPECT_EQ(v, 0x1234);
  ASSERT_TRUE(resourceReadValue(bin, f.context, f.errors, 3, 4, v));
  EXPECT_EQ(v, -1);
  ASSERT_TRUE(resourceReadValue(bin, f.context, f.errors, 0, 6, v));
  EXPECT_EQ(v, 7);

  // A 16-bit read at an odd offset; reads at or past the end; other kinds.
  EXPECT_FALSE(resourceReadValue(bin, f.context, f.errors, 2, 3, v));
  EXPECT_EQ(f.errors.GetError(), err::kMisaligned);
  EXPECT_FALSE(resourceReadValue(bin, f.context, f.errors, 0, 7, v));
  EXPECT_EQ(f.errors.GetError(), err::kResourceFile);
  EXPECT_FALSE(resourceReadValue(bin, f.context, f.errors, 2, 6, v));
  EXPECT_EQ(f.errors.GetError(), err::kResourceFile);
  EXPECT_FALSE(resourceReadValue(bin, f.context, f.errors, 0, -1, v));
  EXPECT_EQ(f.errors.GetError(), err::kResourceFile);
  EXPECT_FALSE(resourceReadValue(Fixture::resource("data.bin", ResourceKind::Bitmap16), f.context,
                                 f.errors, 0, 0, v));
  EXPECT_EQ(f.errors.GetError(), err::kResourceFile);
}

TEST(ResourceResolve, RangedFilesAndMissingFiles) {
  Fixture f;
  f.bytes("frame0a.bmp", Bytes{1});
  Resource r = Fixture::resource("frame.bmp", ResourceKind::Binary);
  r.range = true;
  r.rangeFormat = *rangeFormatFromName("Hex00");
  r.rangeMax = 16;
  f.context.rangeIndex = 10;
  std::string path;
  ASSERT_EQ(resolveResourceFile(r, f.context, f.errors, path), ResolveResult::Found);
  EXPECT_EQ(path, f.context.resourceRoot + "/frame0a.bmp");
  EXPECT_TRUE(resourceExists(r, f.context));

  f.context.rangeIndex = 16;
  EXPECT_EQ(resolveResourceFile(r, f.context, f.errors, path), ResolveResult::Failed);
  EXPECT_EQ(f.errors.GetError(), err::kResourceRangeTooSmall);
  EXPECT_FALSE(resourceExists(r, f.context));
  f.context.rangeIndex = -1;
  EXPECT_EQ(resolveResourceFile(r, f.context, f.errors, path), ResolveResult::Failed);
  EXPECT_EQ(f.errors.GetError(), err::kResourceRangeTooSmall);

  f.context.rangeIndex = 11;
  EXPECT_EQ(resolveResourceFile(r, f.context, f.errors, path), ResolveResult::Failed);
  EXPECT_EQ(f.errors.GetError(), err::kRangeFileMissing);
  std::string detail;
  ASSERT_TRUE(f.errors.ErrorDetail(detail));
  EXPECT_EQ(detail, "Archivo <" + f.context.resourceRoot + "/frame0b.bmp>, rango de recurso 11");

  Resource plain = Fixture::resource("none.bmp", ResourceKind::Binary);
  EXPECT_EQ(resolveResourceFile(plain, f.context, f.errors, path), ResolveResult::Failed);
  EXPECT_EQ(f.errors.GetError(), err::kFileMissing);
  ASSERT_TRUE(f.errors.ErrorDetail(detail));
  EXPECT_EQ(detail, "Archivo <" + f.context.resourceRoot + "/none.bmp>");
  ResolveOptions optional;
  optional.mustExist = false;
  f.errors.Clear();
  EXPECT_EQ(resolveResourceFile(plain, f.context, f.errors, path, optional), ResolveResult::Found);
  EXPECT_FALSE(f.errors.HasError());

  // Names are found ignoring case; non-relative paths are taken as they are.
  Resource upper = Fixture::resource("FRAME0A.BMP", ResourceKind::Binary);
  EXPECT_TRUE(resourceExists(upper, f.context));
  Resource absolute = upper;
  absolute.relative = false;
  absolute.file = f.context.resourceRoot + "/frame0a.bmp";
  EXPECT_TRUE(resourceExists(absolute, f.context));
}

TEST(ResourceResolve, RangeNumbersInFileNames) {
  EXPECT_EQ(rangedFileName("walk.bmp", 1, 3), "walk03.bmp");
  EXPECT_EQ(rangedFileName("a.b\\walk.x.bmp", 0, 7), "a.b\\walk.x7.bmp");
  // A name without "." gets the number and a "." at its end; a "." in a
  // folder name is not the file's.
  EXPECT_EQ(rangedFileName("walk", 2, 5), "walk005.");
  EXPECT_EQ(rangedFileName(".\\walk", 7, 255), ".\\walk00ff.");
  // Numbers above a format's largest are written as the largest.
  EXPECT_EQ(formatRangeNumber(0, 500), "99");
  EXPECT_EQ(formatRangeNumber(4, 300), "ff");
  EXPECT_EQ(formatRangeNumber(3, 12), "0012");

  // The trailing "." finds the file without it.
  Fixture f;
  f.bytes("walk005", Bytes{1});
  Resource r = Fixture::resource("walk", ResourceKind::Binary);
  r.range = true;
  r.rangeFormat = 2;
  r.rangeMax = 10;
  f.context.rangeIndex = 5;
  EXPECT_TRUE(resourceExists(r, f.context));
}

TEST(ResourceResolve, AskModeUsesTheHostChooser) {
  Fixture f;
  f.bytes("given.bin", Bytes{42});
  Resource r = Fixture::resource("elsewhere.bin", ResourceKind::Binary);
  r.ask = true;

  ChooserHost chooser(f.context.resourceRoot + "/given.bin");
  f.context.host = &chooser;
  std::int32_t v = 0;
  ASSERT_TRUE(resourceReadValue(r, f.context, f.errors, 0, 0, v));
  EXPECT_EQ(v, 42);
  ASSERT_EQ(chooser.titles.size(), 1u);
  EXPECT_EQ(chooser.titles[0], "Seleccionar el archivo para cargar");
  EXPECT_EQ(chooser.filters[0], "*.*");
  EXPECT_EQ(chooser.startFolders[0], f.context.resourceRoot);
  std::string path;
  ResolveOptions saving;
  saving.forSaving = true;
  saving.mustExist = false;
  ASSERT_EQ(resolveResourceFile(r, f.context, f.errors, path, saving), ResolveResult::Found);
  EXPECT_EQ(chooser.titles[1], "Seleccionar el archivo para guardar");

  // A cancel is reported to callers that ask for it; others go on to the
  // resource's own file.
  ChooserHost cancel("");
  f.context.host = &cancel;
  ResolveOptions wantsCancel;
  wantsCancel.reportCancel = true;
  EXPECT_EQ(resolveResourceFile(r, f.context, f.errors, path, wantsCancel), ResolveResult::Cancelled);
  EXPECT_EQ(resolveResourceFile(r, f.context, f.errors, path), ResolveResult::Failed);
  EXPECT_EQ(f.errors.GetError(), err::kFileMissing);
  // Without a host the chooser is never shown.
  f.context.host = nullptr;
  EXPECT_EQ(resolveResourceFile(r, f.context, f.errors, path, wantsCancel), ResolveResult::Cancelled);
  ResolveOptions noAsk;
  noAsk.askAllowed = false;
  noAsk.mustExist = false;
  ASSERT_EQ(resolveResourceFile(r, f.context, f.errors, path, noAsk), ResolveResult::Found);
  EXPECT_EQ(path, f.context.resourceRoot + "/elsewhere.bin");
}

}  // namespace tarvolin::project
