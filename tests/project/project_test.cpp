#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "common/text.h"
#include "project/project.h"
#include "project/recording_host.h"

namespace tarvolin::project {
namespace {

using test::RecordingHost;
using test::TempDir;

const std::string kGenericHeader =
    ";;; Tarvolin script file - automatically generated\n"
    ";;; any changes made by hand will be lost\n\n\n";

struct Fixture {
  TempDir dir;
  RecordingHost host;
  std::string working;
  Project project{host, working};
  Fixture() { project.setStartFolder(dir.path()); }
};

std::int64_t mtimeOf(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? std::int64_t(st.st_mtim.tv_sec) : -1;
}

void age(const std::string& path) {
  struct timespec times[2] = {{1000000, 0}, {1000000, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

TEST(Project, KeylessFileGivesDocumentedDefaults) {
  Fixture f;
  f.dir.write("Work/game.tvp", kGenericHeader + "nothing here\n");
  ASSERT_TRUE(f.project.open("Work/game.tvp", false));  // relative: against the start folder
  const ProjectSettings& s = f.project.settings();
  EXPECT_EQ(f.project.name(), "game");
  EXPECT_EQ(f.project.filePath(), f.dir.file("Work/game.tvp"));
  EXPECT_EQ(s.sourceRoot, ".\\game");
  EXPECT_EQ(s.resourceRoot, ".\\game\\Resources");
  EXPECT_EQ(s.outputRoot, ".\\Builds\\game");
  EXPECT_EQ(s.mainScript, "main.txt");
  EXPECT_EQ(s.networkName, "game");
  EXPECT_EQ(s.serverAddress, "localhost");
  EXPECT_EQ(s.serverPort, 4285);
  EXPECT_TRUE(s.excludeCvs);
  EXPECT_FALSE(s.readOnly || s.noMainScript || s.networked || s.serverOverride);
  EXPECT_EQ(f.working, f.dir.file("Work"));
  EXPECT_EQ(f.project.sourceRootPath(), f.dir.file("Work/game"));
  EXPECT_EQ(f.project.resourceRootPath(), f.dir.file("Work/game/Resources"));
  EXPECT_EQ(f.project.outputRootPath(), f.dir.file("Work/Builds/game"));
  EXPECT_EQ(f.project.mainScriptPath(), f.dir.file("Work/game/Script/main.txt"));
  EXPECT_TRUE(f.host.saw("Abriendo nuevo proyecto <" + f.dir.file("Work/game.tvp") + ">"));
  EXPECT_EQ(f.project.macros().items().size(), 0u);
  EXPECT_EQ(f.project.globalSets().sets().size(), 1u);

  // The name stops at the first full stop; a missing file still opens.
  ASSERT_TRUE(f.project.open(f.dir.file("my.game.tvp"), false));
  EXPECT_EQ(f.project.name(), "my");
  EXPECT_EQ(f.project.settings().sourceRoot, ".\\my");
  EXPECT_FALSE(f.project.open("", false));
  EXPECT_TRUE(f.project.isOpen());
}

TEST(Project, FileFormatAndRoundTrip) {
  Fixture f;
  ASSERT_TRUE(f.project.open(f.dir.file("demo.tvp"), false));
  ProjectSettings& s = f.project.settings();
  s.sourceRoot = "C:\\Games\\Demo";
  s.mainScript = "inicio.txt";
  s.networked = true;
  s.serverPort = 1;
  s.excludeCvs = false;
  ASSERT_TRUE(f.project.writeProjectFile());
  const std::string text = TempDir::read(f.dir.file("demo.tvp"));

  // Header, two empty lines, then twelve (key, value, empty) groups in order.
  LineReader in(text);
  std::string line;
  std::vector<std::string> lines;
  while (in.next(line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u + 12 * 3);
  EXPECT_EQ(lines[0].substr(0, 3), ";;;");
  EXPECT_EQ(lines[1].substr(0, 3), ";;;");
  const char* keys[] = {"FOLDER_SOURCE_ROOT", "FOLDER_RESOURCE_ROOT", "FOLDER_OUTPUT_ROOT",
                        "MAIN_SCRIPT", "PROJECT_READONLY", "NO_MAIN_SCRIPT", "PROJECT_NETWORKED",
                        "PROJECT_NETWORK_SERVER_OVERRIDE", "PROJECT_NETWORK_NAME",
                        "PROJECT_NETWORK_SERVER_ADDRESS", "PROJECT_NETWORK_SERVER_PORT",
                        "PROJECT_EXCLUDE_CVS"};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(lines[4 + 3 * i], std::string("#") + keys[i]);
    EXPECT_EQ(lines[6 + 3 * i], "");
  }
  EXPECT_EQ(lines[4 + 3 * 4 + 1], "FALSE");
  EXPECT_EQ(lines[4 + 3 * 6 + 1], "TRUE");

  const ProjectSettings written = s;
  ASSERT_TRUE(f.project.open(f.dir.file("demo.tvp"), false));
  EXPECT_EQ(f.project.settings(), written);
  ASSERT_TRUE(f.project.writeProjectFile());
  EXPECT_EQ(TempDir::read(f.dir.file("demo.tvp")), text);
}

TEST(Project, ReadingQuirks) {
  Fixture f;
  // Lower-case key with "yes"; a bool with a foreign word; trailing separators.
  f.dir.write("a.tvp", "#project_readonly\nyes\n\n#PROJECT_EXCLUDE_CVS\nmaybe\n\n"
                       "#FOLDER_SOURCE_ROOT\nC:\\Games\\Demo\\\n\n"
                       "#FOLDER_RESOURCE_ROOT\n./res//\n");
  ASSERT_TRUE(f.project.open(f.dir.file("a.tvp"), false));
  EXPECT_TRUE(f.project.settings().readOnly);
  EXPECT_FALSE(f.project.settings().excludeCvs);
  EXPECT_EQ(f.project.settings().sourceRoot, "C:\\Games\\Demo");
  EXPECT_EQ(f.project.settings().resourceRoot, "./res");
  EXPECT_EQ(f.project.sourceRootPath(), "/Games/Demo");

  // The next project's file lacks the flag: it does not inherit read-only.
  f.dir.write("b.tvp", "#MAIN_SCRIPT\nx.txt\n");
  ASSERT_TRUE(f.project.open(f.dir.file("b.tvp"), false));
  EXPECT_FALSE(f.project.settings().readOnly);
  EXPECT_EQ(f.project.settings().mainScript, "x.txt");
}

TEST(Project, OpenReadsAssetsAndHooksInOrder) {
  Fixture f;
  f.dir.write("g/macro.txt", "#Mac\n?hint\n$Add %0 1\n\n#Bad\n?\n$%Other\n\n");
  f.dir.write("g/global_names.txt", "#1\nDefault\n");  // cut short: the default set stays
  f.dir.write("g/levels.clv", "stale");
  std::vector<std::string> calls;
  ProjectHooks hooks;
  hooks.closeDocuments = [&] { calls.push_back("close"); return true; };
  hooks.readNetworkVersions = [&](const std::string& p) { calls.push_back("versions " + p); };
  hooks.autoPreprocess = [&] { calls.push_back("preprocess"); };
  hooks.refreshViews = [&] { calls.push_back("refresh"); };
  f.project.setHooks(hooks);

  ASSERT_TRUE(f.project.open(f.dir.file("g.tvp"), false));
  EXPECT_EQ(calls, (std::vector<std::string>{"close", "versions " + f.dir.file("g/network_versions.txt"),
                                             "preprocess", "refresh"}));
  ASSERT_EQ(f.project.macros().items().size(), 2u);
  EXPECT_NE(f.project.macros().find("mac"), nullptr);
  EXPECT_EQ(f.project.globalSets().sets().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(f.dir.file("g/levels.clv")));
  // The macro that calls another macro is reported with its line.
  ASSERT_FALSE(f.host.lines.empty());
  EXPECT_NE(f.host.lines[0].find("<Bad>, línea 1"), std::string::npos);
  EXPECT_NE(f.host.lines[0].find("Una macro no puede llamar a otra macro"), std::string::npos);

  // A new project is not preprocessed; nor one without a main script.
  calls.clear();
  ASSERT_TRUE(f.project.open(f.dir.file("h.tvp"), true));
  EXPECT_EQ(calls.back(), "refresh");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "preprocess"), 0);
  EXPECT_TRUE(f.project.macros().items().empty());  // the old list was emptied

  // Cancelling the close of a document keeps the current project.
  hooks.closeDocuments = [] { return false; };
  f.project.setHooks(hooks);
  EXPECT_FALSE(f.project.open(f.dir.file("g.tvp"), false));
  EXPECT_EQ(f.project.name(), "h");
}

TEST(Project, SaveWritesAssetsAndKeepsUnchangedFiles) {
  Fixture f;
  ASSERT_TRUE(f.project.open(f.dir.file("s.tvp"), false));
  f.project.macros().items().push_back({"M", "h", {"Add %0 1"}});
  f.project.setModified(true);
  int settingsSaved = 0;
  ProjectHooks hooks;
  hooks.saveProgramSettings = [&] { ++settingsSaved; return true; };
  f.project.setHooks(hooks);
  ASSERT_TRUE(f.project.save(false));
  EXPECT_FALSE(f.project.isModified());
  EXPECT_EQ(settingsSaved, 1);
  const std::string macroPath = f.dir.file("s/macro.txt");
  const std::string globalPath = f.dir.file("s/global_names.txt");
  EXPECT_TRUE(std::filesystem::is_directory(f.dir.file("s/Resources")));
  EXPECT_NE(TempDir::read(macroPath).find("#M\n?h\n$Add %0 1\n\n"), std::string::npos);
  EXPECT_EQ(TempDir::read(globalPath).substr(0, 11), "#1\nDefault\n");

  // Saving again without changes keeps the time stamps.
  age(macroPath);
  age(globalPath);
  age(f.dir.file("s.tvp"));
  ASSERT_TRUE(f.project.save(false));
  EXPECT_EQ(mtimeOf(macroPath), 1000000);
  EXPECT_EQ(mtimeOf(globalPath), 1000000);
  EXPECT_EQ(mtimeOf(f.dir.file("s.tvp")), 1000000);

  // Reopening gives the same data back, and saving again the same bytes.
  const std::string macroBytes = TempDir::read(macroPath);
  ASSERT_TRUE(f.project.open(f.dir.file("s.tvp"), false));
  ASSERT_EQ(f.project.macros().items().size(), 1u);
  EXPECT_EQ(f.project.macros().items()[0].body[0], "Add %0 1");
  ASSERT_TRUE(f.project.save(false));
  EXPECT_EQ(TempDir::read(macroPath), macroBytes);

  // Cancelling the document save ends saving.
  hooks.saveDocuments = [&](bool confirm) {
    return !confirm || confirmSaveDocument(f.host, "main.txt") != MessageAnswer::Cancel;
  };
  f.host.answer = MessageAnswer::Cancel;
  f.project.setHooks(hooks);
  EXPECT_FALSE(f.project.save(true));
  EXPECT_EQ(f.host.boxes.back(), "Guardar cambios a main.txt");
  EXPECT_TRUE(f.project.save(false));
}

TEST(Project, SaveFailuresAreReported) {
  Fixture f;
  ASSERT_TRUE(f.project.open(f.dir.file("p.tvp"), false));
  // A folder where the macro file should be: that file fails, the rest goes on.
  std::filesystem::create_directories(f.dir.file("p/macro.txt"));
  f.project.setModified(true);
  EXPECT_FALSE(f.project.save(false));
  EXPECT_TRUE(f.host.saw("Error: al escribir el archivo de la macro"));
  EXPECT_TRUE(f.host.saw("Error: mientras se guardaba"));
  EXPECT_TRUE(std::filesystem::exists(f.dir.file("p/global_names.txt")));
  EXPECT_TRUE(f.project.isModified());

  // A source root that cannot be made: not saved.
  f.dir.write("blocker", "file");
  f.project.settings().sourceRoot = "blocker\\sub";
  f.host.lines.clear();
  EXPECT_FALSE(f.project.save(false));
  EXPECT_FALSE(f.host.lines.empty());
}

TEST(Project, EachAssetFileThatFailsNamesItself) {
  // A folder in the place of every asset file: each failure has its line.
  Fixture f;
  ASSERT_TRUE(f.project.open(f.dir.file("q.tvp"), false));
  const std::pair<const char*, const char*> files[] = {
      {"string_table.txt", "Error: al escribir cadena"},
      {"macro.txt", "Error: al escribir el archivo de la macro"},
      {"resource.txt", "Error: al escribir el recurso"},
      {"level_info.txt", "Error: al escribir nivel"},
      {"paths.txt", "Error: al escribir recorrido"},
      {"global_names.txt", "Error: al escribir nombres globales"},
      {"fontmaps.txt", "Error: al escribir el mapa de fuentes"},
      {"tilelists.txt", "Error: al escribir lista de tiles"},
      {"arrays.txt", "Error: al escribir el arreglo"},
  };
  for (const auto& [file, message] : files) std::filesystem::create_directories(f.dir.file(std::string("q/") + file));
  f.host.lines.clear();
  EXPECT_FALSE(f.project.save(false));
  std::vector<std::string> expected;
  for (const auto& [file, message] : files) expected.emplace_back(message);
  expected.emplace_back("Error: mientras se guardaba");
  EXPECT_EQ(f.host.lines, expected);
}

TEST(Project, ReadOnlySavesOnlyTheProjectFile) {
  Fixture f;
  f.dir.write("r.tvp", "#PROJECT_READONLY\nTRUE\n");
  f.dir.write("r/macro.txt", "#Keep\n?\n\n");
  ASSERT_TRUE(f.project.open(f.dir.file("r.tvp"), false));
  f.project.macros().items().clear();
  EXPECT_FALSE(f.project.save(false));
  ASSERT_EQ(f.host.boxes.size(), 1u);
  EXPECT_EQ(f.host.boxes[0],
            "¡No se pueden guardar los cambios, el proyecto está marcado como de solo lectura!");
  EXPECT_EQ(TempDir::read(f.dir.file("r/macro.txt")), "#Keep\n?\n\n");
  EXPECT_FALSE(std::filesystem::exists(f.dir.file("r/global_names.txt")));
  EXPECT_NE(TempDir::read(f.dir.file("r.tvp")).find("#PROJECT_NETWORK_NAME\nr\n"),
            std::string::npos);
}

TEST(Project, CloseWritesProjectFileOnly) {
  Fixture f;
  ASSERT_TRUE(f.project.open(f.dir.file("c.tvp"), false));
  f.project.macros().items().push_back({"M", "", {}});
  EXPECT_TRUE(f.project.close());
  EXPECT_FALSE(f.project.isOpen());
  EXPECT_TRUE(f.project.macros().items().empty());
  EXPECT_TRUE(std::filesystem::exists(f.dir.file("c.tvp")));
  EXPECT_FALSE(std::filesystem::exists(f.dir.file("c/macro.txt")));
  EXPECT_TRUE(f.host.saw("Cerrando proyecto <" + f.dir.file("c.tvp") + ">"));
  EXPECT_EQ(f.working, f.dir.path());
  EXPECT_TRUE(f.project.close());  // nothing open: nothing to do
}

TEST(Project, NewProjectFlow) {
  Fixture f;
  ASSERT_TRUE(f.project.createNew(f.dir.file("n.tvp")));
  ASSERT_FALSE(f.host.boxes.empty());
  EXPECT_EQ(f.host.boxes[0],
            "Se ha creado un nuevo proyecto con las configuraciones por defecto. Configura el "
            "proyecto ahora.");
  EXPECT_EQ(TempDir::read(f.dir.file("n/Script/main.txt")), "; Main script\r\n\r\n");
  EXPECT_TRUE(std::filesystem::is_directory(f.dir.file("n/Resources")));
  EXPECT_TRUE(std::filesystem::exists(f.dir.file("n.tvp")));

  // Declining the main script leaves the folder without it; an existing
  // project file is opened rather than replaced.
  f.host.answer = MessageAnswer::No;
  f.dir.write("o.tvp", "#MAIN_SCRIPT\nown.txt\n");
  ASSERT_TRUE(f.project.createNew(f.dir.file("o.tvp")));
  EXPECT_EQ(f.project.settings().mainScript, "own.txt");
  EXPECT_FALSE(f.project.checkMainScript());
  EXPECT_FALSE(std::filesystem::exists(f.dir.file("o/Script/own.txt")));
  EXPECT_TRUE(std::filesystem::is_directory(f.dir.file("o/Script")));
}

TEST(Project, TextCheckByKind) {
  Fixture f;
  EXPECT_TRUE(f.project.checkText(CheckKind::Nothing, "anything"));
  EXPECT_TRUE(f.project.checkText(CheckKind::Macros, "#A\n?\n\n"));
  EXPECT_FALSE(f.project.checkText(CheckKind::Macros, "#A\nx\n"));
  EXPECT_FALSE(f.project.checkText(CheckKind::GlobalSets, "#2\n"));
}

TEST(Project, FoldersReadOnlyScriptsAndFamilies) {
  Fixture f;
  f.dir.write("Juego.tvp", "#PROJECT_READONLY\non\n");
  ASSERT_TRUE(f.project.open(f.dir.file("Juego.tvp"), false));
  EXPECT_FALSE(f.project.mayWriteScript());
  EXPECT_EQ(f.host.boxes.size(), 1u);
  f.project.settings().readOnly = false;
  EXPECT_TRUE(f.project.mayWriteScript());

  // Chosen folders inside the project's folder are stored relative to it.
  std::string upper = f.dir.path();
  for (char& c : upper) c = toUpperAscii(c);
  EXPECT_EQ(f.project.storedFolder(f.dir.file("src/a")), ".\\src\\a");
  EXPECT_EQ(f.project.storedFolder(upper + "/Res"), ".\\Res");
  EXPECT_EQ(f.project.storedFolder(f.dir.path() + "x/y"), f.dir.path() + "x/y");
  EXPECT_EQ(f.project.storedFolder("/elsewhere"), "/elsewhere");

  f.working = "/moved/by/a/dialog";
  f.project.restoreWorkingFolder();
  EXPECT_EQ(f.working, f.dir.path());
  EXPECT_TRUE(f.project.makeScriptFolder());
  EXPECT_TRUE(std::filesystem::is_directory(f.dir.file("Juego/Script")));

  // Each built family sits in the slot of its file.
  for (std::size_t i = 0; i < std::size(kAssetFiles); ++i) {
    if (AssetFamily* fam = f.project.family(AssetSlot(i))) {
      EXPECT_EQ(fam->fileName(), kAssetFiles[i].fileName);
      EXPECT_EQ(fam->checkKind(), kAssetFiles[i].check);
    }
  }
  EXPECT_EQ(checkKindForFile("C:\\p\\Macro.TXT"), CheckKind::Macros);
  EXPECT_EQ(checkKindForFile("src/level_info.txt"), CheckKind::Levels);
  EXPECT_EQ(checkKindForFile("main.txt"), CheckKind::Nothing);
}

TEST(Project, Helpers) {
  EXPECT_EQ(projectNameOf("C:\\Work\\game.tvp"), "game");
  EXPECT_EQ(projectNameOf("/a/b.c/name"), "name");
  EXPECT_EQ(withoutTrailingSeparators("a\\b\\/"), "a\\b");
  EXPECT_EQ(withoutTrailingSeparators("\\"), "");
}

}  // namespace
}  // namespace tarvolin::project
