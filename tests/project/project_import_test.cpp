#include "project/project_import.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "common/temp_dir.h"
#include "project/project.h"
#include "project/recording_host.h"
#include "project/resource_file.h"

namespace tarvolin::project {
namespace {

using test::RecordingHost;
using test::TempDir;

// Records progress too.
class ImportHost : public RecordingHost {
 public:
  bool progress(int percent, std::string_view) override {
    percents.push_back(percent);
    return cancelAt < 0 || int(percents.size()) < cancelAt;
  }
  std::vector<int> percents;
  int cancelAt = -1;  // the progress call (1-based) that cancels
};

Resource resource(std::string name, std::string file, bool relative = true) {
  Resource r;
  r.name = std::move(name);
  r.file = std::move(file);
  r.relative = relative;
  return r;
}

ArrayDef arrayDef(std::string name) {
  ArrayDef a;
  a.name = std::move(name);
  a.dimX = 4;
  a.elements.push_back({kU8, "Item", "", 0});
  return a;
}

GlobalSet librarySet() {
  GlobalSet s = defaultGlobalSet();
  s.name = "Default";
  s.variables[0].name = "G_SCORE";
  return s;
}

// A library project "lib" with one record of every family (each named after
// its family, plus the resource Hero) and two scripts; a game project "game"
// that already holds the resource "hero".
struct Projects {
  TempDir dir;
  ImportHost host;
  std::string working;
  Project project{host, working};

  Projects() {
    project.setStartFolder(dir.path());
    dir.write("lib.tvp", "");
    writeLibrary();
    dir.write("game.tvp", "");
    dir.write("game/resource.txt", writeResources({resource("hero", ".\\mine.bmp")}));
    dir.write("game/Script/main.txt", "; game\r\n");
    EXPECT_TRUE(project.open(dir.file("game.tvp"), false));
    host.lines.clear();
  }

  void writeLibrary() {
    Resource ranged = resource("Walk", ".\\walk.bin");
    ranged.range = true;
    ranged.rangeMax = 3;
    ranged.rangeFormat = 1;  // Decimal00
    dir.write("lib/resource.txt", writeResources({resource("Hero", ".\\hero.bmp"),
                                                  resource("Font", ".\\gfx\\font.bmp"), ranged}));
    dir.write("lib/Resources/hero.bmp", "HERO");
    dir.write("lib/Resources/gfx/font.bmp", "FONT");
    dir.write("lib/Resources/walk00.bin", "W0");
    dir.write("lib/Resources/walk02.bin", "W2");
    dir.write("lib/Resources/pal.pal", "PAL");
    dir.write("lib/global_names.txt", writeGlobalSets({librarySet()}));

    MotionPath path;
    path.name = "Route";
    path.points.push_back({});
    dir.write("lib/paths.txt", writePaths({path}));

    Macro macro;
    macro.name = "Blink";
    macro.hint = "parpadea";
    macro.body = {"ResourceLoad Hero", "; Hero"};
    dir.write("lib/macro.txt", writeMacros({macro}));

    FontMap font;
    font.name = "Letters";
    font.ranges.push_back({65, 90, 0});
    font.imageResource = "Font";
    dir.write("lib/fontmaps.txt", writeFontMaps({font}));

    StringRecord text;
    text.identifier = "Title";
    text.texts[0] = "Hello";
    dir.write("lib/string_table.txt", writeStrings({text}));

    dir.write("lib/arrays.txt", writeArrays({arrayDef("Table")}));

    TileList tiles;
    tiles.name = "Tiles";
    tiles.outputFile = "tiles.txt";
    TileListImage image;
    image.label = "font";
    image.resourceName = "Font";
    tiles.images.push_back(image);
    dir.write("lib/tilelists.txt", writeTileLists({tiles}));

    Level world = Level::makeNew("World", 2, 2, 1);
    world.settings.tileList = "Tiles";
    world.settings.linkedLevel = "World";
    world.settings.layerLinks[0].levelName = "World";
    world.settings.banks[0].paletteFile = "pal.pal";
    dir.write("lib/level_info.txt", writeLevelInfo({world}));
    dir.write("lib/LevelData/" + levelBodyFileName("World"), writeLevelBody(world.body));

    dir.write("lib/Script/main.txt",
              "; library\n; two comment lines\nExternScript \"sub/menu.txt\"\nResourceLoad Hero ; Hero\n");
    dir.write("lib/Script/sub/menu.txt", "Function Menu 0\n%Blink 1\nReturn");
  }

