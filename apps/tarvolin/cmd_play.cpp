// tarvolin play FILE [--out OUT.wav] [--seconds S]
// Plays a sound through the mixer on the audio device, or, with --out, renders
// it through the WAV recorder as fast as it can. Each kind of file is one row
// of the format table below.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "commands.h"
#include "common/host.h"
#include "common/text.h"
#include "platform/paths.h"
#include "platform/wav_recorder.h"
#include "common/errors.h"
#include "sound/audio_engine.h"
#include "sound/music_player.h"
#ifdef TARVOLIN_HAVE_SDL
#include "platform/sdl/sdl_audio_output.h"
#endif

namespace tarvolin::cli {
namespace {

// Messages go to the terminal; questions take their default answer.
class ConsoleHost : public Host {
 public:
  void outputLine(std::string_view text) override {
    std::fprintf(stdout, "%.*s\n", static_cast<int>(text.size()), text.data());
  }
  MessageAnswer messageBox(std::string_view, std::string_view text, MessageButtons,
                           MessageAnswer answer) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    return answer;
  }
};

// How one kind of file is started and when it has finished.
struct PlayFormat {
  const char* extension;
  // Starts `path` on the engine; false with the reason in `error`.
  bool (*start)(sound::AudioEngine& engine, const std::string& path, std::string& error);
  // Whether it is still sounding.
  bool (*playing)(sound::AudioEngine& engine);
};

bool startWav(sound::AudioEngine& engine, const std::string& path, std::string& error) {
  // Loaded first, so a bad file is reported even without a device.
  if (!engine.GetSound(path, true)) {
    error = std::string(MessageFor(err::kNotWavResource));
    return false;
  }
  if (engine.PlaySoundSimple(path) != sound::PlayStatus::Ok) {
    error = std::string(MessageFor(err::kNoFreeChannel));
    return false;
  }
  return true;
}

bool anyChannelPlaying(sound::AudioEngine& engine) {
  for (int ch = 0; ch < sound::kMixChannels; ++ch)
    if (engine.IsChannelPlaying(ch)) return true;
  return false;
}

bool startModule(sound::AudioEngine& engine, const std::string& path, std::string& error) {
  const std::string name(platform::fileNameOf(path));
  const bool xm = name.size() > 3 && equalsIgnoreCase(name.substr(name.size() - 3), ".xm");
  std::unique_ptr<sound::MusicPlayer> song =
      sound::MusicPlayer::Load(path, xm ? sound::ModuleKind::Xm : sound::ModuleKind::Mod);
  if (!song) {
    error = std::string(MessageFor(err::kMusicPlayFailed));
    return false;
  }
  // The mixer plays a copy that shares the song.
  if (!engine.PlayModule(*song)) {
    error = std::string(MessageFor(err::kNoFreeChannel));
    return false;
  }
  return true;
}

// A song plays until it first goes back to an earlier place.
bool songPlaying(sound::AudioEngine& engine) {
  return engine.WithMixer([](sound::Mixer& m) {
    const auto* player = dynamic_cast<const sound::MusicPlayer*>(m.module());
    return m.playing && player != nullptr && player->timesLooped() == 0;
  });
}

const PlayFormat kFormats[] = {
    {"wav", startWav, anyChannelPlaying},
    {"mod", startModule, songPlaying},
    {"xm", startModule, songPlaying},
};

const PlayFormat* formatOf(const std::string& path) {
  std::string_view name = platform::fileNameOf(path);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  for (const PlayFormat& f : kFormats)
    if (equalsIgnoreCase(name.substr(dot + 1), f.extension)) return &f;
  return nullptr;
}

constexpr double kLongest = 600.0;   // seconds, when --seconds is not given
constexpr std::uint32_t kDrainMs = 150;  // buffers in flight and the last tail

int usage() {
  std::fprintf(stderr, "Uso: tarvolin play ARCHIVO [--out SALIDA.wav] [--seconds S]\n");
  return 2;
}

int record(sound::AudioEngine& engine, const PlayFormat& format, const std::string& file,
           const std::string& out, double seconds) {
  platform::WavRecorderOutput recorder(out);
  if (!engine.InitAudio(recorder)) {
    std::fprintf(stderr, "tarvolin play: no se puede crear '%s'\n", out.c_str());
    return 1;
  }
  std::string error;
  if (!format.start(engine, file, error)) {
    recorder.Discard();
    engine.ShutdownAudio();
    std::fprintf(stderr, "tarvolin play: %s\n", error.c_str());
    return 1;
  }
  if (seconds > 0) {
    recorder.AdvanceFrames(static_cast<std::uint32_t>(seconds * platform::kAudioRate));
  } else {
    // 50 ms of game time per step until it falls silent, then let the
    // buffers already rendered reach the file.
    for (std::uint32_t ms = 0; ms < kLongest * 1000 && format.playing(engine); ms += 50)
      recorder.AdvanceMilliseconds(50);
    recorder.AdvanceMilliseconds(kDrainMs);
  }
  engine.ShutdownAudio();
  if (!recorder.Finish()) {
    std::fprintf(stderr, "tarvolin play: ¡Error de escritura! (%s)\n", out.c_str());
    return 1;
  }
  std::printf("Grabado: %s (%llu muestras)\n", out.c_str(),
              static_cast<unsigned long long>(recorder.framesRecorded()));
  return 0;
}

int playOnDevice(sound::AudioEngine& engine, const PlayFormat& format, const std::string& file,
                 double seconds) {
  ConsoleHost host;
#ifdef TARVOLIN_HAVE_SDL
  std::unique_ptr<platform::AudioOutput> output = platform::CreateSdlAudioOutput();
#else
  std::unique_ptr<platform::AudioOutput> output = std::make_unique<platform::NullAudioOutput>();
#endif
  if (!engine.InitAudio(*output, &host)) return 1;
  std::string error;
  if (!format.start(engine, file, error)) {
    engine.ShutdownAudio();
    std::fprintf(stderr, "tarvolin play: %s\n", error.c_str());
    return 1;
  }
  const double limit = seconds > 0 ? seconds : kLongest;
  const auto begin = std::chrono::steady_clock::now();
  while (true) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    if (elapsed >= limit || (seconds <= 0 && !format.playing(engine))) break;
  }
  if (seconds <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(kDrainMs));
  engine.ShutdownAudio();
  return 0;
}

