// The one object that owns what the environment keeps for the whole run: the
// open project, the interpreter's context, the machine model and the audio
// engine. Each program (studio, command-line tool, test) creates its own, so
// there are no mutable globals.
#pragma once

#include <string>

#include "common/host.h"
#include "machine/machine_state.h"
#include "project/program_settings.h"
#include "project/project.h"
#include "commands/resource_commands.h"
#include "commands/exec_arrays.h"
#include "commands/sound_commands.h"
#include "commands/world_commands.h"
#include "sharing/project_sharing.h"
#include "sound/audio_engine.h"
#include "sound/music_player.h"
#include "script/command_families.h"
#include "commands/hardware_commands.h"
#include "workbench/array_memory.h"
#include "workbench/array_resources.h"
#include "workbench/game_runner.h"
#include "workbench/script_runtime.h"

namespace tarvolin {

class Workbench {
 public:
  explicit Workbench(Host& host) : host_(host), project_(host, workingFolder_) {
    audio_.SetModuleLoader(sound::LoadModulePlayer);
    world_.bind(&project_, &machine_);
    families_.Add(&world_);
    hardware_.bind(&machine_, &scripts_.timing());
    families_.Add(&hardware_);
    resources_.bind(&project_, &machine_, &host_);
    // The range index reaches every family that resolves resources.
    resources_.setRangeListener([this](std::int64_t index) {
      world_.setRangeIndex(index);
      arrayFiles_.setRangeIndex(index);
      sound_.setRangeIndex(index);
    });
    families_.Add(&resources_);
    sound_.bind(&project_, &audio_, &host_);
    families_.Add(&sound_);
    scripts_.interpreter().setFamily(&families_);
    // The arrays parse and run their lines whole (command_family.h), so
    // they register with the interpreter itself.
    project_.arrays().setMemory(&arrayMemory_);
    arrayCommands_.Attach(scripts_.interpreter(), scripts_.preprocessor());
    arrayCommands_.setResourceFiles(&arrayFiles_);
    project_.addObserver(&machineReset_);
    setProjectHooks({});
  }
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  Host& host() { return host_; }
  // The modelled GBA hardware; lives for the whole run of the program.
  machine::MachineState& machine() { return machine_; }

  // Folder that relative paths are resolved against; the library never
  // changes the process's current directory.
  const std::string& workingFolder() const { return workingFolder_; }
  void setWorkingFolder(std::string folder) { workingFolder_ = std::move(folder); }

  // The one open project (opening it sets the working folder).
  project::Project& project() { return project_; }
  // Sets what opening, saving and closing the project ask of the program;
  // the shared-file list's read and write are filled in unless given. Use
  // this rather than project().setHooks, which would drop them.
  void setProjectHooks(project::ProjectHooks hooks) {
    project::ProjectHooks network;
    sharing_.bindHooks(network);
    if (!hooks.readNetworkVersions) hooks.readNetworkVersions = network.readNetworkVersions;
    if (!hooks.writeNetworkVersions) hooks.writeNetworkVersions = network.writeNetworkVersions;
    project_.setHooks(std::move(hooks));
  }
  // Project sharing: the shared-file list and the four commands.
  sharing::ProjectSharing& sharing() { return sharing_; }
  // The program settings, read at start-up and written at shut-down.
  project::ProgramSettings& programSettings() { return programSettings_; }
  // The audio engine: opened by the program with its output device, shut
  // down before that output goes.
  sound::AudioEngine& audio() { return audio_; }
  // The interpreter's context: documents, interpreter, preprocessor, timing, pad.
  ScriptRuntime& scripts() { return scripts_; }
  // The game's frames as the emulator runs them.
  GameRunner& game() { return game_; }

 private:
  Host& host_;
  std::string workingFolder_;
  project::Project project_;
  project::ProgramSettings programSettings_ = project::defaultProgramSettings();
  machine::MachineState machine_;
  sound::AudioEngine audio_;
  ScriptRuntime scripts_{host_};
  GameRunner game_{scripts_, machine_, host_};
  // Command families beyond the interpreter's own; each registers here.
  script::CommandFamilies families_;
  commands::WorldCommands world_;  // string, path, level and tile-list commands
  commands::ResourceCommands resources_;  // resource commands and resource loads
  commands::HardwareCommands hardware_;  // display, tile, map, palette, sprite, drawing, collision
  // The project's arrays in the machine's memories, for the scripts.
  MachineArrayMemory arrayMemory_{machine_};
  commands::ArrayCommands arrayCommands_{project_.arrays()};
  ProjectResourceFiles arrayFiles_{project_, host_};
  commands::SoundCommands sound_;  // music and sound-effect commands
  // Opening or closing a project resets the whole machine (before the new
  // project's arrays are placed in its memories).
  class MachineReset final : public project::ProjectObserver {
   public:
    explicit MachineReset(machine::MachineState& machine) : machine_(machine) {}
    void projectChanged(project::ProjectEvent event) override {
      if (event != project::ProjectEvent::Opened) machine_.fullReset();
    }

   private:
    machine::MachineState& machine_;
  };
  MachineReset machineReset_{machine_};
  sharing::ProjectSharing sharing_{project_, programSettings_, host_};
};

}  // namespace tarvolin