  ImportOptions options() const {
    ImportOptions o;
    o.file = dir.file("lib.tvp");
    o.prefix = "lib_";
    o.folder = "lib";
    return o;
  }

  bool boxSaid(std::string_view text) const {
    for (const std::string& b : host.boxes)
      if (b == text) return true;
    return false;
  }
};

// ---- the script copy ---------------------------------------------------------------

TEST(ScriptCopy, BlockAfterLeadingCommentsExternFolderAndLastLine) {
  NameRewriter none("", false);
  ScriptCopyOptions copy{"lib", "lib"};
  EXPECT_EQ(copyScriptText("; one\n;two\nExternScript \"menu.txt\"\nReturn\n", copy, none),
            "; one\r\n;two\r\n\r\n; Auto agregar\r\nApplyGlobalSet lib\r\n\r\n"
            "ExternScript \"lib\\menu.txt\"\r\nReturn");
  // Blank lines count as empty; CR LF input; ExternFunction in any case.
  EXPECT_EQ(copyScriptText("  \r\n\texternfunction \"a.txt\" Go\r\nX", copy, none),
            "  \r\n\r\n; Auto agregar\r\nApplyGlobalSet lib\r\n\r\n\texternfunction \"lib\\a.txt\" Go\r\nX");
  // No subfolder and no set: lines pass unchanged but for the line ends.
  EXPECT_EQ(copyScriptText("ExternScript \"menu.txt\"\n; c\n", ScriptCopyOptions{}, none),
            "ExternScript \"menu.txt\"\r\n; c");
  // A script of comments only gets no block; an empty script stays empty.
  EXPECT_EQ(copyScriptText("; only\n\n", copy, none), "; only\r\n");
  EXPECT_EQ(copyScriptText("", copy, none), "");
}

TEST(ScriptCopy, WordsNamingImportedAssetsGetThePrefix) {
  NameRewriter names("lib_", false);
  names.addName("Hero");
  names.addArray("Table");
  names.addMacro("Blink");
  EXPECT_EQ(names.rewriteLine("ResourceLoad Hero ; Hero"), "ResourceLoad lib_Hero ; lib_Hero");
  EXPECT_EQ(names.rewriteLine("  X HERO,\tHeroes \"Hero\" hero"), "  X HERO,\tHeroes \"Hero\" lib_hero");
  EXPECT_EQ(names.rewriteLine("V_LV0 = Table.Item[V_LV1] Table"), "V_LV0 = lib_Table.Item[V_LV1] lib_Table");
  EXPECT_EQ(names.rewriteLine("%blink 3 % %Other"), "%lib_blink 3 % %Other");

  NameRewriter skipping("lib_", true);
  skipping.addName("Hero");
  EXPECT_EQ(skipping.rewriteLine("ResourceLoad Hero ; Hero"), "ResourceLoad lib_Hero ; Hero");
  EXPECT_EQ(skipping.rewriteLine(";Hero Hero"), ";Hero Hero");
  // No prefix: nothing changes.
  NameRewriter empty("", false);
  empty.addName("Hero");
  EXPECT_EQ(empty.rewriteLine("Hero"), "Hero");
}

// ---- merging families ---------------------------------------------------------------

TEST(ProjectImport, HeroCollidesWithHeroWithoutPrefixAndIsAddedWithIt) {
  {
    Projects p;
    ImportOptions o = p.options();
    o.prefixed[std::size_t(ImportFamily::Resources)] = false;
    const ImportSummary s = importProject(p.project, o);
    EXPECT_EQ(s.outcome, ImportOutcome::Done);
    EXPECT_TRUE(p.boxSaid("El recurso 'Hero' ya existe en el proyecto"));
    EXPECT_TRUE(p.host.saw("El recurso 'Hero' ya existe en el proyecto"));
    EXPECT_EQ(s.duplicates[std::size_t(ImportFamily::Resources)], 1);
    EXPECT_EQ(p.project.resources().find("Hero"), 0);  // still the game's own
    EXPECT_EQ(p.project.resources().get(0)->file, ".\\mine.bmp");
    EXPECT_GE(p.project.resources().find("Font"), 0);
  }
  {
    Projects p;
    const ImportSummary s = importProject(p.project, p.options());
    EXPECT_EQ(s.duplicates[std::size_t(ImportFamily::Resources)], 0);
    const int hero = p.project.resources().find("lib_Hero");
    ASSERT_GE(hero, 0);
    EXPECT_EQ(p.project.resources().get(std::size_t(hero))->name, "lib_Hero");
    EXPECT_EQ(p.project.resources().find("hero"), 0);
  }
}

TEST(ProjectImport, EveryFamilyReportsItsDuplicates) {
  Projects p;
  ImportOptions o = p.options();
  o.prefix.clear();
  o.createGlobalSet = false;
  o.scripts = false;
  o.copyResourceFiles = false;
  ASSERT_EQ(importProject(p.project, o).outcome, ImportOutcome::Done);
  p.host.boxes.clear();
  p.host.lines.clear();
  // The same import again: every record is already there.
  const ImportSummary s = importProject(p.project, o);
  const char* expected[] = {
      "El arreglo 'Table' ya existe en el proyecto",   "La cadena 'Title' ya existe en el proyecto",
      "La macro 'Blink' ya existe en el proyecto",     "La lista de tiles 'Tiles' ya existe en el proyecto",
      "El recurso 'Font' ya existe en el proyecto",    "El recorrido 'Route' ya existe en el proyecto",
      "El mapa de fuentes 'Letters' ya existe en el proyecto", "El nivel 'World' ya existe en el proyecto"};
  for (const char* text : expected) {
    EXPECT_TRUE(p.boxSaid(text)) << text;
    EXPECT_TRUE(p.host.saw(text)) << text;
  }
  EXPECT_EQ(s.totalAdded(), 0);
  for (std::size_t f = 0; f < kImportFamilyCount; ++f) EXPECT_GE(s.duplicates[f], 1) << f;
  EXPECT_EQ(p.project.arrays().items().size(), 1u);
  EXPECT_EQ(p.project.strings().size(), 1u);
  EXPECT_EQ(p.project.macros().items().size(), 1u);
}

TEST(ProjectImport, DependentNamesFollowThePrefixAndTheFolder) {
  Projects p;
  ASSERT_EQ(importProject(p.project, p.options()).outcome, ImportOutcome::Done);
  const Level* level = p.project.levels().get(std::size_t(p.project.levels().find("lib_World")));
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->settings.tileList, "lib_Tiles");
  EXPECT_EQ(level->settings.linkedLevel, "lib_World");
  EXPECT_EQ(level->settings.layerLinks[0].levelName, "lib_World");
  EXPECT_EQ(level->settings.layerLinks[1].levelName, "");
  EXPECT_EQ(level->settings.banks[0].paletteFile, "lib\\pal.pal");
  EXPECT_EQ(level->body.width, 2);  // the body came along

