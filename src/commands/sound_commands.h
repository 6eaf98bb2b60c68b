// The sound commands (CommandId 171..175): music from a music resource,
// sound effects from sound-effect resources, and changes to the channels
// that play, all through the audio engine.
//
// MusicPlay needs a "Music Track" resource (else 105) and fails with 106
// when the song cannot be read or started; MusicStop stops it. SoundPlay and
// SoundExPlay need a "Sound effect" resource (else 107) whose file the
// engine can load as a sample (else 107), and a free channel (else 109).
// SoundExPlay and SoundSetProperties check their values first, in a fixed
// order (CheckSoundValues), so nothing changes when one is out of range.
// While the engine has no output, the commands check their operands and do
// nothing else, as every sound operation then succeeds silently.
#pragma once

#include <cstdint>
#include <string>

#include "script/command_family.h"
#include "common/errors.h"

namespace tarvolin {
class Host;
}
namespace tarvolin::project { class Project; }
namespace tarvolin::sound { class AudioEngine; }

namespace tarvolin::commands {

// The value that leaves a channel's setting as it is (#_SOUND_PARAM_CURR).
inline constexpr std::int32_t kSoundKeep = -1000000;

// The values of SoundExPlay and SoundSetProperties.
struct SoundValues {
  std::int32_t channel = -1;
  std::int32_t frequency = 0;
  std::int32_t balance = 128;
  std::int32_t volume = 64;
  std::int32_t bend = 0;
  std::int32_t loopType = 0;
  std::int32_t loopCount = 1;
  std::int32_t loopStart = 0;
  std::int32_t loopEnd = 0;  // 0: the sample's end
};

// Checks the values in the order the errors are reported: channel (110),
// frequency (111), frequency + bend (112), volume (113), balance (114), loop
// type (115), loop count (116), loop start (117), loop end (118). With
// `changing` (SoundSetProperties) the channel may also be -2 and -3, and a
// value of kSoundKeep skips its own test. Sets the error and returns false at
// the first value out of range.
bool CheckSoundValues(const SoundValues& v, bool changing, ErrorState& err);

class SoundCommands final : public script::CommandFamily {
 public:
  // What the commands act on. Without a project every resource operand is
  // unknown; without an engine the checked commands do nothing more. `host`
  // answers resources that ask for their file (none: the stored file).
  void bind(project::Project* project, sound::AudioEngine* audio, Host* host = nullptr) {
    project_ = project;
    audio_ = audio;
    host_ = host;
  }
  // The resource range index used when resolving ranged resources.
  void setRangeIndex(std::int64_t index) { rangeIndex_ = index; }

  static bool handles(std::int32_t command);

  bool Handles(std::int32_t command) const override { return handles(command); }
  // Sounds and music go on playing between runs; the emulator stops them.
  void Reset() override {}
  // The project's resources by name.
  int FindAsset(script::AssetKind kind, std::string_view name) const override;
  bool Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out,
               int& outCount, ErrorState& err) override;

 private:
  // The file of resource `index` when it is of `kind`; else `wrongKind`.
  bool ResourceFile(std::int32_t index, int kind, ErrorCode wrongKind, std::string& path,
                    ErrorState& err) const;
  bool PlayMusic(std::int32_t resource, ErrorState& err);
  bool PlaySound(std::int32_t resource, ErrorState& err);
  bool PlaySoundEx(const std::int32_t* p, std::int32_t& channel, ErrorState& err);
  bool SetProperties(const std::int32_t* p, ErrorState& err);

  project::Project* project_ = nullptr;
  sound::AudioEngine* audio_ = nullptr;
  Host* host_ = nullptr;
  std::int64_t rangeIndex_ = 0;
};

}  // namespace tarvolin::commands
