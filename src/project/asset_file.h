// What every generated asset file shares: the header texts, the writer that
// builds the entry and block layouts, the readers of those layouts, the value
// syntax of numbers and flags, and the asset-family interface that the
// project uses to load, save and check each family in turn.
//
// A family plugs in by implementing `AssetFamily` (usually by keeping its
// records in a list class that reads with `LineReader` and writes with
// `AssetWriter`) and registering itself in `Project`'s family table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/host.h"
#include "platform/files.h"
#include "project/text_lines.h"

namespace tarvolin::project {

// Header kinds. Each text is two ";;;" lines followed by two empty lines.
enum class HeaderKind { None, Generic, Macro, Resource, Fontmap, Array };
std::string_view headerText(HeaderKind kind);

// The kinds of text check, in their fixed numbering (used by the merge of
// shared files to test a merged text before accepting it).
enum class CheckKind {
  Nothing = 0, Resources = 1, GlobalSets = 2, Paths = 3, Strings = 4, Macros = 5,
  FontMaps = 6, Arrays = 7, Levels = 8, TileLists = 9
};

// The generated files of a project, all in the source root, in the order a
// project reads them (the order of `AssetSlot`).
enum class AssetLayout { Entry, Block, CountedList };
struct AssetFileInfo {
  std::string_view fileName;
  HeaderKind header;
  AssetLayout layout;
  std::string_view section;  // block layout only
  CheckKind check;
};
inline constexpr AssetFileInfo kAssetFiles[] = {
    {"string_table.txt", HeaderKind::Generic, AssetLayout::Entry, "", CheckKind::Strings},
    {"macro.txt", HeaderKind::Macro, AssetLayout::Entry, "", CheckKind::Macros},
    {"resource.txt", HeaderKind::Resource, AssetLayout::Entry, "", CheckKind::Resources},
    {"global_names.txt", HeaderKind::None, AssetLayout::CountedList, "", CheckKind::GlobalSets},
    {"paths.txt", HeaderKind::None, AssetLayout::Entry, "", CheckKind::Paths},
    {"tilelists.txt", HeaderKind::None, AssetLayout::Block, "Tilelist", CheckKind::TileLists},
    {"level_info.txt", HeaderKind::None, AssetLayout::Block, "LevelInfo", CheckKind::Levels},
    {"fontmaps.txt", HeaderKind::Fontmap, AssetLayout::Entry, "", CheckKind::FontMaps},
    {"arrays.txt", HeaderKind::Array, AssetLayout::Entry, "", CheckKind::Arrays},
};
// The check kind of a file name (ignoring case and folders); Nothing for a
// file that is no generated asset file.
CheckKind checkKindForFile(std::string_view path);

// ---- value syntax --------------------------------------------------------

// A decimal integer as "%d" reads it: leading blanks, an optional sign, at
// least one digit; text after the digits is ignored. False (value unchanged)
// when there is no number or it does not fit.
bool parseInt(std::string_view text, int& value);
bool parseInt64(std::string_view text, std::int64_t& value);
// A real number ("%f" and the other forms strtod reads); false when none.
bool parseReal(std::string_view text, double& value);
// A flag word; anything outside the two word lists reads as false.
bool readFlag(std::string_view text);
std::string formatInt(std::int64_t value);
std::string formatReal(double value);  // "%f"
inline std::string_view flagText(bool value) { return value ? "true" : "false"; }

// ---- writing -------------------------------------------------------------

// Builds a file's text with LF line ends. A line end inside a value would
// break the file's layout, so CR and LF inside a written line become blanks.
class AssetWriter {
 public:
  explicit AssetWriter(HeaderKind header = HeaderKind::None);

  void line(std::string_view text);
  void line(char lead, std::string_view text);  // the lead character, then the text
  void emptyLine() { text_ += '\n'; }

  // Entry layout: "#name", the family's field lines, an empty line.
  void beginEntry(std::string_view name) { line('#', name); }
  void endEntry() { emptyLine(); }