  const TileList* tiles = p.project.tileLists().get(std::size_t(p.project.tileLists().find("lib_Tiles")));
  ASSERT_NE(tiles, nullptr);
  EXPECT_EQ(tiles->images[0].resourceName, "lib_Font");
  EXPECT_EQ(tiles->outputFile, "lib\\tiles.txt");

  const FontMap* font = p.project.fontMaps().get(std::size_t(p.project.fontMaps().find("lib_Letters")));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->imageResource, "lib_Font");

  const Macro* blink = p.project.macros().find("lib_Blink");
  ASSERT_NE(blink, nullptr);
  EXPECT_EQ(blink->body, (std::vector<std::string>{"ResourceLoad lib_Hero", "; lib_Hero"}));

  EXPECT_GE(p.project.paths().find("lib_Route"), 0);
  EXPECT_GE(p.project.strings().find("lib_Title"), 0);
  const int table = p.project.arrays().find("lib_Table");
  ASSERT_GE(table, 0);
  EXPECT_GE(p.project.arrays().at(table)->placedOffset, 0);  // laid out in memory

  // Families whose prefix switch is off keep their names, and so do the
  // names that depend on them.
  Projects q;
  ImportOptions o = q.options();
  o.prefixed[std::size_t(ImportFamily::TileLists)] = false;
  o.prefixed[std::size_t(ImportFamily::Levels)] = false;
  ASSERT_EQ(importProject(q.project, o).outcome, ImportOutcome::Done);
  const Level* plain = q.project.levels().get(std::size_t(q.project.levels().find("World")));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->settings.tileList, "Tiles");
  EXPECT_EQ(plain->settings.linkedLevel, "World");
  EXPECT_GE(q.project.tileLists().find("Tiles"), 0);
}

