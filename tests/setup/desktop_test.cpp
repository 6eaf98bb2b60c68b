#include <gtest/gtest.h>

#include "setup/desktop_files.h"
#include "setup/setup_texts.h"
#include "setup_rig.h"

namespace tarvolin::setup {
namespace {

using test::exists;
using test::RecordingPrompts;
using test::SetupRig;
using test::TempDir;

// The value of `key` in a desktop entry, with the string escapes undone.
std::string entryValue(const std::string& text, const std::string& key) {
  const std::size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) return {};
  const std::size_t start = at + key.size() + 2;
  const std::string raw = text.substr(start, text.find('\n', start) - start);
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      out += raw[i];
      continue;
    }
    const char c = raw[++i];
    out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
  }
  return out;
}

// Splits an Exec value into arguments as a launcher does.
std::vector<std::string> execArguments(const std::string& exec) {
  std::vector<std::string> args;
  std::string current;
  bool inArg = false, quoted = false;
  for (std::size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
      current += '%';  // "%%" is a literal percent, in quotes or not
      ++i;
      inArg = true;
    } else if (quoted) {
      if (c == '\\' && i + 1 < exec.size()) current += exec[++i];
      else if (c == '"') quoted = false;
      else current += c;
    } else if (c == ' ') {
      if (inArg) args.push_back(current);
      current.clear();
      inArg = false;
    } else if (c == '"') {
      quoted = inArg = true;
    } else {
      current += c;
      inArg = true;
    }
  }
  if (inArg) args.push_back(current);
  return args;
}

TEST(SetupDesktop, ExecArgumentsSurviveQuotingWhateverTheFolderName) {
  for (const std::string& folder :
       {std::string("/opt/Halvergen/Tarvolin"), std::string("/home/ana/Mis Juegos/Tarvolin"),
        std::string("/tmp/a\"b$c`d\\e%f'g;h"), std::string("/tmp/año 100%")}) {
    const std::vector<DesktopEntry> entries = programGroupEntries(folder, "x");
    ASSERT_EQ(entries.size(), 4u);
    const std::string text = desktopEntryText(entries[0]);
    const std::vector<std::string> args = execArguments(entryValue(text, "Exec"));
    ASSERT_EQ(args.size(), 3u) << text;
    EXPECT_EQ(args[0], folder + "/TarvolinStudio");
    EXPECT_EQ(args[1], "-P");
    EXPECT_EQ(args[2], "%f");  // the field code stays outside quotes
    EXPECT_EQ(execArguments(entryValue(desktopEntryText(entries[1]), "Exec")),
              (std::vector<std::string>{folder + "/TarvolinStudio", "--guide"}));
    const std::string uninstall = desktopEntryText(entries[2]);
    EXPECT_EQ(execArguments(entryValue(uninstall, "Exec")),
              std::vector<std::string>{folder + "/Uninstall"});
    EXPECT_EQ(entryValue(uninstall, "Path"), folder);
    EXPECT_EQ(execArguments(entryValue(desktopEntryText(entries[3]), "Exec")),
              (std::vector<std::string>{"xdg-open", folder + "/Sample_ROMs/"}));
  }
  EXPECT_FALSE(isDesktopSafePath("/tmp/a\nb"));
  EXPECT_FALSE(isDesktopSafePath("/tmp/\xff"));
  EXPECT_FALSE(isDesktopSafePath("/tmp/\xc3"));  // cut short
  EXPECT_TRUE(isDesktopSafePath("/tmp/año/日本"));
}

TEST(SetupDesktop, MenuFolderHoldsTheFourItemsInOrderAndEntriesValidate) {
  SetupRig rig;
  rig.writeInstallTree();
  const std::string folder = rig.env.home + "/Mis Juegos/Tarvolin";
  RecordingPrompts prompts;
  ASSERT_EQ(runInstallation(rig.request(folder), prompts), InstallOutcome::Complete);

  const std::vector<std::string> files = {"halvergen-tarvolin.desktop",
                                          "halvergen-tarvolin-guide.desktop",
                                          "halvergen-tarvolin-uninstall.desktop",
                                          "halvergen-tarvolin-roms.desktop"};
  const std::vector<std::string> titles = {"Tarvolin", "Guía de Usuario", "Desinstalar",
                                           "Tarvolin GBA ROMs"};
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string path = rig.places.applications() + "/" + files[i];
    ASSERT_TRUE(exists(path)) << path;
    EXPECT_EQ(entryValue(TempDir::read(path), "Name"), titles[i]);
    if (SetupRig::hasTool("desktop-file-validate")) {
      EXPECT_EQ(rig.query("desktop-file-validate '" + path + "' && echo valid"), "valid") << path;
    }
  }
  const std::string guide = TempDir::read(rig.places.applications() + "/" + files[1]);
  EXPECT_EQ(execArguments(entryValue(guide, "Exec")),
            (std::vector<std::string>{folder + "/TarvolinStudio", "--guide"}));
  const std::string directory =
      TempDir::read(rig.places.directories() + "/halvergen-entertainment.directory");
  EXPECT_EQ(entryValue(directory, "Name"), "Halvergen Entertainment");
  EXPECT_EQ(entryValue(directory, "Type"), "Directory");

  const std::string menu =
      TempDir::read(rig.places.mergedMenus() + "/halvergen-entertainment.menu");
  EXPECT_NE(menu.find("<Name>Halvergen Entertainment</Name>"), std::string::npos);
  std::size_t last = 0;
  for (const std::string& f : files) {
    const std::size_t at = menu.find("<Layout>");
    const std::size_t pos = menu.find("<Filename>" + f + "</Filename>", std::max(at, last));
    ASSERT_NE(pos, std::string::npos) << f;
    last = pos;
  }
  // The studio's icon is installed under its theme name.
  EXPECT_TRUE(exists(rig.places.icons() + "/apps/halvergen-tarvolin.svg"));
  EXPECT_EQ(entryValue(TempDir::read(rig.places.applications() + "/" + files[0]), "Icon"),
            "halvergen-tarvolin");
}

