#include "e2e/in_process.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/host.h"
#include "platform/paths.h"
#include "workbench/headless.h"

namespace tarvolin::test {
namespace {

class CapturingHost : public Host {
 public:
  explicit CapturingHost(ToolResult& result) : result_(result) {}
  void outputLine(std::string_view text) override {
    result_.out.append(text);
    result_.out += '\n';
  }
  MessageAnswer messageBox(std::string_view caption, std::string_view text, MessageButtons,
                           MessageAnswer answer) override {
    result_.err.append(caption);
    result_.err += ": ";
    result_.err.append(text);
    result_.err += '\n';
    return answer;
  }

 private:
  ToolResult& result_;
};

}  // namespace

ToolResult runInProcess(const std::vector<std::string>& args) {
  ToolResult result;
  CapturingHost host(result);
  Workbench bench(host);
  std::string error;
  if (args.size() == 2 && args[0] == "new") {
    const std::string path = bench.project().absolutePath(args[1]);
    const bool made = platform::makeFolders(std::string(platform::folderOf(path))) && bench.project().createNew(path);
    result.exitCode = made ? 0 : 1;
    return result;
  }
  if (args.size() == 2 && args[0] == "preprocess") {
    if (!OpenHeadless(bench, args[1], TARVOLIN_SOURCE_DATA_DIR, error)) {
      result.err = error;
      result.exitCode = 2;
      return result;
    }
    result.exitCode = bench.scripts().Preprocess(bench.project(), true) ? 0 : 1;
    return result;
  }
  int frames = 1;
  if (args.size() == 4 && args[0] == "run" && args[2] == "--frames") frames = std::atoi(args[3].c_str());
  else if (args.size() != 2 || args[0] != "run") {
    ADD_FAILURE() << "runInProcess takes new, preprocess and run [--frames N]";
    return result;
  }
  if (!OpenHeadless(bench, args[1], TARVOLIN_SOURCE_DATA_DIR, error)) {
    result.err = error;
    result.exitCode = 2;
    return result;
  }
  if (!bench.scripts().Preprocess(bench.project(), false)) {
    result.exitCode = 1;
    return result;
  }
  result.exitCode = RunHeadlessFrames(bench, frames) == HeadlessOutcome::Ran ? 0 : 1;
  return result;
}

}  // namespace tarvolin::test
