#include "project/resource_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/temp_dir.h"
#include "project/project.h"
#include "project/resource_ops.h"
#include "project/recording_host.h"

namespace tarvolin::project {

namespace {

Resource sample(const std::string& name, ResourceKind kind) {
  Resource r;
  r.name = name;
  r.file = ".\\" + name + ".bin";
  r.kind = kind;
  r.relative = true;
  return r;
}

}  // namespace

TEST(ResourceFile, WritesEveryFieldAndReadsItBack) {
  ResourceList list;
  Resource walk = sample("walk", ResourceKind::Bitmap16);
  walk.range = true;
  walk.rangeFormat = 5;
  walk.rangeMax = 16;
  walk.ask = true;
  walk.compression = 2;
  ASSERT_TRUE(list.add(walk));
  Resource song = sample("song", ResourceKind::MusicTrack);
  song.relative = false;
  song.file = "C:\\music\\song.xm";
  ASSERT_TRUE(list.add(song));

  const std::string text = writeResources(list.items());
  EXPECT_EQ(text, std::string(headerText(HeaderKind::Resource)) +
                      "#walk\n.\\walk.bin\nBitmap16\nLZH\ntrue\n#Hex00\n16\ntrue\ntrue\n\n"
                      "#song\nC:\\music\\song.xm\nMusic Track\nNone\nfalse\n#Decimal0\n0\nfalse\nfalse\n\n");
  std::vector<Resource> back;
  ASSERT_TRUE(parseResourceText(text, "", back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0], walk);
  EXPECT_EQ(back[1], song);

  // Values without names are written as such, and do not read back.
  Resource odd = sample("odd", static_cast<ResourceKind>(12));
  odd.compression = 7;
  odd.rangeFormat = 9;
  ResourceList oddList;
  oddList.add(odd);
  const std::string oddText = writeResources(oddList.items());
  EXPECT_NE(oddText.find("Unknown type!\nUnknown compression!\ntrue\n#Unknown type!\n"), std::string::npos);
  EXPECT_FALSE(ResourceList().checkText(oddText));
}

TEST(ResourceFile, OlderFiveLineEntriesAndLooseSpelling) {
  // CR LF ends, names in other cases, "MOD file", the five-line form.
  const std::string text =
      ";;; header\r\n\r\n#old\r\n.\\old.bmp\r\nbitmap256\r\nnone\r\nyes\r\n\r\n"
      "#tune\r\ntune.mod\r\nMOD file\r\nrle\r\n0\r\n#decimal00\r\n70000\r\nfalse\r\nON\r\n\r\n"
      "#\r\nnameless\r\nBinary\r\nNone\r\ntrue\r\n\r\n";
  std::vector<Resource> out;
  ASSERT_TRUE(parseResourceText(text, "", out));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].name, "old");
  EXPECT_EQ(out[0].kind, ResourceKind::Bitmap256);
  EXPECT_TRUE(out[0].relative);
  EXPECT_FALSE(out[0].range);
  EXPECT_EQ(out[0].rangeFormat, 0);
  EXPECT_EQ(out[0].rangeMax, 0);
  EXPECT_EQ(out[1].kind, ResourceKind::MusicTrack);
  EXPECT_EQ(out[1].compression, 1);
  EXPECT_EQ(out[1].rangeFormat, 1);  // "Decimal00", not "Decimal0"
  EXPECT_EQ(out[1].rangeMax, 65535);
  EXPECT_TRUE(out[1].range);
  ResourceList list;
  list.add(out[1]);
  EXPECT_NE(writeResources(list.items()).find("\nMusic Track\n"), std::string::npos);
}

TEST(ResourceFile, BadEntriesStopTheLoadKeepingEarlierOnes) {
  const std::string good = "#a\na.bin\nBinary\nNone\nfalse\n#Decimal0\n3\nfalse\nfalse\n\n";
  for (const std::string& bad :
       {std::string("#b\nb.bin\nBitmap16x\nNone\nfalse\n\n"),    // kind not followed by the word's end
        std::string("#b\nb.bin\nBinary\nZIP\nfalse\n\n"),        // unknown compression
        std::string("#b\nb.bin\nBinary\nNone\nfalse\n#Octal\n"),  // unknown range format
        std::string("#b\nb.bin\n")}) {                          // cut short
    std::vector<Resource> out;
    EXPECT_FALSE(parseResourceText(good + bad + good, "", out)) << bad;
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].name, "a");
    EXPECT_FALSE(ResourceList().checkText(good + bad));
  }
  EXPECT_TRUE(ResourceList().checkText(good + "junk line\n" + good));
  EXPECT_TRUE(ResourceList().checkText(""));
  // A range maximum that does not parse leaves 0.
  std::vector<Resource> out;
  ASSERT_TRUE(parseResourceText("#a\na\nBinary\nNone\nfalse\n#Hex0\nlots\nfalse\nfalse\n", "", out));
  EXPECT_EQ(out[0].rangeMax, 0);
  EXPECT_EQ(out[0].rangeFormat, 4);
}

