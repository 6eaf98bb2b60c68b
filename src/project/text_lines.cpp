#include "project/text_lines.h"

#include "platform/files.h"

namespace tarvolin::project {

bool LineReader::open(const std::string& path) {
  pos_ = lastStart_ = 0;
  canUnread_ = false;
  line_ = 0;
  return platform::readWholeFile(path, text_);
}

bool LineReader::next(std::string& line) {
  if (pos_ >= text_.size()) {
    line.clear();
    canUnread_ = false;
    return false;
  }
  lastStart_ = pos_;
  canUnread_ = true;
  std::size_t end = text_.find('\n', pos_);
  const bool hasEnd = end != std::string::npos;
  if (!hasEnd) end = text_.size();
  std::size_t stop = end;
  if (stop > pos_ && text_[stop - 1] == '\r') --stop;  // CR LF, or a CR cut off at the end
  line.assign(text_, pos_, stop - pos_);
  pos_ = hasEnd ? end + 1 : end;
  ++line_;
  return true;
}

void LineReader::unread() {
  if (!canUnread_) return;
  pos_ = lastStart_;
  canUnread_ = false;
  --line_;
}

}  // namespace tarvolin::project
