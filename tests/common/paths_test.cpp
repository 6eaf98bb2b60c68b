#include "platform/paths.h"

#include <gtest/gtest.h>

#include "common/temp_dir.h"

namespace tarvolin::platform {

TEST(Paths, StoredFormsResolveIgnoringCase) {
  test::TempDir dir;
  dir.write("Script/Main.txt", "x");
  // Backslash forms with "." and a different case find the real file.
  EXPECT_EQ(resolvePath(dir.path(), ".\\script\\MAIN.TXT"), dir.path() + "/Script/Main.txt");
  EXPECT_EQ(resolvePath(dir.path(), "Script/Main.txt"), dir.path() + "/Script/Main.txt");
  // Missing names give the plain joined path for creation.
  EXPECT_EQ(resolvePath(dir.path(), "new\\file.txt"), dir.path() + "/new/file.txt");
  EXPECT_TRUE(isAbsolutePath("C:\\x"));
  EXPECT_FALSE(isAbsolutePath(".\\x"));
  EXPECT_EQ(fileNameOf("a\\b/c.txt"), "c.txt");
  EXPECT_EQ(folderOf("a\\b/c.txt"), "a\\b");
}

TEST(Paths, DotDotIsTakenOnTheText) {
  test::TempDir dir;
  dir.write("Shared/Walk.png", "x");
  // The folder before ".." does not exist: the path still reaches the file,
  // in any case of its letters.
  EXPECT_EQ(resolvePath(dir.path() + "/game/Resources", "..\\..\\shared\\WALK.PNG"),
            dir.path() + "/Shared/Walk.png");
  EXPECT_EQ(resolvePath(dir.path(), ".\\Missing\\..\\Shared\\.\\Walk.png"), dir.path() + "/Shared/Walk.png");
  EXPECT_EQ(normalisePath("/a/b/../../../c"), "/c");
  EXPECT_EQ(normalisePath("../a/./b/../c//"), "../a/c");
  EXPECT_EQ(normalisePath("a/.."), ".");
  EXPECT_EQ(normalisePath("/"), "/");
}

TEST(Paths, MakeFoldersCreatesParents) {
  test::TempDir dir;
  const std::string deep = dir.path() + "/a/b/c/";
  EXPECT_TRUE(makeFolders(deep));
  EXPECT_TRUE(folderExists(dir.path() + "/a/b/c"));
  EXPECT_TRUE(makeFolders(deep));  // already there
  dir.write("file", "x");
  EXPECT_FALSE(makeFolders(dir.path() + "/file/sub"));
}

}  // namespace tarvolin::platform
