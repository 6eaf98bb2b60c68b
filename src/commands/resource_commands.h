// The resource commands (CommandId 98..101: range index, file exists, size,
// peek) and the commands that load resources into the machine: tiles
// (TileDataLoad, 116), a tile map (TileMapLoad, 129) and a palette
// (PaletteLoad, 144).
//
// Operands arrive evaluated in signature order: the resource as its number
// in the project's list, [ObjetivoPaleta] as 0 (BG) or 1 (SPRITE),
// [MemTamaño] as 0 u8, 1 s8, 2 u16, 3 s16. The operand checks come first and
// fail with the command's own code (96 tiles, 87/93/94 maps, 98 palettes);
// then the resource operation resolves the file (ask mode through the host's
// file chooser) and reports file, kind and format failures (21, 140,
// 155..161). A failed load leaves the machine as it was.
//
// The range index (ResourceSetIndex) picks the file of ranged resources for
// every command that resolves one; families that resolve resources on their
// own hear each change through the range listener.
#pragma once

#include <cstdint>
#include <functional>

#include "common/host.h"
#include "script/command_family.h"
#include "common/errors.h"

namespace tarvolin::machine { class MachineState; }
namespace tarvolin::project { class Project; struct Resource; }

namespace tarvolin::commands {

class ResourceCommands final : public script::CommandFamily {
 public:
  // What the commands act on; a missing project or machine makes the
  // commands that need it fail (resource out of range, or the command's
  // own range error).
  void bind(project::Project* project, machine::MachineState* machine, Host* host) {
    project_ = project;
    machine_ = machine;
    host_ = host;
  }
  // Called with the new index whenever the range index changes.
  void setRangeListener(std::function<void(std::int64_t)> listener) { rangeListener_ = std::move(listener); }
  std::int64_t rangeIndex() const { return rangeIndex_; }

  static bool handles(std::int32_t command);
  bool Handles(std::int32_t command) const override { return handles(command); }
  // A new run starts with range index 0.
  void Reset() override;
  // Resources of the open project by name.
  int FindAsset(script::AssetKind kind, std::string_view name) const override;
  bool Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out,
               int& outCount, ErrorState& err) override;

 private:
  const project::Resource* ResourceAt(std::int32_t index, ErrorState& err) const;
  bool LoadTiles(const std::int32_t* p, ErrorState& err);
  bool LoadTileMap(const std::int32_t* p, ErrorState& err);
  bool LoadPalette(const std::int32_t* p, ErrorState& err);
  void SetRangeIndex(std::int64_t index);

  project::Project* project_ = nullptr;
  machine::MachineState* machine_ = nullptr;
  Host* host_ = nullptr;
  std::function<void(std::int64_t)> rangeListener_;
  std::int64_t rangeIndex_ = 0;
};

}  // namespace tarvolin::commands
