#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "setup/setup_texts.h"
#include "setup_rig.h"

namespace tarvolin::setup {
namespace {

using test::exists;
using test::RecordingPrompts;
using test::SetupRig;
using test::TempDir;

// Every path below `folder`, for "nothing left" checks.
std::vector<std::string> everything(const std::string& folder) {
  std::vector<std::string> out;
  const FolderListing l = listFolder(folder);
  for (const std::string& f : l.files) out.push_back(folder + "/" + f);
  for (const std::string& d : l.folders) {
    out.push_back(folder + "/" + d + "/");
    for (const std::string& inner : everything(folder + "/" + d)) out.push_back(inner);
  }
  return out;
}

void install(SetupRig& rig) {
  RecordingPrompts prompts;
  ASSERT_EQ(runInstallation(rig.request(rig.folder()), prompts), InstallOutcome::Complete);
}

TEST(SetupUninstall, RemovesEverythingTheInstallerMadeAndNothingElse) {
  SetupRig rig;
  rig.writeInstallTree();
  // The user's own desktop files and defaults are there before and after.
  rig.dir.write("xdg/data/applications/other.desktop", "[Desktop Entry]\n");
  rig.dir.write("xdg/config/mimeapps.list", "[Default Applications]\ntext/plain=gedit.desktop;\n");
  install(rig);
  ASSERT_TRUE(exists(rig.folder() + "/desktop_files.lst"));

  RecordingPrompts prompts;
  ASSERT_EQ(runUninstall(rig.uninstallRequest(rig.folder()), prompts), UninstallOutcome::Complete);
  ASSERT_EQ(prompts.told.size(), 1u);
  EXPECT_EQ(prompts.told[0].caption, kUninstallCaption);
  EXPECT_EQ(prompts.told[0].text, kUninstallComplete);
  EXPECT_EQ(prompts.told[0].icon, MessageIcon::Exclamation);

  // The installation folder and the folders made for it are gone.
  EXPECT_FALSE(exists(rig.env.home + "/.local/opt"));
  EXPECT_TRUE(exists(rig.env.home));
  EXPECT_EQ(TempDir::read(rig.places.mimeappsList()),
            "[Default Applications]\ntext/plain=gedit.desktop;\n");
  // The desktop's cache of the user's own entries stays with them.
  std::vector<std::string> left;
  for (const std::string& p : everything(rig.env.xdgDataHome))
    if (p.back() != '/' && !p.ends_with("/mimeinfo.cache")) left.push_back(p);
  EXPECT_EQ(left, std::vector<std::string>{rig.places.applications() + "/other.desktop"});
  // The MIME database the installer's folder held is gone with it.
  EXPECT_FALSE(exists(rig.places.mimeRoot()));
  EXPECT_FALSE(exists(rig.places.mimePackages() + "/halvergen-tarvolin.xml"));
  EXPECT_FALSE(exists(rig.places.mergedMenus() + "/halvergen-entertainment.menu"));
  // Folders the installer made for its desktop files go once empty; those
  // holding someone else's files or the desktop's caches stay.
  EXPECT_FALSE(exists(rig.env.xdgDataHome + "/icons"));
  EXPECT_FALSE(exists(rig.places.directories()));
  EXPECT_FALSE(exists(rig.env.xdgConfigHome + "/menus"));
  EXPECT_TRUE(exists(rig.places.applications()));

  if (SetupRig::hasTool("update-mime-database") && SetupRig::hasTool("gio")) {
    const std::string project = rig.dir.write("juego.tvp", "#PROJECT_NAME\njuego\n\n");
    EXPECT_NE(rig.query("XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype '" + project + "'"),
              "application/x-tarvolin-project");
  }
}

TEST(SetupUninstall, ASecondRunFailsAtTheFirstStep) {
  SetupRig rig;
  rig.writeInstallTree();
  install(rig);
  RecordingPrompts first;
  ASSERT_EQ(runUninstall(rig.uninstallRequest(rig.folder()), first), UninstallOutcome::Complete);

  RecordingPrompts second;
  EXPECT_EQ(runUninstall(rig.uninstallRequest(rig.folder()), second),
            UninstallOutcome::UnregisterFailed);
  ASSERT_EQ(second.told.size(), 1u);
  EXPECT_EQ(second.told[0].text, kUnregisterFailed);
  EXPECT_EQ(second.told[0].caption, kUninstallCaption);
  EXPECT_EQ(second.told[0].icon, MessageIcon::Error);
}

TEST(SetupUninstall, AUserFolderSurvivesAndTheFailureIsShown) {
  SetupRig rig;
  rig.writeInstallTree();
  install(rig);
  const std::string mine = rig.dir.write(
      "home/.local/opt/Halvergen/Tarvolin/Sample_ROMs/MiJuego/MiJuego.tvp", "#PROJECT_NAME\n");
  const std::string script = rig.dir.write(
      "home/.local/opt/Halvergen/Tarvolin/MisGuiones/main.txt", "End\r\n");

  RecordingPrompts prompts;
  EXPECT_EQ(runUninstall(rig.uninstallRequest(rig.folder()), prompts),
            UninstallOutcome::RemoveFailed);
  ASSERT_EQ(prompts.told.size(), 1u);
  EXPECT_EQ(prompts.told[0].text, kUninstallFailed);
  EXPECT_EQ(prompts.told[0].icon, MessageIcon::Error);
  EXPECT_NE(prompts.told[0].detail.find("MisGuiones"), std::string::npos);

  EXPECT_EQ(TempDir::read(mine), "#PROJECT_NAME\n");
  EXPECT_EQ(TempDir::read(script), "End\r\n");
  // Everything installed is gone; the user's files and their folders stay.
  EXPECT_EQ(everything(rig.folder()),
            (std::vector<std::string>{rig.folder() + "/MisGuiones/", script,
                                      rig.folder() + "/Sample_ROMs/",
                                      rig.folder() + "/Sample_ROMs/MiJuego/", mine}));
  // The menu and the type went before the files.
  EXPECT_FALSE(exists(rig.places.applications() + "/halvergen-tarvolin.desktop"));
  EXPECT_FALSE(exists(rig.places.mimePackages() + "/halvergen-tarvolin.xml"));
}

TEST(SetupUninstall, InAFolderSharedWithOtherProgramsTheirEmptyFoldersStay) {
  SetupRig rig;
  rig.writeInstallTree();
  const std::string games = rig.env.home + "/Juegos";
  for (const char* f : {"/Juegos", "/Juegos/OtroJuego", "/Juegos/OtroJuego/partidas", "/Juegos/Vacia"})
    ASSERT_EQ(::mkdir((rig.env.home + f).c_str(), 0755), 0);
  RecordingPrompts prompts;
  ASSERT_EQ(runInstallation(rig.request(games), prompts), InstallOutcome::Complete);
  ASSERT_EQ(::mkdir((games + "/Sample_ROMs/nueva").c_str(), 0755), 0);

  RecordingPrompts un;
  EXPECT_EQ(runUninstall(rig.uninstallRequest(games), un), UninstallOutcome::RemoveFailed);
  // Only the folder that holds the user's empty one stays besides theirs.
  EXPECT_EQ(everything(games),
            (std::vector<std::string>{games + "/OtroJuego/", games + "/OtroJuego/partidas/",
                                      games + "/Sample_ROMs/", games + "/Sample_ROMs/nueva/",
                                      games + "/Vacia/"}));
  EXPECT_NE(un.told.back().detail.find("Sample_ROMs"), std::string::npos);
  EXPECT_EQ(un.told.back().detail.find("OtroJuego"), std::string::npos);

  ASSERT_EQ(::rmdir((games + "/Sample_ROMs/nueva").c_str()), 0);
  ASSERT_EQ(runInstallation(rig.request(games), prompts), InstallOutcome::Complete);
  RecordingPrompts clean;
  EXPECT_EQ(runUninstall(rig.uninstallRequest(games), clean), UninstallOutcome::Complete);
  EXPECT_EQ(everything(games),
            (std::vector<std::string>{games + "/OtroJuego/", games + "/OtroJuego/partidas/",
                                      games + "/Vacia/"}));
}

TEST(SetupUninstall, ListsAndRecordsNamingOutsideFilesTouchNothingOutside) {
  SetupRig rig;
  rig.writeInstallTree();
  install(rig);
  const std::string victim = rig.dir.write("victim.txt", "keep me");
  const std::string bashrc = rig.dir.write("home/.bashrc", "keep me too");
  const std::string outsideEmpty = rig.dir.path() + "/outside-empty";
  ::mkdir(outsideEmpty.c_str(), 0755);
  // A link inside the folder to a folder outside it is not followed.
  ASSERT_EQ(::symlink(rig.dir.path().c_str(), (rig.folder() + "/link").c_str()), 0);
  {
    std::string list = TempDir::read(rig.folder() + "/filelist.lst");
    list += victim + "\n" + rig.folder() + "/../../../../../victim.txt\n" + rig.folder() +
            "/link/victim.txt\n\n";
    rig.dir.write("home/.local/opt/Halvergen/Tarvolin/filelist.lst", list);
    std::string record = TempDir::read(rig.folder() + "/desktop_files.lst");
    record += "group\t" + bashrc + "\nfolder\t" + rig.dir.path() + "\nnonsense line\n";
    rig.dir.write("home/.local/opt/Halvergen/Tarvolin/desktop_files.lst", record);
  }
  // A folder of that name outside, which only looks like a MIME database.
  const std::string notMime = rig.dir.write("keep/mime/notes.txt", "mine");
  {
    std::string record = TempDir::read(rig.folder() + "/desktop_files.lst");
    record += "folder\t" + rig.dir.path() + "/keep/mime\n";
    rig.dir.write("home/.local/opt/Halvergen/Tarvolin/desktop_files.lst", record);
  }
  RecordingPrompts prompts;
  runUninstall(rig.uninstallRequest(rig.folder()), prompts);
  EXPECT_EQ(TempDir::read(notMime), "mine");
  EXPECT_EQ(TempDir::read(victim), "keep me");
  EXPECT_EQ(TempDir::read(bashrc), "keep me too");
  EXPECT_TRUE(exists(outsideEmpty));
  EXPECT_TRUE(exists(rig.dir.path()));
  EXPECT_FALSE(exists(rig.folder() + "/TarvolinStudio"));
}

TEST(SetupUninstall, AReinstallKeepsTheFoldersOnRecordAndAMissingListFails) {
  SetupRig rig;
  rig.writeInstallTree();
  install(rig);
  install(rig);  // the folders exist now, but were still made by the first run
  RecordingPrompts prompts;
  ASSERT_EQ(runUninstall(rig.uninstallRequest(rig.folder()), prompts), UninstallOutcome::Complete);
  EXPECT_FALSE(exists(rig.env.home + "/.local/opt"));
  // Every folder the installations made, for the desktop too, is gone.
  EXPECT_FALSE(exists(rig.dir.path() + "/xdg"));

  // Without "filelist.lst" the files step fails after the menu and the type
  // went, and no folder is touched.
  install(rig);
  ASSERT_EQ(::unlink((rig.folder() + "/filelist.lst").c_str()), 0);
  RecordingPrompts noList;
  EXPECT_EQ(runUninstall(rig.uninstallRequest(rig.folder()), noList),
            UninstallOutcome::RemoveFailed);
  EXPECT_EQ(noList.lastText(), kUninstallFailed);
  EXPECT_TRUE(exists(rig.folder() + "/TarvolinStudio"));
  EXPECT_FALSE(exists(rig.places.mergedMenus() + "/halvergen-entertainment.menu"));
}

TEST(SetupUninstall, WithoutARecordTheStandardPlacesAreCleaned) {
  SetupRig rig;
  rig.writeInstallTree();
  install(rig);
  ASSERT_EQ(::unlink((rig.folder() + "/desktop_files.lst").c_str()), 0);
  RecordingPrompts prompts;
  EXPECT_EQ(runUninstall(rig.uninstallRequest(rig.folder()), prompts), UninstallOutcome::Complete);
  EXPECT_FALSE(exists(rig.places.applications() + "/halvergen-tarvolin-roms.desktop"));
  EXPECT_FALSE(exists(rig.places.mimePackages() + "/halvergen-tarvolin.xml"));
  // Nothing says the installer made the folder, so only its content goes.
  EXPECT_TRUE(everything(rig.folder()).empty());
  EXPECT_TRUE(exists(rig.folder()));
}

}  // namespace
}  // namespace tarvolin::setup
