// Opening and closing a project reset the whole machine; the new project's
// arrays are placed in the memories after that reset.
#include <gtest/gtest.h>

#include "common/temp_dir.h"
#include "project/recording_host.h"
#include "workbench/workbench.h"

namespace tarvolin::test {

TEST(Workbench, OpeningOrClosingAProjectResetsTheMachine) {
  TempDir dir;
  RecordingHost host;
  Workbench bench(host);
  project::Project& p = bench.project();
  machine::MachineState& m = bench.machine();
  p.setStartFolder(dir.path());

  // A project with one array in work RAM.
  ASSERT_TRUE(p.open(dir.file("a.tvp"), true));
  project::ArrayDef a;
  a.name = "Table";
  a.dimX = 4;
  a.elements.push_back({project::kU8, "v", "", 0});
  ASSERT_TRUE(p.apply(project::Edit::Insert(-1, a)).valid());
  ASSERT_TRUE(p.save(false));

  auto dirty = [&] {
    m.setDisplayAttribute(machine::DisplayAttribute::BlankDisplay, 0);
    m.setSpriteAttribute(5, machine::SpriteAttribute::Xpos, 100);
    m.memory(2, 0)[0] = 7;       // VRAM
    m.memory(0, 0x2FFFF)[0] = 9;  // the last byte of work RAM
  };
  auto isReset = [&] {
    return m.displayAttribute(machine::DisplayAttribute::BlankDisplay) == 1 &&
           m.sprite(5).x == 0 && m.memory(2, 0)[0] == 0 && m.memory(0, 0x2FFFF)[0] == 0;
  };
  dirty();
  ASSERT_TRUE(p.open(dir.file("a.tvp"), false));
  EXPECT_TRUE(isReset());
  // The array's storage, placed after the reset, is filled as new storage.
  const project::ArrayDef& placed = p.arrays().items()[0];
  ASSERT_EQ(placed.storage, project::StorageKind::Memory);
  const auto bytes = m.memory(placed.memoryKind, static_cast<std::uint32_t>(placed.storageOffset));
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[3], 0xFF);

  dirty();
  ASSERT_TRUE(p.close());
  EXPECT_TRUE(isReset());
}

}  // namespace tarvolin::test