int runPlay(const Args& args) {
  std::string file, out;
  double seconds = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) {
      out = args[++i];
    } else if (args[i] == "--seconds" && i + 1 < args.size()) {
      char* end = nullptr;
      seconds = std::strtod(args[++i].c_str(), &end);
      if (*end != '\0' || !(seconds > 0) || seconds > 3600) return usage();
    } else if (file.empty() && !args[i].empty() && args[i][0] != '-') {
      file = args[i];
    } else {
      return usage();
    }
  }
  if (file.empty()) return usage();
  const PlayFormat* format = formatOf(file);
  if (!format) {
    std::fprintf(stderr, "tarvolin play: tipo de archivo no admitido '%s'\n", file.c_str());
    return 2;
  }
  const std::string path = platform::resolvePath("", file);
  if (!platform::fileExists(path)) {
    std::fprintf(stderr, "tarvolin play: no se encuentra el archivo '%s'\n", file.c_str());
    return 2;
  }
  sound::AudioEngine engine;
  return out.empty() ? playOnDevice(engine, *format, path, seconds)
                     : record(engine, *format, path, out, seconds);
}

const SubcommandRegistrar kPlay({40, "play", "ARCHIVO [--out SALIDA.wav] [--seconds S]  reproduce un sonido o una música (WAV, MOD, XM)",
                                 runPlay});

}  // namespace
}  // namespace tarvolin::cli
