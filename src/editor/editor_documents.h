// The studio's script documents: the set the interpreter reads, owned by the
// editor. A script named by a declaration that is not open in a tab loads
// from the open project's Script folder; it stays a document without a tab
// until the user opens it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_document.h"

namespace tarvolin::editor {

// What tells a file changed on disk: its time and size.
struct FileStamp {
  bool exists = false;
  std::int64_t time = 0;
  std::int64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

class EditorDocuments : public script::ScriptDocuments {
 public:
  // `scriptFolder` gives the folder to load from at the time of loading
  // (it follows the open project).
  explicit EditorDocuments(std::function<std::string()> scriptFolder)
      : scriptFolder_(std::move(scriptFolder)) {}

  // The file's stamp when a document was loaded from it by name (the
  // stamp now when it was not loaded here); forgets it.
  struct FileStamp takeLoadStamp(const std::string& path);

 protected:
  std::unique_ptr<script::ScriptDocument> load(std::string_view fileName) override;

 private:
  std::function<std::string()> scriptFolder_;
  std::map<std::string, FileStamp> loadedStamps_;
};

// The bytes a script is saved as: its lines joined with CR LF.
std::string JoinScriptLines(const std::vector<std::string>& lines);

// Whether the bytes are valid UTF-8 (else the editor shows them as Latin-1,
// byte for byte, so saving gives back the same bytes).
bool IsValidUtf8(std::string_view bytes);

}  // namespace tarvolin::editor