  // Block layout: "}section", per record "]" fields "|value" "[", then "{".
  void beginSection(std::string_view name) { line('}', name); }
  void beginRecord() { line("]"); }
  void field(std::string_view value) { line('|', value); }
  void field(std::int64_t value) { line('|', formatInt(value)); }
  void endRecord() { line("["); }
  void endSection() { line("{"); }

  const std::string& text() const { return text_; }
  // Safe write of the text to `path`.
  bool save(const std::string& path) const { return platform::safeWrite(path, text_); }

 private:
  std::string text_;
};

// ---- reading -------------------------------------------------------------

// Entry layout: skips lines up to the next one that begins with "#" and gives
// the text after the "#". False at the end of the file.
bool nextEntry(LineReader& in, std::string& name);

// Block layout: skips every line before the first one that begins with "}".
enum class SectionOpen {
  Found,    // that line names `section` (with case, then the end of the word)
  Other,    // it names another section: read with success and no records
  Missing,  // no "}" line at all: likewise success and no records
};
SectionOpen openSection(LineReader& in, std::string_view section);

// Inside a section: "[" lines are skipped; "]" starts a record (read its
// fields next); "{" ends the section; any other line, or the end of the
// file, is bad and fails the whole read.
enum class BlockItem { Record, End, Bad };
BlockItem nextBlockItem(LineReader& in);

// Reads one field line "|value". False when the line does not begin with
// "|" (that line is used up; normally it is the record's closing "[").
bool readField(LineReader& in, std::string& value);

// The field lines of one block record, read in order. A line that is no
// field ends the record early (the fields not read keep their defaults); it
// is left for the caller unless it is the record's closing "[".
class RecordFields {
 public:
  explicit RecordFields(LineReader& in) : in_(in) {}
  bool text(std::string& out);
  // A flag word, blanks around it ignored.
  void flag(bool& out);
  template <class Int>
  void number(Int& out) {
    std::string v;
    std::int64_t n = 0;
    if (text(v) && parseInt64(v, n)) out = Int(n);
  }
  bool ended() const { return ended_; }

 private:
  LineReader& in_;
  bool ended_ = false;
};

// A flag field as the block files write it.
inline std::string flagField(bool v) { return v ? "1" : "0"; }

// ---- the three ways of reading -------------------------------------------

// Reads the file at `path` into `list` with `read(LineReader&, List&)`.
// A missing file reads nothing and gives false.
template <class List, class Reader>
bool loadAssetFile(const std::string& path, List& list, Reader read) {
  LineReader in;
  if (!in.open(path)) return false;
  return read(in, list);
}

// Whether `text` would load as the family that `read` reads, into a scratch
// list that is thrown away. The text is parsed in memory, unchanged.
template <class List, class Reader>
bool checkAssetText(std::string_view text, Reader read) {
  List scratch;
  LineReader in{std::string(text)};
  return read(in, scratch);
}

// ---- the family interface --------------------------------------------------

// One asset family of a project, as the project opens, saves and checks it.
class AssetFamily {
 public:
  virtual ~AssetFamily() = default;
  // The file in the source root ("macro.txt").
  virtual std::string_view fileName() const = 0;
  // The output line written when saving fails ("Error: al escribir ...").
  virtual std::string_view saveFailureMessage() const = 0;
  virtual CheckKind checkKind() const = 0;
  // Empties the list (the state of a family with no file read).
  virtual void clear() = 0;
  // Empties the list, then reads the file. A missing file leaves it empty and
  // gives false; a failing file keeps the records read before the failure.
  virtual bool load(const std::string& path) = 0;
  // Safe write of the whole list.
  virtual bool save(const std::string& path) const = 0;
  // Whether `text` would load as this family.
  virtual bool checkText(std::string_view text) const = 0;
  // Called once every family of a newly opened project has been read; a
  // family that had to correct its records (tile lists against their images)
  // reports it and returns true.
  virtual bool afterOpen(Host& /*host*/) { return false; }
};

}  // namespace tarvolin::project
