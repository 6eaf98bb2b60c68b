// The sound commands: checks, resources to files, and the audio engine.
#include <cstdint>
#include <string>

#include "project/project.h"
#include "project/resource_ops.h"
#include "commands/sound_commands.h"
#include "script/commands.h"
#include "sound/audio_engine.h"

namespace tarvolin::commands {

using namespace script;

namespace {

constexpr std::int64_t kMaxFrequency = 460800;
constexpr std::int32_t kMaxLoopOffset = 1048576;


bool Fail(ErrorState& err, ErrorCode code) {
  err.SetError(code);
  return false;
}

bool InRange(std::int64_t v, std::int64_t low, std::int64_t high) { return v >= low && v <= high; }

// The values in the order SoundExPlay (after its resource) and
// SoundSetProperties (after its channel) take them.
SoundValues ValuesFrom(const std::int32_t* p, std::int32_t channel) {
  SoundValues v;
  v.channel = channel;
  v.frequency = p[0];
  v.balance = p[1];
  v.volume = p[2];
  v.bend = p[3];
  v.loopType = p[4];
  v.loopCount = p[5];
  v.loopStart = p[6];
  v.loopEnd = p[7];
  return v;
}

// Copies the sound values into the engine's start or change arguments, which
// name them alike.
template <class Engine>
Engine EngineValues(const SoundValues& v) {
  Engine e;
  e.baseFrequency = v.frequency;
  e.bend = v.bend;
  e.volume = v.volume;
  e.pan = v.balance;
  e.loopType = v.loopType;
  e.loopCount = v.loopCount;
  e.loopStart = v.loopStart;
  e.loopEnd = v.loopEnd;
  return e;
}

}  // namespace

bool CheckSoundValues(const SoundValues& v, bool changing, ErrorState& err) {
  auto given = [&](std::int32_t value) { return !changing || value != kSoundKeep; };
  if (given(v.channel) && !InRange(v.channel, changing ? -3 : -1, 31)) return Fail(err, err::kSoundChannelOutOfRange);
  if (given(v.frequency) && !InRange(v.frequency, 1, kMaxFrequency)) return Fail(err, err::kSoundFrequencyOutOfRange);
  if (given(v.bend)) {
    // The rate the channel ends up with must stay within the range; when the
    // frequency is kept, only a bend that no frequency could make up for fails.
    const bool ok = given(v.frequency)
                        ? InRange(std::int64_t(v.frequency) + v.bend, 0, kMaxFrequency)
                        : v.bend >= -kMaxFrequency;
    if (!ok) return Fail(err, err::kSoundPitchBendOutOfRange);
  }
  if (given(v.volume) && !InRange(v.volume, 0, 64)) return Fail(err, err::kSoundVolumeOutOfRange);
  if (given(v.balance) && !InRange(v.balance, 0, 255)) return Fail(err, err::kSoundBalanceOutOfRange);
  if (given(v.loopType) && !InRange(v.loopType, 0, 1)) return Fail(err, err::kSoundLoopTypeUnknown);
  if (given(v.loopCount) && !InRange(v.loopCount, -1, 30000)) return Fail(err, err::kSoundLoopCountInvalid);
  if (given(v.loopStart)) {
    // A loop end of 0 stands for the sample's end, which the start may not pass
    // either, but that is only known when the sample plays.
    const bool endGiven = given(v.loopEnd) && v.loopEnd > 0;
    if (!InRange(v.loopStart, 0, kMaxLoopOffset) || (endGiven && v.loopStart > v.loopEnd))
      return Fail(err, err::kSoundLoopStartInvalid);
  }
  if (given(v.loopEnd) && !InRange(v.loopEnd, 0, kMaxLoopOffset)) return Fail(err, err::kSoundLoopEndInvalid);
  return true;
}

bool SoundCommands::handles(std::int32_t command) { return GroupOf(command) == CommandGroup::Sound; }

int SoundCommands::FindAsset(AssetKind kind, std::string_view name) const {
  if (!project_ || kind != AssetKind::Resource) return -1;
  return project_->resources().find(name);
}

bool SoundCommands::ResourceFile(std::int32_t index, int kind, ErrorCode wrongKind,
                                 std::string& path, ErrorState& err) const {
  const project::Resource* resource =
      project_ && index >= 0 ? project_->resources().get(static_cast<std::size_t>(index)) : nullptr;
  // The interpreter checks resource numbers; one that is gone by now is no
  // resource of the kind either.
  if (!resource || static_cast<int>(resource->kind) != kind) return Fail(err, wrongKind);
  const project::ResourceContext context = project::resourceContextOf(*project_, rangeIndex_, host_);
  project::ResolveOptions options;
  options.mustExist = false;  // a missing file is the engine's load failure
  return project::resolveResourceFile(*resource, context, err, path, options) ==
         project::ResolveResult::Found;
}

bool SoundCommands::PlayMusic(std::int32_t resource, ErrorState& err) {
  std::string path;
  if (!ResourceFile(resource, static_cast<int>(project::ResourceKind::MusicTrack), err::kNotMusicResource, path, err))
    return false;
  if (audio_ && !audio_->PlayMusicResource(path)) return Fail(err, err::kMusicPlayFailed);
  return true;
}

bool SoundCommands::PlaySound(std::int32_t resource, ErrorState& err) {
  std::string path;
  if (!ResourceFile(resource, static_cast<int>(project::ResourceKind::SoundEffect), err::kNotWavResource, path, err))
    return false;
  if (!audio_) return true;
  switch (audio_->PlaySoundSimple(path)) {
    case sound::PlayStatus::Ok: return true;
    case sound::PlayStatus::NotLoaded: return Fail(err, err::kNotWavResource);
    case sound::PlayStatus::NoChannel: return Fail(err, err::kNoFreeChannel);
  }
  return true;
}

bool SoundCommands::PlaySoundEx(const std::int32_t* p, std::int32_t& channel, ErrorState& err) {
  std::string path;
  if (!ResourceFile(p[0], static_cast<int>(project::ResourceKind::SoundEffect), err::kNotWavResource, path, err))
    return false;
  const SoundValues v = ValuesFrom(p + 1, p[9]);
  if (!CheckSoundValues(v, false, err)) return false;
  channel = v.channel;
  if (!audio_) return true;
  const auto params = EngineValues<sound::SoundParams>(v);
  int used = v.channel;
  switch (audio_->PlaySound(path, used, params)) {
    case sound::PlayStatus::Ok: break;
    case sound::PlayStatus::NotLoaded: return Fail(err, err::kNotWavResource);
    case sound::PlayStatus::NoChannel: return Fail(err, err::kNoFreeChannel);
  }
  channel = used;
  return true;
}

bool SoundCommands::SetProperties(const std::int32_t* p, ErrorState& err) {
  const SoundValues v = ValuesFrom(p + 1, p[0]);
  if (!CheckSoundValues(v, true, err)) return false;
  if (!audio_ || v.channel == kSoundKeep) return true;  // no channel picked
  audio_->SetSoundChannels(v.channel, EngineValues<sound::ChannelChanges>(v));
  return true;
}

bool SoundCommands::Execute(std::int32_t command, const std::int32_t* p, int count, std::int32_t* out,
                            int& outCount, ErrorState& err) {
  outCount = 0;
  const int needed = InputOperandCount(command);
  if (!handles(command)) return Fail(err, err::kUnknownCommand);
  if (count < needed) return Fail(err, err::kMissingParameters);
  switch (command) {
    case cmd::MusicPlay: return PlayMusic(p[0], err);
    case cmd::MusicStop:
      if (audio_) audio_->StopMusic();
      return true;
    case cmd::SoundPlay: return PlaySound(p[0], err);
    case cmd::SoundExPlay: {
      std::int32_t channel = -1;
      if (!PlaySoundEx(p, channel, err)) return false;
      out[0] = channel;
      outCount = 1;
      return true;
    }
    case cmd::SoundSetProperties: return SetProperties(p, err);
    default: return Fail(err, err::kUnknownCommand);
  }
}

}  // namespace tarvolin::commands
