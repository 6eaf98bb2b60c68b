// Scripts that use the sound commands against a project with a sound effect
// and a song on disk: any text, run for a few frames while the engine
// renders, must end in success or a clean error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/host.h"
#include "script_fuzz.h"
#include "project/project.h"
#include "commands/sound_commands.h"
#include "sound/audio_engine.h"
#include "sound/mod_writer.h"
#include "sound/music_player.h"
#include "sound/sample_data.h"
#include "workbench/game_audio.h"

namespace {

class QuietHost : public tarvolin::Host {
 public:
  void outputLine(std::string_view) override {}
  tarvolin::MessageAnswer messageBox(std::string_view, std::string_view, tarvolin::MessageButtons,
                                     tarvolin::MessageAnswer answer) override {
    return answer;
  }
};

// The folder with the sound files, made once for the whole fuzzing run.
std::string& Folder() {
  static std::string folder;
  return folder;
}

void MakeFiles() {
  using namespace tarvolin::sound;
  char pattern[] = "/tmp/tarvolin-fuzz-sound-XXXXXX";
  if (!::mkdtemp(pattern)) std::abort();
  Folder() = pattern;
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
  });
  SampleData beep = SampleData::Blank(300, 8, 22050, 1);
  for (std::uint32_t i = 0; i < 300; ++i) beep.bytes()[i] = std::uint8_t(i * 7);
  if (!SaveWav(beep, Folder() + "/beep.wav")) std::abort();
  SampleData wide = SampleData::Blank(400, 16, 8000, 2);
  for (std::uint32_t i = 0; i < 400; ++i) wide.bytes()[i] = std::uint8_t(i * 13);
  if (!SaveWav(wide, Folder() + "/wide.wav")) std::abort();
  MusicModule m;
  m.kind = ModuleKind::Mod;
  m.channelCount = 4;
  m.songLength = 1;
  m.orders.assign(128, 0);
  m.patterns.resize(1);
  m.patterns[0].rows = 64;
  m.patterns[0].cells.assign(64u * 4, PatternCell{});
  m.patterns[0].cells[0].note = 61;
  m.patterns[0].cells[0].instrument = 1;
  m.samples.resize(31);
  m.samples[0].length = 200;
  m.samples[0].volume = 64;
  m.samples[0].loopStart = 0;
  m.samples[0].loopLength = 200;
  m.samples[0].data8.assign(200, 50);
  if (!saveMod(m, Folder() + "/song.mod")) std::abort();
}

void AddResource(tarvolin::project::Project& p, const char* name, const char* file,
                 tarvolin::project::ResourceKind kind) {
  tarvolin::project::Resource r;
  r.name = name;
  r.file = Folder() + "/" + file;
  r.kind = kind;
  p.resources().add(r);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  MakeFiles();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvolin::script;
  using namespace tarvolin::commands;
  using tarvolin::project::ResourceKind;
  QuietHost host;
  std::string working;
  tarvolin::project::Project project(host, working);
  AddResource(project, "beep", "beep.wav", ResourceKind::SoundEffect);
  AddResource(project, "wide", "wide.wav", ResourceKind::SoundEffect);
  AddResource(project, "song", "song.mod", ResourceKind::MusicTrack);
  AddResource(project, "missing", "nothing.wav", ResourceKind::SoundEffect);
  AddResource(project, "wrong", "beep.wav", ResourceKind::MusicTrack);
  tarvolin::sound::AudioEngine engine;
  engine.SetModuleLoader(tarvolin::sound::LoadModulePlayer);
  tarvolin::GameAudio audio(engine, 60);
  if (!audio.Open("")) std::abort();
  SoundCommands sound;
  sound.bind(&project, &engine);
  // A buffer is rendered now and then.
  tarvolin::fuzz::RunFamilyScript(host, &sound, std::string(reinterpret_cast<const char*>(data), size), 4, [&] {
    for (int k = 0; k < 3; ++k) audio.FrameRan();
  });
  return 0;
}
