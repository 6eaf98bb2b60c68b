#include "project/levels.h"
#include "platform/files.h"

#include "common/text.h"
#include "platform/paths.h"
#include "project/text_lines.h"

namespace tarvolin::project {

Level Level::makeNew(std::string name, int width, int height, int layers) {
  Level level;
  level.settings.name = std::move(name);
  level.settings.tileCount = kLevelTileCount;
  for (auto& pair : level.settings.editorFlags) pair = {true, true};
  if (!level.body.resize(width, height, layers)) level.body.resize(0, 0, 1);
  return level;
}

bool readLevelInfo(LineReader& in, std::vector<Level>& out) {
  if (openSection(in, "LevelInfo") != SectionOpen::Found) return true;
  while (true) {
    switch (nextBlockItem(in)) {
      case BlockItem::End: return true;
      case BlockItem::Bad: return false;
      case BlockItem::Record: break;
    }
    Level level;
    level.bodyLoaded = false;
    LevelSettings& s = level.settings;
    RecordFields f(in);
    f.text(s.name);
    f.flag(s.ownPalette);
    f.flag(s.colours16);
    for (LevelPaletteBank& b : s.banks) {
      f.text(b.name);
      f.text(b.paletteFile);
      f.flag(b.fillsAllBanks);
    }
    for (LevelLayerLink& l : s.layerLinks) {
      f.text(l.levelName);
      f.number(l.priority);
    }
    f.flag(s.useTileList);
    f.text(s.tileList);
    f.number(s.tileCount);
    f.number(s.tileBank);
    f.text(s.linkedLevel);
    for (auto& pair : s.editorFlags) {
      f.flag(pair[0]);
      f.flag(pair[1]);
    }
    out.push_back(std::move(level));
  }
}

std::string writeLevelInfo(const std::vector<Level>& levels) {
  AssetWriter w;
  w.beginSection("LevelInfo");
  for (const Level& level : levels) {
    const LevelSettings& s = level.settings;
    w.beginRecord();
    w.field(s.name);
    w.field(flagField(s.ownPalette));
    w.field(flagField(s.colours16));
    for (const LevelPaletteBank& b : s.banks) {
      w.field(b.name);
      w.field(b.paletteFile);
      w.field(flagField(b.fillsAllBanks));
    }
    for (const LevelLayerLink& l : s.layerLinks) {
      w.field(l.levelName);
      w.field(l.priority);
    }
    w.field(flagField(s.useTileList));
    w.field(s.tileList);
    w.field(s.tileCount);
    w.field(s.tileBank);
    w.field(s.linkedLevel);
    for (const auto& pair : s.editorFlags) {
      w.field(flagField(pair[0]));
      w.field(flagField(pair[1]));
    }
    w.endRecord();
  }
  w.endSection();
  return w.text();
}





std::string LevelList::bodyFolderFor(const std::string& infoPath) {
  return platform::resolvePath(std::string(platform::folderOf(infoPath)), "LevelData");
}

bool LevelList::loadInto(const std::string& path, std::vector<Level>& other) {
  other.clear();
  bool ok = loadAssetFile(path, other, readLevelInfo);
  const std::string folder = bodyFolderFor(path);
  for (Level& level : other) {
    std::string bytes;
    const std::string file = platform::resolvePath(folder, levelBodyFileName(level.name()));
    level.bodyLoaded = platform::readWholeFile(file, bytes) && readLevelBody(bytes, level.body);
    if (!level.bodyLoaded) ok = false;
  }
  return ok;
}

bool LevelList::load(const std::string& path) { return loadInto(path, items_); }

bool LevelList::save(const std::string& path) const {
  if (!platform::safeWrite(path, writeLevelInfo(items_))) return false;
  const std::string folder = bodyFolderFor(path);
  bool ok = true;
  bool folderMade = false;
  for (const Level& level : items_) {
    if (!level.bodyLoaded) continue;
    if (!folderMade && !(folderMade = platform::makeFolders(folder))) return false;
    const std::string file = platform::resolvePath(folder, levelBodyFileName(level.name()));
    if (!platform::safeWrite(file, writeLevelBody(level.body))) ok = false;
  }
  return ok;
}

bool LevelList::checkText(std::string_view text) const {
  return checkAssetText<std::vector<Level>>(text, readLevelInfo);
}

}  // namespace tarvolin::project
