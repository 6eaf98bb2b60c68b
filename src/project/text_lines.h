// Line-by-line reading of the project's text files. A line is read whole,
// whatever its length; its line end (LF or CR LF) is not part of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvolin::project {

class LineReader {
 public:
  LineReader() = default;
  explicit LineReader(std::string text) : text_(std::move(text)) {}

  // Takes the file's bytes; false when it cannot be read (then no lines).
  bool open(const std::string& path);

  // The next line without its line end. At the end of the text it gives an
  // empty line and returns false.
  bool next(std::string& line);

  // Makes the line just read come again on the next call (one step back).
  void unread();

  bool atEnd() const { return pos_ >= text_.size(); }
  // 1-based number of the line last read (0 before the first).
  int lineNumber() const { return line_; }

 private:
  std::string text_;
  std::size_t pos_ = 0;
  std::size_t lastStart_ = 0;
  bool canUnread_ = false;
  int line_ = 0;
};

}  // namespace tarvolin::project
