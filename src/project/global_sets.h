// Global variable sets: each of the 32 global variables gets a name per set;
// scripts use set 0 ("Default") unless `ApplyGlobalSet` picks another. Kept
// in "global_names.txt" (no header):
//   "#<count>", then per set its name line and, per variable, for the first
//   set only a shared-flag line ("true"/"false"), then the variable's name.
// An older form holds just 31 name lines for variables 0..30 of the first set.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"

namespace tarvolin::project {

inline constexpr int kGlobalCount = 32;
inline constexpr int kTicksIndex = 31;  // always G_TICKS

struct GlobalVariable {
  std::string name;
  // Meaningful in the first set only: the variable is the same in every set
  // and takes its name from the first set.
  bool shared = false;
  bool operator==(const GlobalVariable&) const = default;
};

struct GlobalSet {
  std::string name;
  std::array<GlobalVariable, kGlobalCount> variables;
  bool operator==(const GlobalSet&) const = default;
};

// The set that exists when no file was read: "Default", G_VAR00..G_VAR30 and
// G_TICKS (shared).
GlobalSet defaultGlobalSet();

// Reads "global_names.txt" into `sets`, which holds the current list (at
// least one set). The counted form replaces the list; the old form renames
// variables 0..30 of the first set. A failing read keeps what it read before
// the failure (complete sets only) and never leaves the list empty.
// `strict` is the text check's rule: every shared-flag line must be a flag
// word, and an old-form text needs at least 32 lines.
bool readGlobalSets(LineReader& in, std::vector<GlobalSet>& sets, bool strict = false);
std::string writeGlobalSets(const std::vector<GlobalSet>& sets);

class GlobalSetList : public AssetFamily {
 public:
  GlobalSetList() : sets_{defaultGlobalSet()} {}

  std::vector<GlobalSet>& sets() { return sets_; }
  const std::vector<GlobalSet>& sets() const { return sets_; }

  // Index of the set with this name (ignoring case), -1 when none.
  int findSet(std::string_view name) const;
  // The name of variable `index` (0..31) as set `set` sees it: a variable
  // shared in the first set has the first set's name. Empty when out of range.
  std::string_view variableName(int set, int index) const;
  // The variable called `name` (ignoring case) in set `set`, -1 when none.
  int findVariable(int set, std::string_view name) const;

  // Reads a file into another list (reset to the default set first).
  static bool loadInto(const std::string& path, std::vector<GlobalSet>& other);

  std::string_view fileName() const override { return "global_names.txt"; }
  std::string_view saveFailureMessage() const override {
    return "Error: al escribir nombres globales";
  }
  CheckKind checkKind() const override { return CheckKind::GlobalSets; }
  // Back to the one default set.
  void clear() override { sets_.assign(1, defaultGlobalSet()); }
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;

 private:
  std::vector<GlobalSet> sets_;
};

}  // namespace tarvolin::project
