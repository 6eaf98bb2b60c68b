// Any script line, as the interpreter meets it: run at a level that executes,
// passed over at one that does not (so only parsed), and as a macro body
// called twice with different bindings, beside a command family that takes
// every command the language leaves to families. Nothing may crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/host.h"
#include "common/text.h"
#include "script/command_family.h"
#include "script/commands.h"
#include "script/interpreter.h"
#include "script/preprocessor.h"
#include "script/script_document.h"

namespace {

using namespace tarvolin;
using namespace tarvolin::script;

// Knows a few asset names and accepts every family command.
class AnyFamily : public CommandFamily {
 public:
  bool Handles(std::int32_t command) const override { return GroupOf(command) != CommandGroup::Language; }
  void Reset() override {}
  int FindAsset(AssetKind kind, std::string_view name) const override {
    if (kind == AssetKind::Array) return equalsIgnoreCase(name, "Table") ? 0 : -1;
    if (kind == AssetKind::String) return equalsIgnoreCase(name, "Title") ? 0 : -1;
    if (kind == AssetKind::Resource) return equalsIgnoreCase(name, "Hero") ? 0 : -1;
    return -1;
  }
  int FindArrayElement(int array, std::string_view element) const override {
    return array == 0 && equalsIgnoreCase(element, "Item") ? 0 : -1;
  }
  bool Execute(std::int32_t, const std::int32_t*, int count, std::int32_t* out, int& outCount,
               ErrorState&) override {
    outCount = count > 3 ? 3 : count;
    for (int i = 0; i < outCount; ++i) out[i] = i;
    return true;
  }
};

void Run(const std::string& main, const std::string& line) {
  QuietHost host;
  MemoryScriptDocuments docs;
  docs.addFile("main.txt", main);
  Interpreter interp(host);
  AnyFamily family;
  interp.setFamily(&family);
  interp.setDocuments(&docs);
  Preprocessor pre(interp);
  PreprocessInput in;
  in.mainScript = "main.txt";
  in.macros.push_back({"M", {line}, 2});
  if (!pre.Preprocess(in, false)) return;
  for (int frame = 0; frame < 2; ++frame)
    if (!interp.RunMainFrame(frame == 0)) return;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find_first_of("\r\n"));
  const std::string head = "##SPEED 12\nV_LV0 = 3\n";
  Run(head + line + "\nReturn\n", line);
  Run(head + "If 1 == 0\n" + line + "\nEnd\nReturn\n", line);
  Run(head + "%M 3 V_LV1\n%M V_LV2 Table\nReturn\n", line);
  return 0;
}
