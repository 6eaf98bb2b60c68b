// Several command families behind the interpreter's one family seam: each
// command goes to the family that registered for it, asset names are looked up
// in every family in turn.
#pragma once

#include <array>
#include <vector>

#include "script/command_family.h"
#include "script/commands.h"

namespace tarvolin::script {

class CommandFamilies final : public CommandFamily {
 public:
  CommandFamilies() { byCommand_.fill(nullptr); }

  // Adds a family; for each command it handles that no earlier family took,
  // this family carries it out.
  void Add(CommandFamily* family);

  bool Handles(std::int32_t command) const override {
    return command >= 0 && command < kCommandIdLimit && byCommand_[command] != nullptr;
  }
  void Reset() override;
  int FindAsset(AssetKind kind, std::string_view name) const override;
  bool Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out,
               int& outCount, ErrorState& err) override;

 private:
  std::vector<CommandFamily*> families_;
  std::array<CommandFamily*, kCommandIdLimit> byCommand_;
};

}  // namespace tarvolin::script
