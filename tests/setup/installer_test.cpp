#include <gtest/gtest.h>
#include <sys/stat.h>

#include "setup/file_tree.h"
#include "setup/setup_texts.h"
#include "setup_rig.h"

namespace tarvolin::setup {
namespace {

using test::exists;
using test::RecordingPrompts;
using test::SetupRig;
using test::TempDir;

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

TEST(SetupInstall, FolderNamesBecomeAbsolutePaths) {
  EXPECT_EQ(absolutePath("tarvolin", "/home/ana/descargas", "/home/ana"),
            "/home/ana/descargas/tarvolin");
  EXPECT_EQ(absolutePath("~/apps//tarvolin/", "/tmp", "/home/ana"), "/home/ana/apps/tarvolin");
  EXPECT_EQ(absolutePath("~", "/tmp", "/home/ana"), "/home/ana");
  EXPECT_EQ(absolutePath("/opt/./x/../tarvolin", "/tmp", "/home/ana"), "/opt/tarvolin");
  // ".." above the top stays at "/", and a relative start still gives an
  // absolute path.
  EXPECT_EQ(absolutePath("../../../../etc", "/tmp", ""), "/etc");
  EXPECT_EQ(absolutePath("..", "/", ""), "/");
  EXPECT_EQ(absolutePath("x", "rel/base", ""), "/rel/base/x");
  // "~name" is a folder name, not another user's home.
  EXPECT_EQ(absolutePath("~ana", "/tmp", "/home/ana"), "/tmp/~ana");
}

TEST(SetupInstall, CopiesTheNestedTreeAndListsFilesInWalkOrder) {
  SetupRig rig;
  rig.writeInstallTree();
  ::mkdir((rig.start + "/Install/Empty").c_str(), 0755);
  RecordingPrompts prompts;

  ASSERT_EQ(runInstallation(rig.request(rig.folder() + "/"), prompts), InstallOutcome::Complete);
  ASSERT_EQ(prompts.told.size(), 1u);
  EXPECT_EQ(prompts.told[0].caption, kInstallCaption);
  EXPECT_EQ(prompts.told[0].text, kInstallComplete);
  EXPECT_EQ(prompts.told[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(prompts.questions.empty());

  // Files of a folder first, by name, then each sub-folder in turn.
  const std::string f = rig.folder();
  const std::vector<std::string> expected = {
      f + "/TarvolinStudio",
      f + "/Uninstall",
      f + "/timing_database.txt",
      f + "/Sample_ROMs/b.txt",
      f + "/Sample_ROMs/demo/demo.tvp",
      f + "/Sample_ROMs/demo/demo/Script/main.txt",
      f + "/UserGuide/indice.md",
      f + "/icons/tarvolin.svg",
  };
  EXPECT_EQ(lines(TempDir::read(f + "/filelist.lst")), expected);
  for (const std::string& file : expected) EXPECT_TRUE(exists(file)) << file;
  EXPECT_EQ(TempDir::read(f + "/Sample_ROMs/demo/demo/Script/main.txt"), "End\r\n");
  // Programs stay runnable; folders are not copied for their own sake.
  struct stat st;
  ASSERT_EQ(::stat((f + "/TarvolinStudio").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  EXPECT_FALSE(exists(f + "/Empty"));
}

TEST(SetupInstall, AFolderWithoutTrailingSlashOrRelativeReceivesEveryFile) {
  SetupRig rig;
  rig.writeInstallTree();
  const std::string big(3000, 'x');  // more than one copy piece
  rig.put("data/big.bin", big);
  RecordingPrompts prompts;
  ASSERT_EQ(runInstallation(rig.request(rig.dir.path() + "/Target"), prompts),
            InstallOutcome::Complete);
  EXPECT_EQ(TempDir::read(rig.dir.path() + "/Target/data/big.bin"), big);
  EXPECT_TRUE(exists(rig.dir.path() + "/Target/Sample_ROMs/demo/demo.tvp"));
  EXPECT_FALSE(exists(rig.dir.path() + "/TargetTarvolinStudio"));

  // A relative folder is taken from the start folder; "~/" is the home.
  ASSERT_EQ(runInstallation(rig.request("../Relative"), prompts), InstallOutcome::Complete);
  EXPECT_TRUE(exists(rig.dir.path() + "/Relative/data/big.bin"));
  ASSERT_EQ(runInstallation(rig.request("~/Tilde"), prompts), InstallOutcome::Complete);
  EXPECT_TRUE(exists(rig.env.home + "/Tilde/data/big.bin"));
  EXPECT_EQ(lines(TempDir::read(rig.env.home + "/Tilde/filelist.lst")).front(),
            rig.env.home + "/Tilde/TarvolinStudio");
}

TEST(SetupInstall, OldSettingsAreDeletedOnlyWhenTheUserSaysYes) {
  SetupRig rig;
  rig.writeInstallTree();
  const std::string inFolder = rig.dir.write("home/.local/opt/Halvergen/Tarvolin/Settings.TXT", "#DISPLAY_RATE\n30\n\n");
  const std::string studio = rig.dir.write("xdg/config/tarvolin/Settings.txt", "#DISPLAY_RATE\n30\n\n");

  RecordingPrompts no;
  no.answer = false;
  ASSERT_EQ(runInstallation(rig.request(rig.folder()), no), InstallOutcome::Complete);
  ASSERT_EQ(no.questions.size(), 1u);
  EXPECT_EQ(no.questions[0], std::string(kInstallCaption) + ": " + std::string(kOldSettingsQuestion));
  EXPECT_EQ(TempDir::read(inFolder), "#DISPLAY_RATE\n30\n\n");
  EXPECT_TRUE(exists(studio));

  RecordingPrompts yes;
  ASSERT_EQ(runInstallation(rig.request(rig.folder()), yes), InstallOutcome::Complete);
  EXPECT_EQ(yes.questions.size(), 1u);
  EXPECT_FALSE(exists(inFolder));
  EXPECT_FALSE(exists(studio));

  RecordingPrompts again;
  ASSERT_EQ(runInstallation(rig.request(rig.folder()), again), InstallOutcome::Complete);
  EXPECT_TRUE(again.questions.empty());
}

TEST(SetupInstall, FoldersItCannotUseFailTheCopyAndWriteNothingOutside) {
  SetupRig rig;
  rig.writeInstallTree();
  auto copyFails = [&](const std::string& folder) {
    RecordingPrompts prompts;
    const InstallOutcome outcome = runInstallation(rig.request(folder), prompts);
    EXPECT_EQ(outcome, InstallOutcome::CopyFailed) << folder;
    EXPECT_EQ(prompts.lastText(), kCopyFailed) << folder;
    EXPECT_FALSE(prompts.told.empty() || prompts.told.back().detail.empty()) << folder;
    if (!prompts.told.empty()) {
      EXPECT_EQ(prompts.told.back().icon, MessageIcon::Error);
    }
  };
  copyFails("");                                  // nothing typed
  copyFails(rig.start + "/Install");              // the tree itself
  copyFails(rig.start + "/Install/sub");          // would copy into itself for ever
  copyFails(rig.dir.path() + "/bad\nname");       // cannot be written in a line list
  rig.dir.write("blocker", "a file where the folder should be");
  copyFails(rig.dir.path() + "/blocker/Tarvolin");
  EXPECT_FALSE(exists(rig.start + "/Install/sub"));
  EXPECT_FALSE(exists(rig.env.xdgDataHome));
  EXPECT_FALSE(exists(rig.env.xdgConfigHome));

  // No "Install" beside the program.
  SetupRig empty;
  RecordingPrompts prompts;
  EXPECT_EQ(runInstallation(empty.request(empty.folder()), prompts), InstallOutcome::CopyFailed);
  EXPECT_EQ(prompts.lastText(), kCopyFailed);
}

TEST(SetupInstall, AFailedCopyKeepsWhatWasCopiedAndListsIt) {
  SetupRig rig;
  rig.writeInstallTree();
  rig.put("UserGuide/zz.md", "page");
  // A folder where that file should go stops the copy there.
  ::mkdir((rig.dir.path() + "/home").c_str(), 0755);
  rig.dir.write("home/.local/opt/Halvergen/Tarvolin/UserGuide/zz.md/inside", "x");
  RecordingPrompts prompts;
  EXPECT_EQ(runInstallation(rig.request(rig.folder()), prompts), InstallOutcome::CopyFailed);
  EXPECT_EQ(prompts.lastText(), kCopyFailed);
  const std::vector<std::string> listed = lines(TempDir::read(rig.folder() + "/filelist.lst"));
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(listed.back(), rig.folder() + "/UserGuide/indice.md");
  // Nothing of the menu or the type was written after the failure.
  EXPECT_FALSE(exists(rig.places.applications()));
}

TEST(SetupInstall, AGroupOrTypeFailureShowsItsOwnMessage) {
  SetupRig rig;
  rig.writeInstallTree();
  // A file where the applications folder should be.
  rig.dir.write("xdg/data/applications", "blocker");
  RecordingPrompts group;
  EXPECT_EQ(runInstallation(rig.request(rig.folder()), group), InstallOutcome::GroupFailed);
  EXPECT_EQ(group.lastText(), kGroupFailed);
  EXPECT_EQ(group.told.back().icon, MessageIcon::Error);
  EXPECT_TRUE(exists(rig.folder() + "/filelist.lst"));

  SetupRig rig2;
  rig2.writeInstallTree();
  rig2.dir.write("xdg/data/mime", "blocker");
  RecordingPrompts type;
  EXPECT_EQ(runInstallation(rig2.request(rig2.folder()), type), InstallOutcome::AssociationFailed);
  EXPECT_EQ(type.lastText(), kAssociationFailed);
  // The menu made before the failure stays, and is on record for Uninstall.
  EXPECT_TRUE(exists(rig2.places.mergedMenus() + "/halvergen-entertainment.menu"));
  EXPECT_NE(TempDir::read(rig2.folder() + "/desktop_files.lst").find("halvergen-entertainment.menu"),
            std::string::npos);
}

}  // namespace
}  // namespace tarvolin::setup
