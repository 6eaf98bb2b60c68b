#include "project/global_sets.h"
#include "platform/files.h"

#include <cstdio>

#include "common/text.h"

namespace tarvolin::project {

GlobalSet defaultGlobalSet() {
  GlobalSet set;
  set.name = "Default";
  for (int i = 0; i < kTicksIndex; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "G_VAR%02d", i);
    set.variables[std::size_t(i)].name = name;
  }
  set.variables[kTicksIndex] = {"G_TICKS", true};
  return set;
}

namespace {

bool readCounted(LineReader& in, const std::string& first, std::vector<GlobalSet>& sets,
                 bool strict) {
  int count = 0;
  if (!parseInt(std::string_view(first).substr(1), count) || count < 1) return false;
  std::vector<GlobalSet> read;
  bool ok = true;
  std::string line;
  for (int s = 0; s < count && ok; ++s) {
    GlobalSet set;
    ok = in.next(set.name);
    for (int v = 0; v < kGlobalCount && ok; ++v) {
      GlobalVariable& var = set.variables[std::size_t(v)];
      if (s == 0) {
        ok = in.next(line);
        if (ok) {
          bool flag = false;
          if (!parseFlagWord(line, flag) && strict) ok = false;
          var.shared = flag;
        }
      }
      if (ok) ok = in.next(var.name);
    }
    if (ok) read.push_back(std::move(set));
  }
  if (!read.empty()) sets = std::move(read);
  return ok;
}

bool readOld(LineReader& in, const std::string& first, std::vector<GlobalSet>& sets,
             bool strict) {
  if (strict) {
    int lines = 1;
    std::string line;
    while (in.next(line)) ++lines;
    return lines >= 32;
  }
  if (sets.empty()) sets.push_back(defaultGlobalSet());
  GlobalSet& set = sets.front();
  set.variables[0].name = first;
  for (int v = 1; v < kTicksIndex; ++v) {
    std::string name;
    if (!in.next(name)) return false;
    set.variables[std::size_t(v)].name = std::move(name);
  }
  return true;
}

}  // namespace

bool readGlobalSets(LineReader& in, std::vector<GlobalSet>& sets, bool strict) {
  if (sets.empty()) sets.push_back(defaultGlobalSet());
  std::string first;
  if (!in.next(first)) return false;
  if (!first.empty() && first[0] == '#') return readCounted(in, first, sets, strict);
  return readOld(in, first, sets, strict);
}

std::string writeGlobalSets(const std::vector<GlobalSet>& sets) {
  AssetWriter w;
  w.line('#', formatInt(std::int64_t(sets.size())));
  for (std::size_t s = 0; s < sets.size(); ++s) {
    w.line(sets[s].name);
    for (const GlobalVariable& var : sets[s].variables) {
      if (s == 0) w.line(flagText(var.shared));
      w.line(var.name);
    }
  }
  return w.text();
}

int GlobalSetList::findSet(std::string_view name) const {
  for (std::size_t i = 0; i < sets_.size(); ++i)
    if (equalsIgnoreCase(sets_[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::string_view GlobalSetList::variableName(int set, int index) const {
  if (set < 0 || std::size_t(set) >= sets_.size() || index < 0 || index >= kGlobalCount)
    return {};
  const GlobalVariable& first = sets_.front().variables[std::size_t(index)];
  if (first.shared) return first.name;
  return sets_[std::size_t(set)].variables[std::size_t(index)].name;
}

int GlobalSetList::findVariable(int set, std::string_view name) const {
  if (set < 0 || std::size_t(set) >= sets_.size()) return -1;
  for (int i = 0; i < kGlobalCount; ++i)
    if (equalsIgnoreCase(variableName(set, i), name)) return i;
  return -1;
}

bool GlobalSetList::loadInto(const std::string& path, std::vector<GlobalSet>& other) {
  other.assign(1, defaultGlobalSet());
  return loadAssetFile(path, other, [](LineReader& in, std::vector<GlobalSet>& sets) {
    return readGlobalSets(in, sets);
  });
}

bool GlobalSetList::load(const std::string& path) { return loadInto(path, sets_); }

bool GlobalSetList::save(const std::string& path) const {
  return platform::safeWrite(path, writeGlobalSets(sets_));
}

bool GlobalSetList::checkText(std::string_view text) const {
  std::vector<GlobalSet> scratch;
  LineReader in{std::string(text)};
  return readGlobalSets(in, scratch, true);
}

}  // namespace tarvolin::project