TEST(ProjectImport, MissingOrBrokenFamilyFileIsSkippedAndTheRestGoesOn) {
  Projects p;
  std::filesystem::remove(p.dir.file("lib/paths.txt"));
  p.dir.write("lib/string_table.txt", "#Broken\nEN oops\n");
  const ImportSummary s = importProject(p.project, p.options());
  EXPECT_EQ(s.outcome, ImportOutcome::Done);
  const std::string missing = "No se puede cargar el recorrido desde el archivo " + p.dir.file("lib/paths.txt");
  EXPECT_TRUE(p.boxSaid(missing));
  EXPECT_TRUE(p.boxSaid("Error al combinar las listas de cadenas (se hallaron IDs duplicados)"));
  // Each failure is reported once, in the check pass.
  EXPECT_EQ(std::count(p.host.boxes.begin(), p.host.boxes.end(), missing), 1);
  EXPECT_TRUE(s.failed[std::size_t(ImportFamily::Paths)]);
  EXPECT_EQ(p.project.paths().size(), 0u);
  EXPECT_EQ(p.project.strings().size(), 0u);
  EXPECT_GE(p.project.arrays().find("lib_Table"), 0);
  EXPECT_GE(p.project.resources().find("lib_Font"), 0);
}

TEST(ProjectImport, UntickedComponentsAreNotMergedButStillRewriteScripts) {
  Projects p;
  ImportOptions o = p.options();
  o.components.fill(false);
  o.components[std::size_t(ImportFamily::Strings)] = true;
  const ImportSummary s = importProject(p.project, o);
  EXPECT_EQ(s.totalAdded(), 1);
  EXPECT_EQ(p.project.resources().size(), 1u);
  EXPECT_GE(p.project.strings().find("lib_Title"), 0);
  std::string main;
  ASSERT_TRUE(platform::readWholeFile(p.dir.file("game/Script/lib/main.txt"), main));
  EXPECT_NE(main.find("ResourceLoad lib_Hero"), std::string::npos);
}

// ---- the whole import ------------------------------------------------------------------

