#include "editor/editor_documents.h"

#include <filesystem>

#include "platform/files.h"
#include "platform/paths.h"

namespace tarvolin::editor {

std::string JoinScriptLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const auto& l : lines) size += l.size() + 2;
  std::string out;
  out.reserve(size);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += "\r\n";
    out += lines[i];
  }
  return out;
}

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra = 0;
    unsigned min = 0;
    if ((c & 0xE0) == 0xC0) { extra = 1; min = 0x80; }
    else if ((c & 0xF0) == 0xE0) { extra = 2; min = 0x800; }
    else if ((c & 0xF8) == 0xF0) { extra = 3; min = 0x10000; }
    else return false;
    if (i + static_cast<std::size_t>(extra) >= s.size()) return false;
    unsigned code = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

FileStamp StampOf(const std::string& path) {
  std::error_code ec;
  FileStamp s;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return s;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return s;
  s.exists = true;
  s.time = time.time_since_epoch().count();
  s.size = static_cast<std::int64_t>(size);
  return s;
}

FileStamp EditorDocuments::takeLoadStamp(const std::string& path) {
  auto it = loadedStamps_.find(path);
  if (it == loadedStamps_.end()) return StampOf(path);
  FileStamp s = it->second;
  loadedStamps_.erase(it);
  return s;
}

std::unique_ptr<script::ScriptDocument> EditorDocuments::load(std::string_view fileName) {
  const std::string folder = scriptFolder_ ? scriptFolder_() : std::string();
  const std::string path = platform::resolvePath(folder, fileName);
  std::string bytes;
  const FileStamp stamp = StampOf(path);
  if (!platform::readWholeFile(path, bytes)) return nullptr;
  loadedStamps_[path] = stamp;
  return std::make_unique<script::ScriptDocument>(std::string(fileName), path,
                                                  script::SplitLines(bytes));
}

}  // namespace tarvolin::editor