TEST(SetupDesktop, ProjectFilesResolveToTheTypeOpenedByTheInstalledStudio) {
  SetupRig rig;
  rig.writeInstallTree();
  rig.dir.write("xdg/config/mimeapps.list",
                "[Default Applications]\ntext/plain=gedit.desktop;\n\n[Added Associations]\n"
                "text/plain=gedit.desktop;\n");
  RecordingPrompts prompts;
  ASSERT_EQ(runInstallation(rig.request(rig.folder()), prompts), InstallOutcome::Complete);

  const std::string package =
      TempDir::read(rig.places.mimePackages() + "/halvergen-tarvolin.xml");
  EXPECT_NE(package.find("<comment>Tarvolin Project File</comment>"), std::string::npos);
  EXPECT_NE(package.find("<glob pattern=\"*.tvp\"/>"), std::string::npos);
  EXPECT_TRUE(exists(rig.places.icons() + "/mimetypes/application-x-tarvolin-project.svg"));
  const std::string mimeapps = TempDir::read(rig.places.mimeappsList());
  EXPECT_NE(mimeapps.find("text/plain=gedit.desktop;"), std::string::npos);
  EXPECT_NE(mimeapps.find("application/x-tarvolin-project=halvergen-tarvolin.desktop;"),
            std::string::npos);

  if (!SetupRig::hasTool("update-mime-database") || !SetupRig::hasTool("xdg-mime") ||
      !SetupRig::hasTool("gio"))
    GTEST_SKIP() << "desktop tools missing";
  const std::string project = rig.dir.write("juego.tvp", "#PROJECT_NAME\njuego\n\n");
  EXPECT_EQ(rig.query("XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype '" + project + "'"),
            "application/x-tarvolin-project");
  EXPECT_EQ(rig.query("xdg-mime query default application/x-tarvolin-project"),
            "halvergen-tarvolin.desktop");
  // That entry runs the installed studio with the file after "-P".
  const std::string studio = TempDir::read(rig.places.applications() + "/halvergen-tarvolin.desktop");
  EXPECT_EQ(entryValue(studio, "Exec"), rig.folder() + "/TarvolinStudio -P %f");
  EXPECT_EQ(entryValue(studio, "MimeType"), "application/x-tarvolin-project;");
}

TEST(SetupDesktop, DefaultApplicationEditsKeepEveryOtherLine) {
  const std::string mime = "application/x-tarvolin-project";
  const std::string id = "halvergen-tarvolin.desktop";
  // An empty list gets both sections.
  const std::string fresh = withDefaultApplication("", mime, id);
  EXPECT_EQ(fresh,
            "[Default Applications]\n" + mime + "=" + id + ";\n\n[Added Associations]\n" + mime +
                "=" + id + ";\n");
  EXPECT_EQ(withoutDefaultApplication(fresh, mime, id), "");

  // Another default stays as the fallback; other keys, comments and
  // sections are untouched; installing twice changes nothing more.
  const std::string user =
      "# mine\n[Default Applications]\ntext/html=firefox.desktop;\n" + mime +
      "=other.desktop;\n\n[Removed Associations]\nimage/png=gimp.desktop;\n";
  const std::string once = withDefaultApplication(user, mime, id);
  EXPECT_NE(once.find(mime + "=" + id + ";other.desktop;\n"), std::string::npos);
  EXPECT_NE(once.find("text/html=firefox.desktop;\n"), std::string::npos);
  EXPECT_NE(once.find("[Removed Associations]\nimage/png=gimp.desktop;\n"), std::string::npos);
  EXPECT_EQ(withDefaultApplication(once, mime, id), once);
  const std::string removed = withoutDefaultApplication(once, mime, id);
  EXPECT_NE(removed.find(mime + "=other.desktop;\n"), std::string::npos);
  EXPECT_EQ(removed.find(id), std::string::npos);
  EXPECT_EQ(removed.find("# mine\n"), 0u);

  // A section that ends the file gets the line at its end.
  const std::string added = withDefaultApplication("[Added Associations]\nx/y=a.desktop;\n", mime, id);
  EXPECT_EQ(added.find("[Added Associations]\nx/y=a.desktop;\n" + mime + "=" + id + ";\n"), 0u);
}

TEST(SetupDesktop, PlacesFollowTheXdgRulesAndRootGoesSystemWide) {
  Environment user;
  user.home = "/home/ana/";
  EXPECT_EQ(defaultInstallFolder(user), "/home/ana/.local/opt/Halvergen/Tarvolin/");
  DesktopPlaces p = desktopPlacesFor(user);
  EXPECT_EQ(p.dataHome, "/home/ana/.local/share");
  EXPECT_EQ(p.configHome, "/home/ana/.config");
  user.xdgDataHome = "/data/";
  user.xdgConfigHome = "relative/ignored";
  p = desktopPlacesFor(user);
  EXPECT_EQ(p.dataHome, "/data");
  EXPECT_EQ(p.configHome, "/home/ana/.config");
  EXPECT_FALSE(p.system);

  Environment root;
  root.root = true;
  root.home = "/root";
  EXPECT_EQ(defaultInstallFolder(root), "/opt/Halvergen/Tarvolin/");
  p = desktopPlacesFor(root);
  EXPECT_TRUE(p.system);
  EXPECT_EQ(p.applications(), "/usr/local/share/applications");
  EXPECT_EQ(p.mimeappsList(), "/etc/xdg/mimeapps.list");
}

}  // namespace
}  // namespace tarvolin::setup
