// Macros: named groups of script lines kept in "macro.txt". The preprocessor
// looks them up by name (`find`) and expands their body lines; the macro
// editor edits name, hint and body.
//
// File (macro header, entry layout), per macro:
//   "#name", "?hint", one "$line" per body line, an empty line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"
#include "common/errors.h"
#include "project/named_list.h"

namespace tarvolin::project {

struct Macro {
  std::string name;
  std::string hint;               // shown by the editor as "Macro : <hint>"
  std::vector<std::string> body;  // script lines, in order

  // Number of parameters a call must pass: 1 + the largest digit that follows
  // a "%" in the body, 0 when there is none ("%=" is an operator, not a
  // parameter).
  int parameterCount() const;

  bool operator==(const Macro&) const = default;
};

// Reads macro entries until the end of the file, appending them to `out`.
// Lines before an entry's "#" line are skipped; the line after it must begin
// with "?", else the read fails (macros read before stay). Entries with an
// empty name are not added.
bool readMacros(LineReader& in, std::vector<Macro>& out);
// The whole file text: the macro header, then every macro.
std::string writeMacros(const std::vector<Macro>& macros);

// Checks a macro's body when it is defined. The body may not hold
// declarations (167), function declarations (168) or calls of other macros
// (170); every "%" must be followed by one digit (176) with nothing joined
// after it (178). On a fault it sets the code in `errors`, gives the 0-based
// body line in `line` and returns false.
bool checkMacroDefinition(const Macro& macro, ErrorState& errors, int& line);

class MacroList : public AssetFamily, public NamedList<Macro, NameMember> {
 public:
  using NamedList::items;
  std::vector<Macro>& items() { return items_; }

  // The first macro with this name, ignoring case; nullptr when none.
  const Macro* find(std::string_view name) const {
    const int i = indexOf(name);
    return i < 0 ? nullptr : &items_[static_cast<std::size_t>(i)];
  }
  // Its index, or -1.
  int indexOf(std::string_view name) const { return NamedList::find(name); }

  // Reads a file into another list (cleared first), leaving this one alone.
  static bool loadInto(const std::string& path, std::vector<Macro>& other);

  std::string_view fileName() const override { return "macro.txt"; }
  std::string_view saveFailureMessage() const override {
    return "Error: al escribir el archivo de la macro";
  }
  CheckKind checkKind() const override { return CheckKind::Macros; }
  void clear() override { items_.clear(); }
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;

};

}  // namespace tarvolin::project