TEST(ResourceFile, FilesInsideTheRootBecomeRelative) {
  const std::string text =
      "#in\n/Work/Game/Resources/sub/a.bmp\nBitmap16\nNone\nfalse\n\n"
      "#case\n/work/game/RESOURCES/b.bmp\nBitmap16\nNone\nfalse\n\n"
      "#win\nC:\\Work\\Game\\Resources\\c.bmp\nBitmap16\nNone\nfalse\n\n"
      "#out\n/Work/Game/ResourcesOld/d.bmp\nBitmap16\nNone\nfalse\n\n";
  std::vector<Resource> out;
  ASSERT_TRUE(parseResourceText(text, "/Work/Game/Resources/", out));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0].file, ".\\sub/a.bmp");
  EXPECT_TRUE(out[0].relative);
  EXPECT_EQ(out[1].file, ".\\b.bmp");
  EXPECT_TRUE(out[1].relative);
  out.clear();
  ASSERT_TRUE(parseResourceText(text, "C:\\Work\\Game\\Resources", out));
  EXPECT_EQ(out[2].file, ".\\c.bmp");
  EXPECT_TRUE(out[2].relative);
  EXPECT_FALSE(out[3].relative);
  EXPECT_EQ(out[3].file, "/Work/Game/ResourcesOld/d.bmp");
}

TEST(ResourceFile, LoadSaveAndLoadInto) {
  tarvolin::test::TempDir dir;
  const std::string path = dir.file("resource.txt");
  ResourceList list;
  EXPECT_FALSE(list.load(path));
  EXPECT_TRUE(list.empty());

  list.add(sample("one", ResourceKind::Binary));
  list.add(sample("two", ResourceKind::Tilemap));
  ASSERT_TRUE(list.save(path));
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  // Saving the same list again leaves the file (and its time stamp) alone.
  timespec old[2] = {{1000, 0}, {1000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
  ASSERT_TRUE(list.save(path));
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, 1000);

  ResourceList loaded;
  loaded.add(sample("stale", ResourceKind::Binary));
  ASSERT_TRUE(loaded.load(path));
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded.items(), list.items());

  std::vector<Resource> other{sample("stale", ResourceKind::Binary)};
  ASSERT_TRUE(list.loadInto(path, other));
  ASSERT_EQ(other.size(), 2u);
  EXPECT_TRUE(other[0].imported);
  EXPECT_TRUE(other[1].imported);
  EXPECT_EQ(other[1].name, "two");
  EXPECT_FALSE(list.items()[1].imported);

  // Repeated names in a stored file are kept, so saving loses nothing.
  dir.write("dup.txt", "#x\na\nBinary\nNone\nfalse\n\n#X\nb\nBinary\nNone\nfalse\n\n");
  ResourceList dup;
  ASSERT_TRUE(dup.load(dir.file("dup.txt")));
  EXPECT_EQ(dup.size(), 2u);
  EXPECT_EQ(dup.find("X"), 0);
}

TEST(ResourceFile, OpenedProjectsReadAndCheckTheirResources) {
  tarvolin::test::TempDir dir;
  tarvolin::test::RecordingHost host;
  std::string working;
  Project project(host, working);
  project.setStartFolder(dir.path());
  // An absolute file inside the project's resource root reads back relative.
  const std::string root = dir.file("game/Resources");
  dir.write("game.tvp", "");
  dir.write("game/resource.txt", std::string(headerText(HeaderKind::Resource)) + "#hero\n" + root +
                                     "/Hero.bmp\nBitmap16\nNone\nfalse\n\n");
  ASSERT_TRUE(project.open(dir.file("game.tvp"), false));
  ASSERT_EQ(project.resources().size(), 1u);
  EXPECT_EQ(project.resources().items()[0].file, ".\\Hero.bmp");
  EXPECT_TRUE(project.resources().items()[0].relative);
  // The project's context finds the file under its resource root.
  const ResourceContext context = resourceContextOf(project, 0, nullptr);
  EXPECT_FALSE(resourceExists(project.resources().items()[0], context));
  dir.write("game/Resources/hero.BMP", "x");
  EXPECT_TRUE(resourceExists(project.resources().items()[0], context));
  EXPECT_TRUE(project.checkText(CheckKind::Resources, "#a\na\nBinary\nNone\nfalse\n"));
  EXPECT_FALSE(project.checkText(CheckKind::Resources, "#a\na\nPicture\nNone\nfalse\n"));
  ASSERT_TRUE(project.save(false));
  EXPECT_NE(tarvolin::test::TempDir::read(dir.file("game/resource.txt")).find("#hero\n.\\Hero.bmp\n"),
            std::string::npos);
}

TEST(ResourceList, NamesAreUniqueIgnoringCase) {
  ResourceList list;
  EXPECT_TRUE(list.add(sample("Hero", ResourceKind::Bitmap16)));
  EXPECT_FALSE(list.add(sample("HERO", ResourceKind::Bitmap16)));
  EXPECT_FALSE(list.add(sample("", ResourceKind::Bitmap16)));
  EXPECT_TRUE(list.add(sample("hero2", ResourceKind::Bitmap16)));
  EXPECT_EQ(list.find("hERo"), 0);
  EXPECT_EQ(list.find("her"), -1);
  EXPECT_EQ(list.get(1)->name, "hero2");
  EXPECT_EQ(list.get(2), nullptr);

  EXPECT_EQ(list.uniqueCopyName("Hero"), "Hero1");
  EXPECT_EQ(list.uniqueCopyName("hero1"), "hero3");
  list.add(sample("x9999999999", ResourceKind::Binary));
  EXPECT_EQ(list.uniqueCopyName("x9999999999"), "x91000000000");
  EXPECT_TRUE(list.remove(0));
  EXPECT_FALSE(list.remove(5));
  EXPECT_EQ(list.find("hero2"), 0);

  EXPECT_EQ(resourceKindName(ResourceKind::SoundEffect), "Sound effect");
  EXPECT_EQ(resourceKindFromName("mod FILE"), ResourceKind::MusicTrack);
  EXPECT_EQ(compressionFromName("lzh"), 2);
  EXPECT_FALSE(rangeFormatFromName("Hex").has_value());
}

}  // namespace tarvolin::project
