// Edits of the asset lists through the project: what observers hear, the
// inverse that undoes each edit, the refusals, and the modified flag.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "project/project.h"
#include "project/recording_host.h"

namespace tarvolin::project {
namespace {

using test::RecordingHost;
using test::TempDir;

struct Recorder : ProjectObserver {
  std::vector<AssetChange> changes;
  std::vector<ProjectEvent> events;
  std::vector<bool> modified;
  void assetChanged(const AssetChange& c) override { changes.push_back(c); }
  void projectChanged(ProjectEvent e) override { events.push_back(e); }
  void modifiedChanged(bool m) override { modified.push_back(m); }
  void clear() {
    changes.clear();
    events.clear();
    modified.clear();
  }
};

struct Fixture {
  TempDir dir;
  RecordingHost host;
  std::string working;
  Project project{host, working};
  Recorder seen;
  Fixture() {
    project.setStartFolder(dir.path());
    project.addObserver(&seen);
    EXPECT_TRUE(project.open(dir.file("g.tvp"), false));
    seen.clear();
  }
  ~Fixture() { project.removeObserver(&seen); }
};

Resource resource(std::string name, std::string file = "a.png") {
  Resource r;
  r.name = std::move(name);
  r.file = std::move(file);
  return r;
}

std::vector<std::string> resourceNames(const Project& p) {
  std::vector<std::string> names;
  for (const Resource& r : p.resources().items()) names.push_back(r.name);
  return names;
}

using Names = std::vector<std::string>;

TEST(AssetEdits, EachEditReturnsItsUndoAndObserversHearIt) {
  Fixture f;
  Project& p = f.project;
  Edit undoA = p.apply(Edit::Insert(-1, resource("A")));
  Edit undoB = p.apply(Edit::Insert(-1, resource("B")));
  Edit undoC = p.apply(Edit::Insert(0, resource("C")));
  ASSERT_TRUE(undoA.valid() && undoB.valid() && undoC.valid());
  EXPECT_EQ(resourceNames(p), (Names{"C", "A", "B"}));
  EXPECT_EQ(f.seen.changes,
            (std::vector<AssetChange>{{AssetSlot::Resources, AssetChangeKind::Inserted, 0, -1},
                                      {AssetSlot::Resources, AssetChangeKind::Inserted, 1, -1},
                                      {AssetSlot::Resources, AssetChangeKind::Inserted, 0, -1}}));
  EXPECT_TRUE(p.isModified());
  EXPECT_EQ(f.seen.modified, std::vector<bool>{true});

  // Replace, move and remove, each undone and redone.
  f.seen.clear();
  Edit undoReplace = p.apply(Edit::Replace(1, resource("A2", "b.png")));
  EXPECT_EQ(p.resources().items()[1].file, "b.png");
  Edit undoMove = p.apply(Edit::Move(AssetSlot::Resources, 0, 2));
  EXPECT_EQ(resourceNames(p), (Names{"A2", "B", "C"}));
  Edit undoRemove = p.apply(Edit::Remove(AssetSlot::Resources, 1));
  EXPECT_EQ(resourceNames(p), (Names{"A2", "C"}));
  EXPECT_EQ(f.seen.changes,
            (std::vector<AssetChange>{{AssetSlot::Resources, AssetChangeKind::Changed, 1, -1},
                                      {AssetSlot::Resources, AssetChangeKind::Moved, 0, 2},
                                      {AssetSlot::Resources, AssetChangeKind::Removed, 1, -1}}));
  Edit redoRemove = p.apply(undoRemove);
  Edit redoMove = p.apply(undoMove);
  Edit redoReplace = p.apply(undoReplace);
  EXPECT_EQ(resourceNames(p), (Names{"C", "A", "B"}));
  EXPECT_EQ(p.resources().items()[1].file, "a.png");
  EXPECT_EQ(f.seen.changes.back(), (AssetChange{AssetSlot::Resources, AssetChangeKind::Changed, 1, -1}));
  p.apply(redoReplace);
  p.apply(redoMove);
  p.apply(redoRemove);
  EXPECT_EQ(resourceNames(p), (Names{"A2", "C"}));

  // A group goes whole: one undo takes all of it back.
  Edit undoGroup = p.apply(Edit::Group({Edit::Insert(-1, resource("X")), Edit::Insert(-1, resource("Y")),
                                        Edit::Remove(AssetSlot::Resources, 0)}));
  ASSERT_TRUE(undoGroup.valid());
  EXPECT_EQ(resourceNames(p), (Names{"C", "X", "Y"}));
  p.apply(undoGroup);
  EXPECT_EQ(resourceNames(p), (Names{"A2", "C"}));
}

TEST(AssetEdits, RefusedEditsChangeNothing) {
  Fixture f;
  Project& p = f.project;
  p.apply(Edit::Insert(-1, resource("Tiles")));
  p.apply(Edit::Insert(-1, resource("Map")));
  f.seen.clear();
  std::string why;
  auto refused = [&](const Edit& e) { return !p.apply(e, &why).valid() && !why.empty(); };
  EXPECT_TRUE(refused(Edit::Insert(-1, resource("TILES"))));  // names ignore case
  EXPECT_EQ(why, "El nombre <TILES> ya está en uso");
  EXPECT_TRUE(refused(Edit::Insert(-1, resource(""))));
  EXPECT_TRUE(refused(Edit::Replace(1, resource("tiles"))));
  EXPECT_TRUE(refused(Edit::Replace(2, resource("Other"))));
  EXPECT_TRUE(refused(Edit::Remove(AssetSlot::Resources, -1)));
  EXPECT_TRUE(refused(Edit::Move(AssetSlot::Resources, 0, 5)));
  EXPECT_TRUE(refused(Edit::Remove(AssetSlot::Count, 0)));
  EXPECT_TRUE(refused(Edit()));
  // A group with one bad edit leaves what went before it undone.
  EXPECT_TRUE(refused(Edit::Group({Edit::Insert(-1, resource("New")), Edit::Remove(AssetSlot::Resources, 0),
                                   Edit::Insert(-1, resource("map"))})));
  EXPECT_EQ(resourceNames(p), (Names{"Tiles", "Map"}));
  // Replacing a record keeps its own name free.
  EXPECT_TRUE(p.apply(Edit::Replace(0, resource("TILES"))).valid());

  // The last global-name set stays; the built-in arrays keep their names.
  EXPECT_TRUE(refused(Edit::Remove(AssetSlot::GlobalNames, 0)));
  ArrayDef eram;
  eram.name = "eram";
  eram.elements.push_back({kU8, "a", "", 0});
  EXPECT_TRUE(refused(Edit::Insert(-1, eram)));
  ArrayDef huge = eram;
  huge.name = "Huge";
  huge.dimX = 0x40000000;
  huge.elements[0].type = kS32;
  EXPECT_TRUE(refused(Edit::Insert(-1, huge)));
  EXPECT_EQ(why, "El arreglo <Huge> es demasiado grande");
  // Texts the string file could not hold.
  StringRecord quoted;
  quoted.identifier = "Hola";
  quoted.texts[0] = "say \"hi\"";
  EXPECT_TRUE(refused(Edit::Insert(-1, quoted)));
  EXPECT_EQ(p.strings().size(), 0u);
  // Only the change that went through was told.
  ASSERT_EQ(f.seen.changes.size(), 1u);

  // An undo kept from a project that was closed applies to no other.
  Edit stale = p.apply(Edit::Insert(-1, resource("Late")));
  ASSERT_TRUE(p.open(f.dir.file("g.tvp"), false));
  EXPECT_TRUE(refused(stale));
  EXPECT_EQ(why, "El cambio pertenece a otro proyecto");
  ASSERT_TRUE(p.close());
  EXPECT_TRUE(refused(Edit::Insert(-1, resource("Z"))));  // no project open
}

TEST(AssetEdits, TheStringTableStaysSorted) {
  Fixture f;
  Project& p = f.project;
  auto text = [](std::string id) {
    StringRecord r;
    r.identifier = std::move(id);
    r.texts[5] = "hola";
    return r;
  };
  p.apply(Edit::Insert(-1, text("b")));
  p.apply(Edit::Insert(-1, text("d")));
  p.apply(Edit::Insert(0, text("c")));  // sorts between them whatever the index
  ASSERT_EQ(p.strings().size(), 3u);
  EXPECT_EQ(p.strings().items()[1].identifier, "c");
  f.seen.clear();
  // A new identifier moves the record; the undo moves it back.
  Edit undo = p.apply(Edit::Replace(1, text("a")));
  EXPECT_EQ(p.strings().items()[0].identifier, "a");
  EXPECT_EQ(f.seen.changes,
            (std::vector<AssetChange>{{AssetSlot::StringTable, AssetChangeKind::Removed, 1, -1},
                                      {AssetSlot::StringTable, AssetChangeKind::Inserted, 0, -1}}));
  p.apply(undo);
  EXPECT_EQ(p.strings().items()[1].identifier, "c");
  EXPECT_FALSE(p.apply(Edit::Move(AssetSlot::StringTable, 0, 2)).valid());
}

TEST(AssetEdits, TheModifiedFlagFollowsUndoAndSave) {
  Fixture f;
  Project& p = f.project;
  EXPECT_FALSE(p.isModified());
  Edit undo = p.apply(Edit::Insert(-1, resource("A")));
  EXPECT_TRUE(p.isModified());
  Edit redo = p.apply(undo);
  EXPECT_FALSE(p.isModified());  // back where it was opened
  undo = p.apply(redo);
  EXPECT_TRUE(p.isModified());
  ASSERT_TRUE(p.save(false));
  EXPECT_FALSE(p.isModified());
  EXPECT_NE(TempDir::read(f.dir.file("g/resource.txt")).find("#A"), std::string::npos);
  redo = p.apply(undo);
  EXPECT_TRUE(p.isModified());  // the saved file holds A
  undo = p.apply(redo);
  EXPECT_FALSE(p.isModified());
  EXPECT_EQ(f.seen.modified, (std::vector<bool>{true, false, true, false, true, false}));

  // After undoing below the saved state, a different edit is a change even
  // though as many edits are applied as when saved.
  p.apply(undo);
  p.apply(Edit::Insert(-1, resource("B")));
  EXPECT_TRUE(p.isModified());
  // A changed setting keeps the project modified through edits and undos.
  ASSERT_TRUE(p.save(false));
  p.setModified(true);
  Edit u = p.apply(Edit::Remove(AssetSlot::Resources, 0));
  p.apply(u);
  EXPECT_TRUE(p.isModified());
}

TEST(AssetEdits, EveryFamilyTakesEdits) {
  Fixture f;
  Project& p = f.project;
  ArrayDef a;
  a.name = "Scores";
  a.dimX = 10;
  a.elements.push_back({kS32, "value", "", 0});
  Edit undoArray = p.apply(Edit::Insert(-1, a));
  ASSERT_TRUE(undoArray.valid());
  // The layout follows the definitions at once.
  EXPECT_EQ(p.arrays().items()[0].totalSize, 40);

  MotionPath path;
  path.name = "Walk";
  path.points = {{0, 0, 1.0, 0}, {10, 0, 2.0, 0}};
  ASSERT_TRUE(p.apply(Edit::Insert(-1, path)).valid());
  EXPECT_EQ(p.paths().items()[0].points[0].frames, 5u);  // timing computed

  ASSERT_TRUE(p.apply(Edit::Insert(-1, Macro{"M", "hint", {"Add %0 1"}})).valid());
  GlobalSet set = defaultGlobalSet();
  set.name = "Other";
  ASSERT_TRUE(p.apply(Edit::Insert(-1, set)).valid());
  EXPECT_TRUE(p.apply(Edit::Remove(AssetSlot::GlobalNames, 0)).valid());  // two sets now
  TileList tl;
  tl.name = "Tiles";
  ASSERT_TRUE(p.apply(Edit::Insert(-1, tl)).valid());
  ASSERT_TRUE(p.apply(Edit::Insert(-1, Level::makeNew("L1", 4, 4, 1))).valid());
  FontMap fm;
  fm.name = "Font";
  ASSERT_TRUE(p.apply(Edit::Insert(-1, fm)).valid());

  // Saved and read back as the files hold them.
  ASSERT_TRUE(p.save(false));
  ASSERT_TRUE(p.open(f.dir.file("g.tvp"), false));
  EXPECT_EQ(p.arrays().items().size(), 1u);
  EXPECT_EQ(p.paths().size(), 1u);
  EXPECT_EQ(p.macros().items().size(), 1u);
  ASSERT_EQ(p.globalSets().sets().size(), 1u);
  EXPECT_EQ(p.globalSets().sets()[0].name, "Other");
  EXPECT_EQ(p.tileLists().size(), 1u);
  EXPECT_EQ(p.levels().size(), 1u);
  EXPECT_EQ(p.fontMaps().size(), 1u);
}

TEST(AssetEdits, OpeningAndClosingAreTold) {
  Fixture f;
  Project& p = f.project;
  p.apply(Edit::Insert(-1, resource("A")));
  f.seen.clear();
  ASSERT_TRUE(p.open(f.dir.file("h.tvp"), false));
  ASSERT_GE(f.seen.events.size(), 3u);
  EXPECT_EQ(f.seen.events[0], ProjectEvent::Closed);
  EXPECT_EQ(f.seen.events[1], ProjectEvent::Opening);
  EXPECT_EQ(f.seen.events[2], ProjectEvent::Opened);
  // Every family is read anew, and the modified flag of the one left clears.
  int reloaded = 0;
  for (const AssetChange& c : f.seen.changes) reloaded += c.kind == AssetChangeKind::Reloaded;
  EXPECT_EQ(reloaded, 2 * int(AssetSlot::Count));
  EXPECT_EQ(f.seen.modified, std::vector<bool>{false});
  EXPECT_FALSE(p.isModified());
  f.seen.clear();
  ASSERT_TRUE(p.close());
  EXPECT_EQ(f.seen.events, std::vector<ProjectEvent>{ProjectEvent::Closed});
}

}  // namespace
}  // namespace tarvolin::project
