// The resource command family on its own: what it handles, the range index
// it shares, and how it fails without a project or machine to act on.
#include <gtest/gtest.h>

#include <vector>

#include "script/commands.h"
#include "commands/resource_commands.h"

namespace tarvolin::commands {

using namespace script;

TEST(ResourceCommands, HandlesItsCommandsAndSharesTheRangeIndex) {
  ResourceCommands family;
  for (CommandId id : std::initializer_list<CommandId>{cmd::ResourceSetIndex, cmd::ResourceFileExists, cmd::ResourceGetSize,
                       cmd::ResourcePeek, cmd::TileDataLoad, cmd::TileMapLoad, cmd::PaletteLoad})
    EXPECT_TRUE(family.Handles(id)) << id;
  for (CommandId id : std::initializer_list<CommandId>{cmd::TileDataCycleRect, cmd::TileMapGetAttribute, cmd::PaletteCycle,
                       cmd::TilelistGroupLoad, CommandId(-1), CommandId(500)})
    EXPECT_FALSE(family.Handles(id)) << id;

  std::vector<std::int64_t> heard;
  family.setRangeListener([&](std::int64_t index) { heard.push_back(index); });
  ErrorState err;
  std::int32_t out[3] = {};
  int outCount = -1;
  const std::int32_t seven[] = {7};
  ASSERT_TRUE(family.Execute(cmd::ResourceSetIndex, seven, 1, out, outCount, err));
  EXPECT_EQ(outCount, 0);
  EXPECT_EQ(family.rangeIndex(), 7);
  family.Reset();  // a new run
  EXPECT_EQ(family.rangeIndex(), 0);
  EXPECT_EQ(heard, (std::vector<std::int64_t>{7, 0}));
}

TEST(ResourceCommands, FailsCleanlyWithoutAProject) {
  ResourceCommands family;
  EXPECT_EQ(family.FindAsset(AssetKind::Resource, "Tiles"), -1);
  ErrorState err;
  std::int32_t out[3] = {};
  int outCount = 0;
  const std::int32_t p[4] = {0, 0, 0, 0};
  struct Case {
    CommandId id;
    ErrorCode code;
  } cases[] = {
      {cmd::ResourceFileExists, 20}, {cmd::ResourceGetSize, 20}, {cmd::ResourcePeek, 20},
      {cmd::TileDataLoad, 20},       {cmd::TileMapLoad, 20},     {cmd::PaletteLoad, 20},
  };
  for (const Case& c : cases) {
    err.SetError(0);
    EXPECT_FALSE(family.Execute(c.id, p, 4, out, outCount, err)) << c.id;
    EXPECT_EQ(err.GetError(), c.code) << c.id;
  }
  // The operand checks come before the resource.
  const std::int32_t badLayer[4] = {4, 0, 0, 0};
  EXPECT_FALSE(family.Execute(cmd::TileMapLoad, badLayer, 4, out, outCount, err));
  EXPECT_EQ(err.GetError(), 87);
  const std::int32_t badTarget[4] = {2, 0, 0, 0};
  EXPECT_FALSE(family.Execute(cmd::TileDataLoad, badTarget, 4, out, outCount, err));
  EXPECT_EQ(err.GetError(), 96);
  // Too few operands never reads past them.
  EXPECT_FALSE(family.Execute(cmd::ResourcePeek, p, 2, out, outCount, err));
  EXPECT_EQ(err.GetError(), 2);
}

}  // namespace tarvolin::commands