TEST(ProjectImport, ScriptsResourcesGlobalSetAndProgress) {
  Projects p;
  const ImportSummary s = importProject(p.project, p.options());
  ASSERT_EQ(s.outcome, ImportOutcome::Done);

  std::string main, menu;
  ASSERT_TRUE(platform::readWholeFile(p.dir.file("game/Script/lib/main.txt"), main));
  EXPECT_EQ(main,
            "; library\r\n; two comment lines\r\n\r\n; Auto agregar\r\nApplyGlobalSet lib\r\n\r\n"
            "ExternScript \"lib\\sub/menu.txt\"\r\nResourceLoad lib_Hero ; lib_Hero");
  ASSERT_TRUE(platform::readWholeFile(p.dir.file("game/Script/lib/sub/menu.txt"), menu));
  EXPECT_EQ(menu, "\r\n; Auto agregar\r\nApplyGlobalSet lib\r\n\r\nFunction Menu 0\r\n%lib_Blink 1\r\nReturn");

  // Resource files: into Resources/lib, paths pointing there; the ranged
  // resource takes the numbered files that exist.
  EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/lib/hero.bmp")), "HERO");
  EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/lib/gfx/font.bmp")), "FONT");
  EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/lib/walk00.bin")), "W0");
  EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/lib/walk02.bin")), "W2");
  EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/lib/pal.pal")), "PAL");
  const Resource* font = p.project.resources().get(std::size_t(p.project.resources().find("lib_Font")));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->file, ".\\lib\\gfx\\font.bmp");
  for (const Resource& r : p.project.resources().items()) EXPECT_FALSE(r.imported) << r.name;
  // Every file written is named in the output pane.
  EXPECT_EQ(s.copiedFiles.size(), 7u);
  for (const std::string& file : s.copiedFiles) EXPECT_TRUE(p.host.saw("Archivo copiado <" + file + ">")) << file;

  // The new global set is the library's first set under the folder name.
  const int set = p.project.globalSets().findSet("lib");
  ASSERT_EQ(set, 1);
  EXPECT_EQ(p.project.globalSets().sets()[1].variables[0].name, "G_SCORE");
  EXPECT_TRUE(s.globalSetCreated);

  // Ten steps and one per script, ending at 100.
  EXPECT_EQ(s.progressSteps, 12);
  ASSERT_FALSE(p.host.percents.empty());
  EXPECT_EQ(p.host.percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(p.host.percents.begin(), p.host.percents.end()));

  // Nothing of the project itself is on disk until it is saved.
  EXPECT_TRUE(p.project.isModified());
  EXPECT_FALSE(std::filesystem::exists(p.dir.file("game/arrays.txt")));
  EXPECT_EQ(TempDir::read(p.dir.file("game/resource.txt")), writeResources({resource("hero", ".\\mine.bmp")}));
  ASSERT_TRUE(p.project.save(false));
  ASSERT_TRUE(p.project.open(p.dir.file("game.tvp"), false));
  EXPECT_GE(p.project.levels().find("lib_World"), 0);
  EXPECT_EQ(p.project.levels().get(std::size_t(p.project.levels().find("lib_World")))->body.width, 2);
  EXPECT_EQ(p.project.globalSets().findSet("lib"), 1);
  EXPECT_EQ(p.project.resources().size(), 4u);
}

// Counts what observers hear.
struct Listener : ProjectObserver {
  int inserted = 0;
  int removed = 0;
  std::vector<bool> modified;
  void assetChanged(const AssetChange& c) override {
    if (c.kind == AssetChangeKind::Inserted) ++inserted;
    if (c.kind == AssetChangeKind::Removed) ++removed;
  }
  void modifiedChanged(bool m) override { modified.push_back(m); }
};

TEST(ProjectImport, TheWholeImportIsOneUndoStepObserversHear) {
  Projects p;
  Listener listener;
  p.project.addObserver(&listener);
  const ImportSummary s = importProject(p.project, p.options());
  ASSERT_TRUE(s.undo.valid());
  // Eight records, one of each family but two more resources, and the set.
  EXPECT_EQ(s.totalAdded(), 10);
  EXPECT_EQ(listener.inserted, 11);
  EXPECT_EQ(listener.modified, std::vector<bool>{true});

  const Edit redo = p.project.apply(s.undo);
  ASSERT_TRUE(redo.valid());
  EXPECT_EQ(listener.removed, 11);
  EXPECT_EQ(p.project.resources().size(), 1u);
  EXPECT_EQ(p.project.globalSets().sets().size(), 1u);
  EXPECT_EQ(p.project.levels().size(), 0u);
  EXPECT_FALSE(p.project.isModified());  // back to the state it was opened in
  EXPECT_EQ(listener.modified, (std::vector<bool>{true, false}));

  ASSERT_TRUE(p.project.apply(redo).valid());
  EXPECT_GE(p.project.resources().find("lib_Font"), 0);
  EXPECT_EQ(p.project.globalSets().findSet("lib"), 1);
  EXPECT_TRUE(p.project.isModified());
  p.project.removeObserver(&listener);

  // An import that merges nothing has nothing to undo.
  Projects q;
  ImportOptions o = q.options();
  o.components.fill(false);
  o.createGlobalSet = false;
  const ImportSummary none = importProject(q.project, o);
  EXPECT_EQ(none.outcome, ImportOutcome::Done);
  EXPECT_FALSE(none.undo.valid());
  EXPECT_FALSE(q.project.isModified());
}

