// The one object that owns what the environment keeps for the whole run: the
// open project, the interpreter's context, the machine model and the audio
// engine. Each program (studio, command-line tool, test) creates its own, so
// there are no mutable globals.
#pragma once

#include <string>

#include "common/host.h"
#include "machine/machine_state.h"

namespace tarvolin {

class Workbench {
 public:
  explicit Workbench(Host& host) : host_(host) {}
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  Host& host() { return host_; }
  machine::MachineState& machine() { return machine_; }

  // Folder that relative paths are resolved against; the library never
  // changes the process's current directory.
  const std::string& workingFolder() const { return workingFolder_; }
  void setWorkingFolder(std::string folder) { workingFolder_ = std::move(folder); }

 private:
  Host& host_;
  std::string workingFolder_;
  machine::MachineState machine_;
};

}  // namespace tarvolin
