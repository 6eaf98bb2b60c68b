// The safe write every generated file goes through: the new bytes go to a
// temporary file in the destination's own folder, are compared with the
// destination, and replace it by an atomic rename only when they differ. An
// unchanged file keeps its bytes and time stamp (project sharing relies on
// that), and a failure never leaves a half-written destination.
#pragma once

#include <string>
#include <string_view>

namespace tarvolin::project {

// Writes `bytes` to `path` safely. True when the destination holds `bytes`
// afterwards (written or already equal); false leaves it as it was.
bool safeWrite(const std::string& path, std::string_view bytes);

}  // namespace tarvolin::project
