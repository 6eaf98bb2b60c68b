// The string table: every text of a game under an identifier, in up to six
// languages, kept in "string_table.txt". Scripts pick a string by its index
// in the table and the current language.
//
// File (generic header, entry layout), per string in table order:
//   "#identifier", one line `CODE : "text"` per language with a text, an
//   empty line.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "project/asset_file.h"
#include "project/named_list.h"

namespace tarvolin::project {

inline constexpr int kLanguageCount = 6;
// Language codes by number: 0 EN, 1 FR, 2 GR, 3 IT, 4 JP, 5 SP.
std::string_view languageCode(int language);
// The number of a two-letter code (ignoring case), or -1.
int languageFromCode(std::string_view code);

struct StringRecord {
  std::string identifier;
  std::array<std::string, kLanguageCount> texts;  // empty: no text in that language

  // The text in a language; empty for a language outside 0..5.
  const std::string& text(int language) const;
  bool operator==(const StringRecord&) const = default;
};

// The table's order: byte by byte after turning "A".."Z" into lower case,
// each byte taken as signed (bytes above 127 sort first); a prefix sorts
// before the longer text. <0, 0, >0.
int compareIdentifiers(std::string_view a, std::string_view b);

// Whether a text can be stored and read back unchanged: no double quote and
// no line end (the file holds each text between quotes on one line).
bool isStorableText(std::string_view text);

// Reads string entries until the end of the file, appending to `out`. False
// on a malformed language line (records read before stay).
bool readStrings(LineReader& in, std::vector<StringRecord>& out);
// The whole file text: the generic header, then every record.
std::string writeStrings(const std::vector<StringRecord>& records);

struct StringIdentifier {
  const std::string& operator()(const StringRecord& record) const { return record.identifier; }
};

class StringTable : public AssetFamily, public NamedList<StringRecord, StringIdentifier> {
  friend struct AssetAccess;  // the project's edits (asset_edit.h)

 public:
  // Only the project's edits change a record in place (asset_edit.h).
  const StringRecord* get(std::size_t index) const { return NamedList::get(index); }

  // Inserts a record and keeps the table sorted. False (nothing added) for an
  // empty identifier, an identifier already held (ignoring case), or a text
  // that could not be stored (see isStorableText).
  bool add(StringRecord record);
  // Changes one text; false for a bad index or language or an unstorable text.
  bool setText(std::size_t index, int language, std::string text);

  // Reads a file into another list (cleared first, then sorted), leaving
  // this table alone.
  static bool loadInto(const std::string& path, std::vector<StringRecord>& other);

  std::string_view fileName() const override { return "string_table.txt"; }
  std::string_view saveFailureMessage() const override { return "Error: al escribir cadena"; }
  CheckKind checkKind() const override { return CheckKind::Strings; }
  void clear() override { items_.clear(); }
  bool load(const std::string& path) override;
  bool save(const std::string& path) const override;
  bool checkText(std::string_view text) const override;

 private:
};

}  // namespace tarvolin::project
