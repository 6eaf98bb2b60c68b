#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <filesystem>

#include "sharing/file_pack.h"
#include "sharing/sharing_kit.h"
#include "sharing/wire.h"

namespace tarvolin::sharing {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

std::string inflateAll(const std::string& z) {
  TempDir dir;
  test::writeFile(dir.file("p"), z);
  // Decompress through a raw zlib stream reader.
  std::string out;
  z_stream s{};
  inflateInit(&s);
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(z.data()));
  s.avail_in = uInt(z.size());
  char buf[4096];
  int rc;
  do {
    s.next_out = reinterpret_cast<Bytef*>(buf);
    s.avail_out = sizeof buf;
    rc = inflate(&s, Z_NO_FLUSH);
    out.append(buf, sizeof buf - s.avail_out);
  } while (rc == Z_OK);
  inflateEnd(&s);
  return rc == Z_STREAM_END ? out : "<dañado>";
}

int filesUnder(const std::string& folder) {
  int n = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec);
       it != fs::recursive_directory_iterator(); ++it)
    if (it->is_regular_file()) ++n;
  return n;
}

TEST(FilePack, PackedContentHasTheExactLayout) {
  TempDir dir;
  test::writeFile(dir.file("src/Script/main.txt"), "; Main script\r\n");
  test::writeFile(dir.file("src/vacío.bin"), "");
  test::writeFile(dir.file("src/big.bin"), std::string(70000, 'q') + "fin");
  std::string error;
  ASSERT_TRUE(packFiles(dir.file("src"), {"Script\\main.txt", "vacío.bin", "big.bin"},
                        dir.file("pack"), error))
      << error;
  const std::string image = inflateAll(test::readFile(dir.file("pack")));
  EXPECT_EQ(image, packImage({{"Script\\main.txt", "; Main script\r\n"},
                              {"vacío.bin", ""},
                              {"big.bin", std::string(70000, 'q') + "fin"}}));
  // Header and the first directory entry, byte for byte.
  EXPECT_EQ(image.substr(0, 8), std::string("NFP0\x01\x00\x10\x00", 8));
  EXPECT_EQ(getLittle32(image.data() + 8), 3u);
  const std::uint32_t dataOffset = getLittle32(image.data() + 12);
  EXPECT_EQ(dataOffset, 16u + (15 + 21) + (10 + 21) + (7 + 21));
  EXPECT_EQ(getLittle16(image.data() + 16), 15 + 21);
  EXPECT_EQ(getLittle32(image.data() + 20), 15u);      // size
  EXPECT_EQ(getLittle32(image.data() + 24), 0u);       // offset in the data area
  EXPECT_EQ(getLittle16(image.data() + 34), 16);       // name length + 1
  EXPECT_EQ(image.substr(36, 16), std::string("Script\\main.txt\0", 16));
  // The third file's data starts after the first two.
  EXPECT_EQ(getLittle32(image.data() + 16 + 36 + 31 + 8), 15u);

  ASSERT_TRUE(unpackFiles(dir.file("pack"), dir.file("out"), {}, error)) << error;
  EXPECT_EQ(test::readFile(dir.file("out/Script/main.txt")), "; Main script\r\n");
  EXPECT_EQ(test::readFile(dir.file("out/big.bin")).size(), 70003u);
  EXPECT_TRUE(fs::exists(dir.file("out/vacío.bin")));
  EXPECT_FALSE(fs::exists(dir.file("pack.pak")));  // the uncompressed form is gone
}

TEST(FilePack, EmptyPackUnpacksToNothing) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(packFiles(dir.path(), {}, dir.file("pack"), error));
  std::vector<PackedFile> files{{"x", 1}};
  ASSERT_TRUE(unpackFiles(dir.file("pack"), dir.file("out"), {}, error, &files)) << error;
  EXPECT_TRUE(files.empty());
  EXPECT_EQ(filesUnder(dir.file("out")), 0);
}

TEST(FilePack, MissingFileFailsThePack) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(packFiles(dir.path(), {"no.txt"}, dir.file("pack"), error));
  EXPECT_NE(error.find("no.txt"), std::string::npos);
}

TEST(FilePack, AFollowedPackingReportsItsBytesAndStopsWhenAsked) {
  TempDir dir;
  // Three megabytes that do not compress, and a small text.
  std::string big(3u << 20, '\0');
  std::uint32_t x = 12345;
  for (char& c : big) c = char((x = x * 1103515245u + 12345u) >> 24);
  test::writeFile(dir.file("big.bin"), big);
  test::writeFile(dir.file("a.txt"), "texto");
  const std::vector<std::string> names{"big.bin", "a.txt"};
  std::string error;
  ASSERT_TRUE(packFiles(dir.path(), names, dir.file("plain"), error)) << error;

  std::vector<std::pair<std::uint64_t, std::uint64_t>> heard;
  PackWatch watch;
  watch.progress = [&](std::uint64_t done, std::uint64_t total) { heard.push_back({done, total}); };
  ASSERT_TRUE(packFiles(dir.path(), names, dir.file("followed"), error, &watch)) << error;
  // Compressing a megabyte at a time gives the very same pack.
  EXPECT_EQ(test::readFile(dir.file("followed")), test::readFile(dir.file("plain")));
  ASSERT_FALSE(heard.empty());
  for (std::size_t i = 0; i < heard.size(); ++i) {
    EXPECT_EQ(heard[i].second, big.size() + 5);
    if (i > 0) {
      EXPECT_GE(heard[i].first, heard[i - 1].first);
    }
  }
  EXPECT_EQ(heard.back().first, big.size() + 5);

  // Stopped: a failure with its reason, and no pack left behind.
  watch.stop = [] { return true; };
  EXPECT_FALSE(packFiles(dir.path(), names, dir.file("stopped"), error, &watch));
  EXPECT_EQ(error, "Empaquetado interrumpido");
  EXPECT_FALSE(std::filesystem::exists(dir.file("stopped")));
}

