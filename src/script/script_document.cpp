#include "script/script_document.h"

#include <atomic>
#include <fstream>
#include <iterator>

#include "common/text.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace tarvolin::script {

namespace {
// Revision stamps, unique in the process: a document opened in the place of
// another never repeats a stamp that a reader saw on the one before.
std::uint64_t NextRevision() {
  static std::atomic<std::uint64_t> counter{0};
  return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}
}  // namespace

void ScriptDocument::changedStructure() {
  revision_ = structureRevision_ = NextRevision();
  lineRevisions_.assign(lines_.size(), revision_);
}

ScriptDocument::ScriptDocument(std::string name, std::string path, std::vector<std::string> lines)
    : name_(std::move(name)), path_(std::move(path)) {
  setLines(std::move(lines));
}

std::string_view ScriptDocument::line(int index) const {
  if (index < 0 || index >= lineCount()) return {};
  return lines_[static_cast<std::size_t>(index)];
}

void ScriptDocument::setLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  breakpoints_.assign(lines_.size(), 0);
  breakpointCount_ = 0;
  changedStructure();
}

void ScriptDocument::insertLines(int at, const std::vector<std::string>& lines) {
  if (at < 0) at = 0;
  if (at > lineCount()) at = lineCount();
  lines_.insert(lines_.begin() + at, lines.begin(), lines.end());
  breakpoints_.insert(breakpoints_.begin() + at, lines.size(), 0);
  if (!lines.empty()) changedStructure();
}

void ScriptDocument::removeLines(int first, int count) {
  if (first < 0 || count <= 0 || first >= lineCount()) return;
  if (first + count > lineCount()) count = lineCount() - first;
  for (int i = first; i < first + count; ++i) breakpointCount_ -= breakpoints_[static_cast<std::size_t>(i)];
  lines_.erase(lines_.begin() + first, lines_.begin() + first + count);
  breakpoints_.erase(breakpoints_.begin() + first, breakpoints_.begin() + first + count);
  changedStructure();
}

void ScriptDocument::setLine(int index, std::string text) {
  if (index < 0 || index >= lineCount()) return;
  std::string& line = lines_[static_cast<std::size_t>(index)];
  if (line == text) return;
  line = std::move(text);
  revision_ = NextRevision();
  lineRevisions_[static_cast<std::size_t>(index)] = revision_;
}

bool ScriptDocument::hasBreakpoint(int index) const {
  return index >= 0 && index < lineCount() && breakpoints_[static_cast<std::size_t>(index)] != 0;
}

void ScriptDocument::setBreakpoint(int index, bool on) {
  if (index < 0 || index >= lineCount()) return;
  std::uint8_t& flag = breakpoints_[static_cast<std::size_t>(index)];
  if ((flag != 0) == on) return;
  flag = on ? 1 : 0;
  breakpointCount_ += on ? 1 : -1;
}

int ScriptDocuments::find(std::string_view fileName) const {
  for (int i = 0; i < count(); ++i)
    if (equalsIgnoreCase(at(i).name(), fileName)) return i;
  return -1;
}

int ScriptDocuments::findOrLoad(std::string_view fileName) {
  int index = find(fileName);
  if (index >= 0) return index;
  std::unique_ptr<ScriptDocument> doc = load(fileName);
  if (!doc) return -1;
  return add(std::move(doc));
}

int ScriptDocuments::add(std::unique_ptr<ScriptDocument> doc) {
  docs_.push_back(std::move(doc));
  return count() - 1;
}

int ScriptDocuments::breakpointTotal() const {
  int total = 0;
  for (const auto& d : docs_) total += d->breakpointCount();
  return total;
}

std::unique_ptr<ScriptDocument> FolderScriptDocuments::load(std::string_view fileName) {
  const std::string path = platform::resolvePath(folder_, fileName);
  std::string bytes;
  if (!platform::readWholeFile(path, bytes)) return nullptr;
  return std::make_unique<ScriptDocument>(std::string(fileName), path, SplitLines(bytes));
}

void MemoryScriptDocuments::addFile(std::string name, std::string text) {
  files_.emplace_back(std::move(name), std::move(text));
}

std::unique_ptr<ScriptDocument> MemoryScriptDocuments::load(std::string_view fileName) {
  for (const auto& [name, text] : files_)
    if (equalsIgnoreCase(name, fileName))
      return std::make_unique<ScriptDocument>(name, name, SplitLines(text));
  return nullptr;
}

}  // namespace tarvolin::script
