#include "sharing/file_info.h"

#include <charconv>

#include "platform/files.h"
#include "project/text_lines.h"
#include "sharing/shared_names.h"

namespace tarvolin::sharing {

namespace {
constexpr std::string_view kListName = "FileInfo";
}

FileInfo* FileInfoList::find(std::string_view name) {
  for (FileInfo& e : entries_)
    if (sameSharedName(e.name, name)) return &e;
  return nullptr;
}
const FileInfo* FileInfoList::find(std::string_view name) const {
  return const_cast<FileInfoList*>(this)->find(name);
}

std::string fileTimeText(std::uint64_t time) {
  std::string out;
  out.reserve(16);
  for (int i = 0; i < 8; ++i) {
    const unsigned byte = unsigned(time >> (8 * i)) & 0xFF;
    out += char((byte & 0x0F) * 3 + 35);
    out += char((byte >> 4) * 4 + 42);
  }
  return out;
}

bool parseFileTimeText(std::string_view text, std::uint64_t& time) {
  if (text.size() % 2 != 0 || text.size() != 16) return false;
  std::uint64_t t = 0;
  for (int i = 0; i < 8; ++i) {
    const int lo = static_cast<unsigned char>(text[2 * i]) - 35;
    const int hi = static_cast<unsigned char>(text[2 * i + 1]) - 42;
    if (lo < 0 || lo % 3 != 0 || lo / 3 > 15 || hi < 0 || hi % 4 != 0 || hi / 4 > 15)
      return false;
    t |= std::uint64_t((hi / 4) << 4 | (lo / 3)) << (8 * i);
  }
  time = t;
  return true;
}

std::string FileInfoList::text() const {
  std::string out = "}";
  out += kListName;
  out += '\n';
  for (const FileInfo& e : entries_) {
    out += "]\n|" + e.name + "\n|" + std::to_string(e.version) + "\n|" + fileTimeText(e.fileTime) +
           "\n[\n";
  }
  out += "{\n";
  return out;
}

bool FileInfoList::parse(std::string_view text) {
  project::LineReader lines{std::string(text)};
  std::string line;
  bool found = false;
  while (lines.next(line)) {
    if (line.size() > kListName.size() && line[0] == '}' &&
        line.substr(1, kListName.size()) == kListName) {
      found = true;
      break;
    }
  }
  if (!found) return false;
  // Fields of the entry being read: name, version, time, in that order.
  std::vector<std::string> fields;
  bool inEntry = false;
  auto finish = [&] {
    if (!inEntry) return;
    inEntry = false;
    if (fields.size() < 3) return;
    FileInfo info;
    info.name = storedName(fields[0]);
    const std::string& v = fields[1];
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), info.version);
    if (ec != std::errc() || p != v.data() + v.size() || info.name.empty()) return;
    if (!parseFileTimeText(fields[2], info.fileTime)) return;
    entries_.push_back(std::move(info));
  };
  while (lines.next(line)) {
    if (line.empty()) continue;
    if (line[0] == '{') break;
    if (line[0] == '[') {
      finish();
      continue;
    }
    if (line[0] == ']') {
      finish();
      inEntry = true;
      fields.clear();
      continue;
    }
    if (line[0] == '|' && inEntry) fields.emplace_back(line.substr(1));
  }
  finish();
  return true;
}

bool FileInfoList::read(const std::string& path) {
  entries_.clear();
  std::string text;
  if (!platform::readWholeFile(path, text)) return false;
  return parse(text);
}

bool FileInfoList::write(const std::string& path) const { return platform::safeWrite(path, text()); }

}  // namespace tarvolin::sharing