// A hostile or broken pack is refused whole, with nothing written.
struct Hostile {
  const char* what;
  std::string zlib;
};

std::string withDirectoryEntry(const std::string& name, std::uint32_t size, std::uint32_t offset,
                               const std::string& data) {
  std::string e(20, '\0');
  putLittle16(e.data(), std::uint16_t(name.size() + 21));
  putLittle32(e.data() + 4, size);
  putLittle32(e.data() + 8, offset);
  putLittle16(e.data() + 18, std::uint16_t(name.size() + 1));
  e += name;
  e += '\0';
  std::string head(16, '\0');
  std::memcpy(head.data(), "NFP0", 4);
  putLittle16(head.data() + 4, 1);
  putLittle16(head.data() + 6, 16);
  putLittle32(head.data() + 8, 1);
  putLittle32(head.data() + 12, std::uint32_t(16 + e.size()));
  return head + e + data;
}

TEST(FilePack, HostilePacksAreRefusedWithNothingWritten) {
  std::string bomb = packImage({{"bomba.bin", std::string(64, 'b')}});
  putLittle32(bomb.data() + 16 + 4, 0x7FFFFFFF);  // announces 2 GiB
  std::string bombData = bomb + std::string(3u << 20, '\0');
  const std::vector<Hostile> cases = {
      {"traversal", deflateBytes(packImage({{"..\\..\\fuera.txt", "x"}}))},
      {"nested traversal", deflateBytes(packImage({{"a/../../fuera.txt", "x"}}))},
      {"absolute", deflateBytes(packImage({{"/tmp/fuera.txt", "x"}}))},
      {"backslash absolute", deflateBytes(packImage({{"\\fuera.txt", "x"}}))},
      {"drive", deflateBytes(packImage({{"C:\\fuera.txt", "x"}}))},
      {"NUL inside", deflateBytes(withDirectoryEntry(std::string("ok\0/../x", 8), 1, 0, "x"))},
      {"lying size (more announced)", deflateBytes(withDirectoryEntry("a.txt", 10, 0, "x"))},
      {"lying size (more data)", deflateBytes(withDirectoryEntry("a.txt", 1, 0, "xyz"))},
      {"offset out of order", deflateBytes(withDirectoryEntry("a.txt", 1, 5, "x"))},
      {"bomb", deflateBytes(bombData)},
      {"wrong magic", deflateBytes("NFP1" + packImage({}).substr(4))},
      {"not zlib", std::string("esto no es un paquete")},
      {"truncated", deflateBytes(packImage({{"a.txt", std::string(5000, 'a')}})).substr(0, 20)},
      {"directory past data", deflateBytes(packImage({}).substr(0, 12) + std::string("\xff\xff\x00\x00", 4))},
  };
  for (const Hostile& h : cases) {
    TempDir dir;
    // A good file already in the destination stays as it was.
    test::writeFile(dir.file("out/a.txt"), "original");
    test::writeFile(dir.file("pack"), h.zlib);
    std::string error;
    EXPECT_FALSE(unpackFiles(dir.file("pack"), dir.file("out"), {}, error)) << h.what;
    EXPECT_FALSE(error.empty()) << h.what;
    EXPECT_EQ(test::readFile(dir.file("out/a.txt")), "original") << h.what;
    EXPECT_EQ(filesUnder(dir.file("out")), 1) << h.what;
    EXPECT_FALSE(fs::exists(dir.file("fuera.txt"))) << h.what;
    EXPECT_FALSE(fs::exists(dir.file("pack.pak"))) << h.what;
  }
}

TEST(FilePack, DecompressionStopsAtTheLimit) {
  TempDir dir;
  test::writeFile(dir.file("pack"), deflateBytes(packImage({{"a.bin", std::string(1 << 20, 'a')}})));
  UnpackOptions small;
  small.limit = 64 * 1024;
  std::string error;
  EXPECT_FALSE(unpackFiles(dir.file("pack"), dir.file("out"), small, error));
  EXPECT_EQ(filesUnder(dir.path()), 1);  // only the pack
  EXPECT_TRUE(unpackFiles(dir.file("pack"), dir.file("out"), {}, error)) << error;
}

TEST(FilePack, OnlyExpectedNamesWhenAsked) {
  TempDir dir;
  test::writeFile(dir.file("pack"),
                  deflateBytes(packImage({{"~ProjectVersion.txt", "V:1,a\r\n"},
                                          {"Script\\main.txt", "malicioso"}})));
  const std::vector<std::string> allowed{"~ProjectVersion.txt"};
  UnpackOptions options;
  options.allowedNames = &allowed;
  std::string error;
  EXPECT_FALSE(unpackFiles(dir.file("pack"), dir.file("out"), options, error));
  EXPECT_NE(error.find("Script\\main.txt"), std::string::npos);
  EXPECT_EQ(filesUnder(dir.path()), 1);
}

}  // namespace
}  // namespace tarvolin::sharing
