#include "editor/block_match.h"

namespace tarvolin::editor {

int FindBlockPartner(int line, int lineCount, bool toEnd,
                     const std::function<script::CommandId(int)>& commandOf) {
  if (line < 0 || line >= lineCount) return -1;
  const script::CommandId here = commandOf(line);
  if (toEnd) {
    if (!script::OpensBlock(here)) return -1;
    int depth = 0;
    for (int i = line + 1; i < lineCount; ++i) {
      const script::CommandId id = commandOf(i);
      if (script::OpensBlock(id)) {
        ++depth;
      } else if (id == script::cmd::End) {
        if (depth == 0) return i;
        --depth;
      }
    }
    return -1;
  }
  if (here != script::cmd::End) return -1;
  int depth = 0;
  for (int i = line - 1; i >= 0; --i) {
    const script::CommandId id = commandOf(i);
    if (id == script::cmd::End) {
      ++depth;
    } else if (script::OpensBlock(id)) {
      if (depth == 0) return i;
      --depth;
    }
  }
  return -1;
}

}  // namespace tarvolin::editor
