#include <gtest/gtest.h>

#include <filesystem>

#include "common/temp_dir.h"
#include "e2e/run_tool.h"
#include "project/project.h"
#include "project/recording_host.h"

namespace tarvolin::test {

TEST(NewProject, MadeByToolOpensWithDefaults) {
  TempDir dir;
  const std::string path = dir.file("games/Aventura.tvp");
  ToolResult made = runTool({"new", path});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  EXPECT_NE(made.out.find("Se ha creado un nuevo proyecto"), std::string::npos);

  RecordingHost host;
  std::string working;
  project::Project project(host, working);
  int preprocessed = 0;
  project::ProjectHooks hooks;
  hooks.autoPreprocess = [&] { ++preprocessed; };
  project.setHooks(hooks);
  ASSERT_TRUE(project.open(path, false));
  project::ProjectSettings expected;
  expected.sourceRoot = ".\\Aventura";
  expected.resourceRoot = ".\\Aventura\\Resources";
  expected.outputRoot = ".\\Builds\\Aventura";
  expected.networkName = "Aventura";
  EXPECT_EQ(project.settings(), expected);
  EXPECT_EQ(preprocessed, 1);
  EXPECT_EQ(TempDir::read(project.mainScriptPath()), "; Main script\r\n\r\n");
  EXPECT_EQ(project.mainScriptPath(), dir.file("games/Aventura/Script/main.txt"));
  EXPECT_TRUE(std::filesystem::is_directory(project.resourceRootPath()));

  // The file is what writing these settings gives.
  const std::string bytes = TempDir::read(path);
  ASSERT_TRUE(project.writeProjectFile());
  EXPECT_EQ(TempDir::read(path), bytes);

  // An existing project is never overwritten; a name without ".tvp" gets it.
  dir.write("keep.tvp", "mine");
  ToolResult again = runTool({"new", dir.file("keep.tvp")});
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_EQ(TempDir::read(dir.file("keep.tvp")), "mine");
  EXPECT_EQ(runTool({"new", dir.file("keep")}).exitCode, 2);
  EXPECT_EQ(runTool({"new", dir.file("plain")}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.file("plain.tvp")));
  EXPECT_EQ(runTool({"new"}).exitCode, 2);
}

}  // namespace tarvolin::test
