// The one whole-file reader and the one safe write, and every writer of
// whole files going through it: asset files, images, music modules, WAV
// samples and screenshots keep an unchanged file's time stamp and never
// leave a half-written file when a write fails.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "machine/machine_state.h"
#include "machine/screenshot.h"
#include "platform/files.h"
#include "project/images/image.h"
#include "sound/mod_writer.h"
#include "sound/music_builders.h"
#include "sound/sample_data.h"
#include "sound/xm_writer.h"

namespace tarvolin::platform {
namespace {

int EntriesIn(const std::string& folder) {
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(folder)) {
    (void)e;
    ++entries;
  }
  return entries;
}

// Runs `write` with the process's file-size limit at `bytes`, so that any
// write beyond it fails part-way.
bool WithFileSizeLimit(rlim_t bytes, const std::function<bool()>& write) {
  struct rlimit old;
  if (::getrlimit(RLIMIT_FSIZE, &old) != 0) return true;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool ok = write();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  return ok;
}

TEST(SafeWrite, ReplacesOnlyWhenChanged) {
  test::TempDir dir;
  const std::string path = dir.file("macro.txt");
  ASSERT_TRUE(safeWrite(path, "first\n"));
  EXPECT_EQ(test::TempDir::read(path), "first\n");

  // Age the file, then write the same bytes: the time stamp must not move.
  struct timespec times[2] = {{1000000, 0}, {1000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  ASSERT_TRUE(safeWrite(path, "first\n"));
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000);

  ASSERT_TRUE(safeWrite(path, "second, longer\n"));
  EXPECT_EQ(test::TempDir::read(path), "second, longer\n");
  ASSERT_TRUE(safeWrite(path, "third\n"));  // same length as nothing before: shorter
  EXPECT_EQ(test::TempDir::read(path), "third\n");
  ASSERT_TRUE(safeWrite(path, ""));
  EXPECT_EQ(test::TempDir::read(path), "");

  // No temporary file is left behind.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);

  // A link keeps pointing at the file, which gets the new bytes.
  const std::string link = dir.file("link.txt");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  ASSERT_TRUE(safeWrite(link, "through the link\n"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::TempDir::read(path), "through the link\n");
  std::filesystem::remove(link);

  // A destination that cannot be written leaves everything as it was.
  EXPECT_FALSE(safeWrite(dir.file("missing/folder/file.txt"), "x"));
  std::filesystem::create_directory(dir.file("adir"));
  EXPECT_FALSE(safeWrite(dir.file("adir"), "x"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("adir")));
}

TEST(SafeWrite, FailedWriteKeepsDestination) {
  test::TempDir dir;
  const std::string path = dir.file("arrays.txt");
  ASSERT_TRUE(safeWrite(path, "good\n"));
  // A file-size limit makes the temporary file's write fail part-way.
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool ok = safeWrite(path, std::string(100000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(test::TempDir::read(path), "good\n");
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);  // the temporary file is gone
}


TEST(ReadFile, WholeFilesLimitsAndWhatIsNoFile) {
  test::TempDir dir;
  const std::string path = dir.file("data.bin");
  std::string bytes(70000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7);
  ASSERT_TRUE(safeWrite(path, bytes));
  std::string text;
  ASSERT_EQ(readFile(path, text), ReadResult::Ok);
  EXPECT_EQ(text, bytes);
  std::vector<std::uint8_t> raw;
  ASSERT_TRUE(readWholeFile(path, raw));
  ASSERT_EQ(raw.size(), bytes.size());
  EXPECT_EQ(raw[69999], std::uint8_t(69999 * 7));
  EXPECT_EQ(readFile(path, raw, 69999), ReadResult::TooLarge);
  EXPECT_TRUE(raw.empty());
  EXPECT_EQ(readFile(path, raw, 70000), ReadResult::Ok);
  text = "stale";
  EXPECT_EQ(readFile(dir.file("missing.bin"), text), ReadResult::Missing);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(readFile(dir.path(), text), ReadResult::Missing);  // a folder is no file
  ASSERT_TRUE(safeWrite(path, ""));
  EXPECT_EQ(readFile(path, text), ReadResult::Ok);
  EXPECT_TRUE(text.empty());
}

TEST(SafeWrite, EveryWholeFileWriterGoesThroughIt) {
  // Each writer makes a first file, writes it again unchanged, then fails
  // part-way through different, larger bytes.
  struct Writer {
    const char* name;
    std::function<bool(const std::string&, bool)> write;  // second form: larger
  };
  const Writer writers[] = {
      {"image.bmp",
       [](const std::string& path, bool larger) {
         std::string error;
         return project::writeImageFile(path, project::IndexedImage::blank(larger ? 128 : 8, 8, 8), error);
       }},
      {"song.mod",
       [](const std::string& path, bool larger) { return sound::saveMod(sound::test::makeMod(4, larger ? 4 : 1), path); }},
      {"song.xm",
       [](const std::string& path, bool larger) { return sound::saveXm(sound::test::makeXm(4, larger ? 4 : 1), path); }},
      {"sound.wav",
       [](const std::string& path, bool larger) {
         return sound::SaveWav(sound::SampleData::Blank(larger ? 20000 : 100, 8, 11025, 1), path);
       }},
      {"dump00001.png",
       [](const std::string& path, bool larger) {
         machine::MachineState state;
         if (larger)
           for (std::size_t i = 0; i < state.picture.size(); ++i) state.picture[i] = std::uint8_t(i * 131 % 251);
         return machine::writeScreenshot(state, path);
       }},
  };
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.name);
    test::TempDir dir;
    const std::string path = dir.file(w.name);
    ASSERT_TRUE(w.write(path, false));
    const std::string first = test::TempDir::read(path);
    ASSERT_FALSE(first.empty());
    struct timespec times[2] = {{1000000, 0}, {1000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_TRUE(w.write(path, false));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000);  // unchanged bytes: untouched

    EXPECT_FALSE(WithFileSizeLimit(first.size() + 16, [&] { return w.write(path, true); }));
    EXPECT_EQ(test::TempDir::read(path), first);
    EXPECT_EQ(EntriesIn(dir.path()), 1);  // no temporary file left
    ASSERT_TRUE(w.write(path, true));
    EXPECT_NE(test::TempDir::read(path), first);
  }
}

}  // namespace
}  // namespace tarvolin::platform