TEST(ProjectImport, ExistingFilesAreReplacedOnlyWhenTheUserAgrees) {
  for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
    Projects p;
    p.dir.write("game/Script/lib/main.txt", "mine");
    p.dir.write("game/Resources/lib/hero.bmp", "MINE");
    p.dir.write("game/Resources/lib/gfx/font.bmp", "FONT");  // the same bytes: no question
    p.host.answer = answer;
    const ImportSummary s = importProject(p.project, p.options());
    const std::string script = p.dir.file("game/Script/lib/main.txt");
    EXPECT_TRUE(p.boxSaid("El archivo '" + script + "' ya existe. ¿Sobrescribir?"));
    EXPECT_FALSE(p.boxSaid("El archivo '" + p.dir.file("game/Resources/lib/gfx/font.bmp") +
                           "' ya existe. ¿Sobrescribir?"));
    const bool replaced = answer == MessageAnswer::Yes;
    EXPECT_EQ(TempDir::read(script) == "mine", !replaced);
    EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/lib/hero.bmp")), replaced ? "HERO" : "MINE");
    EXPECT_EQ(s.scriptsSkipped, replaced ? 0 : 1);
  }
  // The question's default answer is no.
  Projects q;
  q.dir.write("game/Script/lib/main.txt", "mine");
  importProject(q.project, q.options());
  EXPECT_EQ(TempDir::read(q.dir.file("game/Script/lib/main.txt")), "mine");
}

TEST(ProjectImport, WithoutSubfoldersAndWithoutCopies) {
  Projects p;
  ImportOptions o = p.options();
  o.scriptSubfolder = false;
  o.resourceSubfolder = false;
  o.addApplySet = false;
  ASSERT_EQ(importProject(p.project, o).outcome, ImportOutcome::Done);
  EXPECT_EQ(TempDir::read(p.dir.file("game/Script/sub/menu.txt")), "Function Menu 0\r\n%lib_Blink 1\r\nReturn");
  EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/hero.bmp")), "HERO");
  EXPECT_EQ(p.project.resources().get(std::size_t(p.project.resources().find("lib_Font")))->file,
            ".\\gfx\\font.bmp");
  // The game's own main script was asked about and kept (default no).
  EXPECT_EQ(TempDir::read(p.dir.file("game/Script/main.txt")), "; game\r\n");

  Projects q;
  o = q.options();
  o.copyResourceFiles = false;
  ASSERT_EQ(importProject(q.project, o).outcome, ImportOutcome::Done);
  EXPECT_FALSE(std::filesystem::exists(q.dir.file("game/Resources")));
  EXPECT_EQ(q.project.resources().get(std::size_t(q.project.resources().find("lib_Font")))->file,
            ".\\gfx\\font.bmp");
  for (const Resource& r : q.project.resources().items()) EXPECT_FALSE(r.imported);
}

TEST(ProjectImport, PathsLeadingOutOfTheFoldersAreRefused) {
  Projects p;
  p.dir.write("lib/resource.txt", writeResources({resource("Evil", "..\\..\\..\\outside.bin"),
                                                  resource("Abs", "/etc/hostname", false),
                                                  resource("Good", "good.bin")}));
  p.dir.write("outside.bin", "SECRET");
  p.dir.write("lib/Resources/good.bin", "OK");
  std::filesystem::create_symlink(p.dir.file("outside.bin"), p.dir.file("lib/Script/link.txt"));
  const ImportSummary s = importProject(p.project, p.options());
  ASSERT_EQ(s.outcome, ImportOutcome::Done);
  EXPECT_TRUE(p.boxSaid("El recurso 'lib_Evil' no se copia: su archivo ..\\..\\..\\outside.bin queda fuera de "
                        "la carpeta de recursos"));
  EXPECT_TRUE(p.boxSaid("El guión 'link.txt' lleva fuera de la carpeta de guiones del proyecto; no se copia"));
  EXPECT_FALSE(std::filesystem::exists(p.dir.file("game/Script/lib/link.txt")));
  EXPECT_EQ(TempDir::read(p.dir.file("game/Resources/lib/good.bin")), "OK");
  // Nothing was written anywhere but below the game's folders.
  for (const std::string& file : s.copiedFiles) EXPECT_EQ(file.rfind(p.dir.file("game/"), 0), 0u) << file;
  // The records themselves are imported, with their paths unchanged.
  const Resource* evil = p.project.resources().get(std::size_t(p.project.resources().find("lib_Evil")));
  ASSERT_NE(evil, nullptr);
  EXPECT_EQ(evil->file, "..\\..\\..\\outside.bin");
  EXPECT_EQ(p.project.resources().get(std::size_t(p.project.resources().find("lib_Abs")))->file,
            "/etc/hostname");
}

