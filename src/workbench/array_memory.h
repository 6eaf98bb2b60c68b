// The machine's memories as the project's arrays see them: placed arrays
// and the built-in memory arrays read and write the modelled memory itself,
// so the memory viewers show what scripts wrote.
#pragma once

#include "machine/machine_state.h"
#include "project/arrays.h"

namespace tarvolin {

class MachineArrayMemory final : public project::ArrayMemory {
 public:
  explicit MachineArrayMemory(machine::MachineState& machine) : machine_(machine) {}
  std::span<std::uint8_t> bytes(int kind, std::uint32_t offset, bool write) override {
    return machine_.memory(kind, offset, write);
  }

 private:
  machine::MachineState& machine_;
};

}  // namespace tarvolin
