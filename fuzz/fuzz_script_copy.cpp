// Copies arbitrary bytes as an imported script: the first line names the
// imported assets (words; "%" before a macro, "." after an array), the rest
// is the script. The copy must keep the line count (plus the four lines of
// the set block when one is written) with CR LF between lines, and without
// names or options keep every line as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "project/project_import.h"
#include "project/text_lines.h"

using namespace tarvolin::project;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = bytes.find('\n');
  const std::string_view header = cut == std::string_view::npos ? bytes : bytes.substr(0, cut);
  const std::string_view script = cut == std::string_view::npos ? std::string_view() : bytes.substr(cut + 1);

  NameRewriter names("p_", size % 2 == 1);
  std::size_t pos = 0;
  while (pos < header.size()) {
    std::size_t end = header.find(' ', pos);
    if (end == std::string_view::npos) end = header.size();
    const std::string_view word = header.substr(pos, end - pos);
    if (!word.empty() && word.front() == '%') names.addMacro(word.substr(1));
    else if (!word.empty() && word.back() == '.') names.addArray(word.substr(0, word.size() - 1));
    else names.addName(word);
    pos = end + 1;
  }
  ScriptCopyOptions options;
  if (size % 3 == 0) options.applySet = "lib";
  if (size % 5 != 0) options.externFolder = "lib";

  std::vector<std::string> in;
  LineReader reader{std::string(script)};
  for (std::string line; reader.next(line);) in.push_back(line);
  const std::string copy = copyScriptText(script, options, names);
  if (in.empty()) {
    if (!copy.empty()) std::abort();
    return 0;
  }
  // Split the copy at CR LF only: a lone CR or LF inside a line stays part
  // of it.
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (true) {
    std::size_t end = copy.find("\r\n", start);
    if (end == std::string::npos) end = copy.size();
    out.push_back(std::string_view(copy).substr(start, end - start));
    if (end == copy.size()) break;
    start = end + 2;
  }
  // The block goes before the first line that is neither empty nor a comment.
  bool code = false;
  for (const std::string& line : in) {
    std::size_t i = 0;
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= 32) ++i;
    if (i < line.size() && line[i] != ';') code = true;
  }
  const std::size_t expected = in.size() + (code && !options.applySet.empty() ? 4 : 0);
  if (out.size() != expected) std::abort();
  // Without names, every input line is in the copy unchanged but for the
  // inserted folder.
  if (names.empty() && options.externFolder.empty() && options.applySet.empty())
    for (std::size_t i = 0; i < in.size(); ++i)
      if (out[i] != in[i]) std::abort();
  return 0;
}
