// What update, commit and merge do with the project's files.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_time.h"
#include "sharing/merge.h"
#include "sharing/shared_names.h"
#include "sharing/sharing_kit.h"
#include "sharing/sync.h"

namespace tarvolin::sharing {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

std::uint64_t timeOf(const std::string& path) {
  std::uint64_t t = 0;
  platform::fileWriteTime(path, t);
  return t;
}

// A project folder whose files are all synchronised at version 1.
struct Synced {
  TempDir dir;
  std::string root = dir.file("p");
  FileInfoList list;
  void add(const std::string& name, const std::string& bytes, std::int32_t version = 1) {
    writeFile(root + "/" + name, bytes);
    test::ageFile(root + "/" + name, 3600);
    list.add({storedName(name), version, timeOf(root + "/" + name)});
  }
  // What the server sends: the version list and the new copies in ~temp.
  void receive(const std::vector<std::pair<std::string, std::string>>& files, std::int32_t v) {
    std::vector<VersionLine> lines;
    for (const auto& [name, bytes] : files) {
      lines.push_back({'V', v, storedName(name)});
      writeFile(root + "/~temp/" + name, bytes);
    }
    writeFile(root + "/~ProjectVersion.txt", versionListText(lines));
  }
  std::string at(const std::string& name) const { return readFile(root + "/" + name); }
};

TEST(ApplyUpdate, FiveDifferingFilesTwoChangedHere) {
  Synced p;
  for (int i = 0; i < 5; ++i) p.add("f" + std::to_string(i) + ".txt", "viejo " + std::to_string(i));
  // Two were changed here since they were synchronised.
  writeFile(p.root + "/f1.txt", "mío 1");
  writeFile(p.root + "/f3.txt", "mío 3");
  p.receive({{"f0.txt", "nuevo 0"}, {"f1.txt", "nuevo 1"}, {"f2.txt", "nuevo 2"},
             {"f3.txt", "nuevo 3"}, {"f4.txt", "nuevo 4"}}, 7);
  FileInfoList list = p.list;
  UpdateResult result;
  std::string error;
  ASSERT_TRUE(applyUpdate(p.root, list, result, error)) << error;
  EXPECT_EQ(result.updated, 5);
  ASSERT_EQ(result.conflicts.size(), 2u);
  EXPECT_EQ(result.conflicts[0], (Conflict{"f1.txt", 7}));
  EXPECT_EQ(result.conflicts[1], (Conflict{"f3.txt", 7}));
  EXPECT_EQ(result.reloaded.size(), 3u);
  // The three unchanged files took the server's copy and version; the two
  // changed ones are untouched, their entries as before.
  for (int i : {0, 2, 4}) {
    const std::string n = "f" + std::to_string(i) + ".txt";
    EXPECT_EQ(p.at(n), "nuevo " + std::to_string(i));
    EXPECT_EQ(list.find(n)->version, 7);
    EXPECT_EQ(list.find(n)->fileTime, timeOf(p.root + "/" + n));
  }
  EXPECT_EQ(p.at("f1.txt"), "mío 1");
  EXPECT_EQ(p.at("f3.txt"), "mío 3");
  EXPECT_EQ(*list.find("f1.txt"), *p.list.find("f1.txt"));
  // The server's copies of the conflicts wait for the merge.
  EXPECT_EQ(readFile(p.root + "/~temp/f1.txt"), "nuevo 1");
}

TEST(ApplyUpdate, EqualFilesOnlyTakeTheVersion) {
  Synced p;
  p.add("a.txt", "igual");
  p.add("Script/b.txt", "igual también");
  writeFile(p.root + "/Script/b.txt", "igual también");  // touched here, same bytes
  p.receive({{"a.txt", "igual"}, {"Script/b.txt", "igual también"}}, 3);
  FileInfoList list = p.list;
  UpdateResult result;
  std::string error;
  ASSERT_TRUE(applyUpdate(p.root, list, result, error));
  EXPECT_EQ(result.updated, 0);
  EXPECT_TRUE(result.conflicts.empty());
  EXPECT_TRUE(result.reloaded.empty());
  EXPECT_EQ(list.find("Script\\b.txt")->version, 3);
  EXPECT_EQ(list.find("Script\\b.txt")->fileTime, timeOf(p.root + "/Script/b.txt"));
}

TEST(ApplyUpdate, NewFilesMissingFilesAndUnsharedLocalFiles) {
  Synced p;
  p.add("borrado.txt", "estaba");
  fs::remove(p.root + "/borrado.txt");
  writeFile(p.root + "/propio.txt", "sin compartir aún");  // here, never synchronised
  p.receive({{"Nueva/carpeta/n.txt", "nuevo"}, {"borrado.txt", "vuelve"},
             {"propio.txt", "del servidor"}}, 2);
  FileInfoList list = p.list;
  UpdateResult result;
  std::string error;
  ASSERT_TRUE(applyUpdate(p.root, list, result, error)) << error;
  EXPECT_EQ(p.at("Nueva/carpeta/n.txt"), "nuevo");
  EXPECT_EQ(p.at("borrado.txt"), "vuelve");
  // An unshared local file is never overwritten: it becomes a conflict.
  EXPECT_EQ(p.at("propio.txt"), "sin compartir aún");
  ASSERT_EQ(result.conflicts.size(), 1u);
  EXPECT_EQ(result.conflicts[0].name, "propio.txt");
  EXPECT_EQ(list.find("Nueva\\carpeta\\n.txt")->version, 2);
  EXPECT_EQ(list.find("propio.txt"), nullptr);
}

TEST(ApplyUpdate, UnsafeNamesOrMissingCopiesFailAndKeepTheList) {
  for (const char* bad : {"..\\fuera.txt", "/etc/x", "C:\\x.txt"}) {
    Synced p;
    p.add("a.txt", "a");
    writeFile(p.root + "/~ProjectVersion.txt", std::string("V:2,") + bad + "\r\n");
    FileInfoList list = p.list;
    UpdateResult result;
    std::string error;
    EXPECT_FALSE(applyUpdate(p.root, list, result, error)) << bad;
    EXPECT_EQ(list, p.list);
    EXPECT_FALSE(fs::exists(p.dir.file("fuera.txt")));
  }
  Synced p;
  p.add("a.txt", "a");
  writeFile(p.root + "/~ProjectVersion.txt", "V:2,a.txt\r\n");  // no copy in ~temp
  FileInfoList list = p.list;
  UpdateResult result;
  std::string error;
  EXPECT_FALSE(applyUpdate(p.root, list, result, error));
  EXPECT_EQ(list, p.list);
  EXPECT_EQ(p.at("a.txt"), "a");
}

TEST(CommitResult, ListTakesTheServersVersionsAndTheFilesTimes) {
  Synced p;
  p.add("a.txt", "a");
  writeFile(p.root + "/b.txt", "b");
  writeFile(p.root + "/~ProjectVersion.txt", "V:5,a.txt\r\nV:5,b.txt\r\nV:5,~x.txt\r\n");
  FileInfoList list;
  ASSERT_TRUE(listFromCommitResult(p.root, list));
  ASSERT_EQ(list.entries().size(), 2u);
  EXPECT_EQ(list.entries()[1], (FileInfo{"b.txt", 5, timeOf(p.root + "/b.txt")}));
  writeFile(p.root + "/~ProjectVersion.txt", "V:5,falta.txt\r\n");
  EXPECT_FALSE(listFromCommitResult(p.root, list));
}

TEST(Merge, EditScriptsBecomeDifferencesAndChoicesBuildTheText) {
  TempDir dir;
  const std::string local = "uno\r\ndos\r\ntres\r\ncuatro\r\ncinco\r\n";
  const std::string server = "cero\r\nuno\r\nDOS\r\ntres\r\ncinco\r\nseis";
  writeFile(dir.file("l"), local);
  writeFile(dir.file("s"), server);
  std::string script;
  ASSERT_TRUE(runDiff("diff", dir.file("l"), dir.file("s"), script));
  std::vector<DiffEdit> edits;
  ASSERT_TRUE(parseEditScript(script, edits)) << script;
  TextMerge merge;
  ASSERT_TRUE(merge.build(local, server, edits)) << script;
  // Added line, changed line, deleted line, and a last line without its end.
  ASSERT_EQ(merge.hunks().size(), 4u);
  EXPECT_EQ(merge.serverText(merge.hunks()[0]), "cero\r\n");
  EXPECT_EQ(merge.localText(merge.hunks()[1]), "dos\r\n");
  EXPECT_EQ(merge.serverText(merge.hunks()[1]), "DOS\r\n");
  EXPECT_EQ(merge.localText(merge.hunks()[2]), "cuatro\r\n");
  EXPECT_EQ(merge.result(), local);  // every hunk local by default
  for (MergeHunk& h : merge.hunks()) h.choice = HunkChoice::Server;
  EXPECT_EQ(merge.result(), server);
  merge.hunks()[1].choice = HunkChoice::Edited;
  merge.hunks()[1].edited = "Dos a mano\r\n";
  merge.hunks()[2].choice = HunkChoice::Local;
  EXPECT_EQ(merge.result(), "cero\r\nuno\r\nDos a mano\r\ntres\r\ncuatro\r\ncinco\r\nseis");
  // Each hunk's place in that text follows the choices before it.
  merge.hunks()[1].edited = "Dos\r\na mano\r\n";
  EXPECT_EQ(merge.resultSpan(0), std::make_pair(0, 1));  // "cero"
  EXPECT_EQ(merge.resultSpan(1), std::make_pair(2, 2));  // the two edited lines
  EXPECT_EQ(merge.resultSpan(2), std::make_pair(5, 1));  // "cuatro", kept
  EXPECT_EQ(merge.resultSpan(3), std::make_pair(7, 1));  // "seis"
  EXPECT_EQ(merge.resultSpan(9), std::make_pair(0, 0));

  // A script that does not fit the texts is refused.
  EXPECT_FALSE(merge.build("a\n", "b\n", {{'d', 5, 1, {}}}));
  EXPECT_FALSE(merge.build("a\nb\n", "a\nc\n", {}));  // says equal, they are not
  EXPECT_FALSE(merge.build("a\nb\n", "x\nb\ny\n", {{'a', 2, 1, {"y\n"}}}));
  EXPECT_FALSE(parseEditScript("x1 2\n", edits));
  EXPECT_FALSE(parseEditScript("a1 2\nsolo una\n", edits));
  EXPECT_FALSE(runDiff(dir.file("no-existe-diff"), dir.file("l"), dir.file("s"), script));
}

TEST(Merge, TheThreeWaysOutUpdateFileAndEntry) {
  Synced p;
  p.add("k.txt", "base");
  p.add("t.txt", "base");
  p.add("m.txt", "base");
  p.add("i.txt", "base");
  for (const char* n : {"k.txt", "t.txt", "m.txt", "i.txt"}) {
    writeFile(p.root + "/" + n, std::string("local ") + n);
    writeFile(p.root + "/~temp/" + n, std::string("servidor ") + n);
  }
  FileInfoList list = p.list;
  std::string error;
  // Keep local: the server's version, the old time: still counts as changed.
  keepLocalVersion(list, {"k.txt", 9});
  EXPECT_EQ(list.find("k.txt")->version, 9);
  EXPECT_EQ(list.find("k.txt")->fileTime, p.list.find("k.txt")->fileTime);
  EXPECT_EQ(p.at("k.txt"), "local k.txt");
  // Take the server's: its copy, its version, the new time.
  ASSERT_TRUE(takeServerVersion(p.root, list, {"t.txt", 9}, error)) << error;
  EXPECT_EQ(p.at("t.txt"), "servidor t.txt");
  EXPECT_EQ(list.find("t.txt")->fileTime, timeOf(p.root + "/t.txt"));
  // A merged text with local changes stays counted as changed, so it is sent.
  ASSERT_TRUE(saveMergedVersion(p.root, list, {"m.txt", 9}, "mezcla", error));
  EXPECT_EQ(p.at("m.txt"), "mezcla");
  EXPECT_EQ(list.find("m.txt")->version, 9);
  EXPECT_NE(list.find("m.txt")->fileTime, timeOf(p.root + "/m.txt"));
  // A merged text equal to the server's is in step with it.
  ASSERT_TRUE(saveMergedVersion(p.root, list, {"i.txt", 9}, "servidor i.txt", error));
  EXPECT_EQ(list.find("i.txt")->fileTime, timeOf(p.root + "/i.txt"));
  // A conflict on a file the list lacks gets an entry counted as changed.
  keepLocalVersion(list, {"otro.txt", 4});
  EXPECT_EQ(*list.find("otro.txt"), (FileInfo{"otro.txt", 4, 0}));
}

}  // namespace
}  // namespace tarvolin::sharing
