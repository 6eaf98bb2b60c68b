// The one object that owns what the environment keeps for the whole run: the
// open project, the interpreter's context, the machine model and the audio
// engine. Each program (studio, command-line tool, test) creates its own, so
// there are no mutable globals.
#pragma once

#include <string>

#include "common/host.h"
#include "sound/audio_engine.h"
#include "sound/music_player.h"

namespace tarvolin {

class Workbench {
 public:
  explicit Workbench(Host& host) : host_(host) { audio_.SetModuleLoader(sound::LoadModulePlayer); }
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  Host& host() { return host_; }

  // Folder that relative paths are resolved against; the library never
  // changes the process's current directory.
  const std::string& workingFolder() const { return workingFolder_; }
  void setWorkingFolder(std::string folder) { workingFolder_ = std::move(folder); }

  // The audio engine: opened by the program with its output device, shut
  // down before that output goes.
  sound::AudioEngine& audio() { return audio_; }

 private:
  Host& host_;
  std::string workingFolder_;
  sound::AudioEngine audio_;
};

}  // namespace tarvolin
