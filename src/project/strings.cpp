#include "project/strings.h"
#include "platform/files.h"

#include <algorithm>

#include "common/text.h"

namespace tarvolin::project {

namespace {
constexpr std::string_view kCodes[kLanguageCount] = {"EN", "FR", "GR", "IT", "JP", "SP"};
const std::string kNoText;

void sortTable(std::vector<StringRecord>& records) {
  std::stable_sort(records.begin(), records.end(),
                   [](const StringRecord& a, const StringRecord& b) {
                     return compareIdentifiers(a.identifier, b.identifier) < 0;
                   });
}
}  // namespace

std::string_view languageCode(int language) {
  return language >= 0 && language < kLanguageCount ? kCodes[language] : std::string_view();
}

int languageFromCode(std::string_view code) {
  for (int i = 0; i < kLanguageCount; ++i)
    if (equalsIgnoreCase(code, kCodes[i])) return i;
  return -1;
}

const std::string& StringRecord::text(int language) const {
  return language >= 0 && language < kLanguageCount ? texts[std::size_t(language)] : kNoText;
}

int compareIdentifiers(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<signed char>(toLowerAscii(a[i]));
    const auto cb = static_cast<signed char>(toLowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool isStorableText(std::string_view text) {
  return text.find_first_of("\"\r\n") == std::string_view::npos;
}

bool readStrings(LineReader& in, std::vector<StringRecord>& out) {
  std::string name, line;
  while (nextEntry(in, name)) {
    StringRecord record;
    record.identifier = std::move(name);
    while (true) {
      const bool more = in.next(line);
      if (line.size() < 4 || line[3] != ':') {
        if (line.size() < 2) break;  // the empty line that ends the entry
        return false;
      }
      // The code is the first word: two letters, then the end of the word.
      if (!isBlank(line[2]) && line[2] != ':') return false;
      const int language = languageFromCode(std::string_view(line).substr(0, 2));
      if (language < 0) return false;
      const std::size_t open = line.find('"');
      const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
      if (close == std::string::npos) return false;
      record.texts[std::size_t(language)] = line.substr(open + 1, close - open - 1);
      if (!more) break;
    }
    if (!record.identifier.empty()) out.push_back(std::move(record));
  }
  return true;
}

std::string writeStrings(const std::vector<StringRecord>& records) {
  AssetWriter w(HeaderKind::Generic);
  for (const StringRecord& r : records) {
    w.beginEntry(r.identifier);
    for (int l = 0; l < kLanguageCount; ++l) {
      const std::string& text = r.texts[std::size_t(l)];
      if (text.empty()) continue;
      w.line(std::string(kCodes[l]) + " : \"" + text + "\"");
    }
    w.endEntry();
  }
  return w.text();
}

bool StringTable::add(StringRecord record) {
  if (record.identifier.empty() || !isStorableText(record.identifier) ||
      find(record.identifier) >= 0)
    return false;
  for (const std::string& t : record.texts)
    if (!isStorableText(t)) return false;
  items_.push_back(std::move(record));
  sortTable(items_);
  return true;
}


bool StringTable::setText(std::size_t index, int language, std::string text) {
  if (index >= items_.size() || language < 0 || language >= kLanguageCount ||
      !isStorableText(text))
    return false;
  items_[index].texts[std::size_t(language)] = std::move(text);
  return true;
}



bool StringTable::loadInto(const std::string& path, std::vector<StringRecord>& other) {
  other.clear();
  const bool ok = loadAssetFile(path, other, readStrings);
  // A file edited by hand may be out of order; the table is always sorted.
  // Records that repeat an identifier are kept, so saving loses nothing.
  sortTable(other);
  return ok;
}

bool StringTable::load(const std::string& path) { return loadInto(path, items_); }

bool StringTable::save(const std::string& path) const {
  return platform::safeWrite(path, writeStrings(items_));
}

bool StringTable::checkText(std::string_view text) const {
  return checkAssetText<std::vector<StringRecord>>(text, readStrings);
}

}  // namespace tarvolin::project