// ---- early stops -------------------------------------------------------------------------

struct Snapshot {
  ProjectSettings settings;
  std::vector<GlobalSet> sets;
  std::size_t resources;
  bool modified;
  explicit Snapshot(const Project& p)
      : settings(p.settings()), sets(p.globalSets().sets()), resources(p.resources().size()),
        modified(p.isModified()) {}
  void expectSame(const Project& p, const std::string& what) const {
    EXPECT_EQ(p.settings(), settings) << what;
    EXPECT_EQ(p.globalSets().sets(), sets) << what;
    EXPECT_EQ(p.resources().size(), resources) << what;
    EXPECT_EQ(p.isModified(), modified) << what;
  }
};

TEST(ProjectImport, EarlyStopsLeaveTheOpenProjectAsItWas) {
  struct Case {
    const char* what;
    std::function<void(Projects&, ImportOptions&)> arrange;
    ImportOutcome outcome;
    std::string box;
  };
  const std::vector<Case> cases = {
      {"missing project", [](Projects&, ImportOptions& o) { o.file += ".gone"; }, ImportOutcome::NotFound,
       "No se especifico un nombre o el proyecto no pudo hallarse"},
      {"no name", [](Projects&, ImportOptions& o) { o.file.clear(); }, ImportOutcome::NotFound,
       "No se especifico un nombre o el proyecto no pudo hallarse"},
      {"no script folder",
       [](Projects& p, ImportOptions&) { std::filesystem::remove_all(p.dir.file("lib/Script")); },
       ImportOutcome::NoScriptFolder, ""},
      {"unreadable globals",
       [](Projects& p, ImportOptions&) { p.dir.write("lib/global_names.txt", "#2\nOnly\nfalse\n"); },
       ImportOutcome::GlobalsUnreadable, "Error al leer globales"},
      {"set name taken", [](Projects&, ImportOptions& o) { o.folder = "DEFAULT"; }, ImportOutcome::GlobalSetTaken,
       "Ya se está utilizando ese nombre como juego de variables globales"},
      {"folder with a separator", [](Projects&, ImportOptions& o) { o.folder = "..\\up"; },
       ImportOutcome::BadOptions, ""},
      {"no folder", [](Projects&, ImportOptions& o) { o.folder.clear(); }, ImportOutcome::BadOptions,
       "No se especificó el nombre de la carpeta"},
      {"prefix with a blank", [](Projects&, ImportOptions& o) { o.prefix = "my lib"; }, ImportOutcome::BadOptions,
       ""},
      {"itself", [](Projects& p, ImportOptions& o) { o.file = p.dir.file("game.tvp"); }, ImportOutcome::SameProject,
       "No se puede importar el proyecto abierto en sí mismo"},
  };
  for (const Case& c : cases) {
    Projects p;
    p.project.settings().mainScript = "start.txt";  // held in memory only
    p.project.globalSets().sets()[0].variables[3].name = "G_LIVES";
    const Snapshot before(p.project);
    ImportOptions o = p.options();
    c.arrange(p, o);
    const ImportSummary s = importProject(p.project, o);
    EXPECT_EQ(s.outcome, c.outcome) << c.what;
    ASSERT_EQ(p.host.boxes.size(), 1u) << c.what;
    if (!c.box.empty()) {
      EXPECT_EQ(p.host.boxes[0], c.box) << c.what;
    }
    before.expectSame(p.project, c.what);
    EXPECT_TRUE(s.copiedFiles.empty()) << c.what;
    EXPECT_FALSE(std::filesystem::exists(p.dir.file("game/Script/lib"))) << c.what;
  }
  // A library that never wrote its global sets has the default one: its
  // import goes on and the new set is made from it.
  {
    Projects p;
    std::filesystem::remove(p.dir.file("lib/global_names.txt"));
    EXPECT_EQ(importProject(p.project, p.options()).outcome, ImportOutcome::Done);
    ASSERT_EQ(p.project.globalSets().findSet("lib"), 1);
    GlobalSet expected = defaultGlobalSet();
    expected.name = "lib";
    EXPECT_EQ(p.project.globalSets().sets()[1], expected);
  }
  // Without scripts, a library without a Script folder imports its assets.
  Projects p;
  std::filesystem::remove_all(p.dir.file("lib/Script"));
  ImportOptions o = p.options();
  o.scripts = false;
  EXPECT_EQ(importProject(p.project, o).outcome, ImportOutcome::Done);
  EXPECT_GE(p.project.resources().find("lib_Hero"), 0);
}

TEST(ProjectImport, CancelBeforeTheMergesLeavesTheProjectAsItWas) {
  // Progress calls: 1 read, 2 globals, 3 set, 4 check pass, 5 and 6 the
  // scripts, 7 the merges.
  for (int at = 1; at <= 6; ++at) {
    Projects p;
    p.host.cancelAt = at;
    const Snapshot before(p.project);
    const ImportSummary s = importProject(p.project, p.options());
    EXPECT_EQ(s.outcome, ImportOutcome::Cancelled) << at;
    before.expectSame(p.project, "cancel at " + std::to_string(at));
    EXPECT_FALSE(s.globalSetCreated);
    EXPECT_EQ(s.totalAdded(), 0);
    // Scripts copied before the cancel are on disk and named.
    EXPECT_EQ(s.copiedFiles.size(), at == 6 ? 1u : 0u) << at;
    for (const std::string& file : s.copiedFiles) EXPECT_TRUE(p.host.saw("Archivo copiado <" + file + ">"));
  }
  // From the merges on, the import runs to its end.
  Projects p;
  p.host.cancelAt = 7;
  EXPECT_EQ(importProject(p.project, p.options()).outcome, ImportOutcome::Done);
  EXPECT_GE(p.project.resources().find("lib_Hero"), 0);
}

// ---- single-family import ---------------------------------------------------------------

TEST(ProjectImport, SingleFamilyMergesWithoutPrefix) {
  Projects p;
  ImportSummary s;
  ASSERT_TRUE(importFamily(p.project, ImportFamily::Resources, p.dir.file("lib.tvp"), &s));
  EXPECT_TRUE(p.boxSaid("El recurso 'Hero' ya existe en el proyecto"));
  EXPECT_EQ(s.added[std::size_t(ImportFamily::Resources)], 2);
  EXPECT_GE(p.project.resources().find("Font"), 0);
  for (const Resource& r : p.project.resources().items()) EXPECT_FALSE(r.imported);
  EXPECT_EQ(p.project.fontMaps().size(), 0u);  // only that family
  EXPECT_TRUE(s.copiedFiles.empty());
  EXPECT_FALSE(std::filesystem::exists(p.dir.file("game/Resources")));
  EXPECT_TRUE(p.project.isModified());

  ASSERT_TRUE(importFamily(p.project, ImportFamily::Levels, p.dir.file("lib.tvp")));
  const Level* level = p.project.levels().get(0);
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->settings.tileList, "Tiles");
  EXPECT_EQ(level->settings.banks[0].paletteFile, "pal.pal");

  std::filesystem::remove(p.dir.file("lib/macro.txt"));
  EXPECT_FALSE(importFamily(p.project, ImportFamily::Macros, p.dir.file("lib.tvp")));
  EXPECT_TRUE(p.boxSaid("No se puede cargar la macro desde el archivo " + p.dir.file("lib/macro.txt")));
  EXPECT_FALSE(importFamily(p.project, ImportFamily::Macros, p.dir.file("nothing.tvp")));
  EXPECT_TRUE(p.boxSaid("No se especifico un nombre o el proyecto no pudo hallarse"));
}

TEST(ProjectImport, FamilyTable) {
  EXPECT_EQ(importFamilyFromKeyword("FontMaps"), ImportFamily::FontMaps);
  EXPECT_EQ(importFamilyFromKeyword("scripts"), std::nullopt);
  for (std::size_t i = 0; i < kImportFamilyCount; ++i) {
    const ImportFamilyInfo& info = importFamilyInfo(ImportFamily(i));
    EXPECT_EQ(info.family, ImportFamily(i));
    EXPECT_EQ(importFamilyFromKeyword(info.keyword), ImportFamily(i));
  }
}

}  // namespace
}  // namespace tarvolin::project
