#include "sound/audio_engine.h"

#include "common/host.h"
#include "common/text.h"
#include "platform/paths.h"

namespace tarvolin::sound {
namespace {

constexpr const char* kInitText = "Inicializando el motor de audio...";
constexpr const char* kInitFailedText =
    "¡Fallo al inicializar el motor de audio! No habrá ni música ni sonido disponible.";
constexpr const char* kShutdownText = "Apagando el motor de audio...";

ModuleKind kindOfPath(const std::string& path) {
  std::string_view name = platform::fileNameOf(path);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return ModuleKind::None;
  std::string_view ext = name.substr(dot + 1);
  if (equalsIgnoreCase(ext, "xm")) return ModuleKind::Xm;
  if (equalsIgnoreCase(ext, "mod")) return ModuleKind::Mod;
  return ModuleKind::None;
}

}  // namespace

AudioEngine::AudioEngine() {
  mixers_[0] = std::make_unique<Mixer>();
  mixers_[1] = std::make_unique<Mixer>();
  current_ = mixers_[0].get();
  for (auto& b : buffers_) b.fill(128);
}

AudioEngine::~AudioEngine() { ShutdownAudio(); }

bool AudioEngine::InitAudio(platform::AudioOutput& output, Host* host) {
  if (IsInitialised()) return true;
  if (host) host->progress(0, kInitText);
  {
    std::lock_guard<std::mutex> lock(lock_);
    for (auto& b : buffers_) b.fill(128);
    turn_ = 0;
  }
  const bool opened = output.Open([this] { OnBufferDone(); });
  // The progress window goes before the failure box, so that neither
  // covers the other and nothing waits for it afterwards.
  if (host) host->progress(100, kInitText);
  if (!opened) {
    if (host) host->messageBox("Tarvolin", kInitFailedText, MessageButtons::Ok, MessageAnswer::Ok);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(lock_);
    output_ = &output;
    initialised_ = true;
    paused_ = false;
    current_ = mixers_[0].get();
  }
  // 100 ms of silence to start the cycle.
  writeNextBuffer(false);
  writeNextBuffer(false);
  return true;
}

void AudioEngine::ShutdownAudio(Host* host) {
  platform::AudioOutput* output = nullptr;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (!initialised_) return;
    output = output_;
  }
  if (host) host->progress(100, kShutdownText);
  ResumeAudio();
  output->Close();
  std::lock_guard<std::mutex> lock(lock_);
  initialised_ = false;
  paused_ = false;
  output_ = nullptr;
}

bool AudioEngine::IsInitialised() const {
  std::lock_guard<std::mutex> lock(lock_);
  return initialised_;
}

void AudioEngine::OnBufferDone() { writeNextBuffer(true); }

void AudioEngine::writeNextBuffer(bool render) {
  std::lock_guard<std::mutex> writing(writeLock_);
  platform::AudioOutput* output = nullptr;
  const std::uint8_t* data = nullptr;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (!initialised_ || !output_) return;
    auto& buffer = buffers_[turn_];
    if (render && !paused_)
      current_->Render(buffer.data(), platform::kAudioBufferFrames);
    else
      buffer.fill(128);  // keeps the cycle going without replaying old sound
    data = buffer.data();
    output = output_;
    turn_ ^= 1;
  }
  // Outside the audio lock: a device may wait for its own thread, which may
  // be waiting for the audio lock.
  output->Write(data, platform::kAudioBufferBytes);
}

void AudioEngine::SelectMixer(bool useGameMixer) {
  bool resume = false, pause = false;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (!initialised_) return;
    if (useGameMixer) {
      current_ = mixers_[0].get();
      pause = pausedBeforeTool_;
      resume = !pausedBeforeTool_;
    } else {
      mixers_[1]->Reset();
      current_ = mixers_[1].get();
      pausedBeforeTool_ = paused_;
      resume = true;
    }
  }
  if (pause) PauseAudio();
  if (resume) ResumeAudio();
}

bool AudioEngine::PlayMusicResource(const std::string& path) {
  if (!IsInitialised()) return true;
  StopMusic();
  const ModuleKind kind = kindOfPath(path);
  if (kind == ModuleKind::None || !loader_) return false;
  std::unique_ptr<ModulePlayer> module = loader_(path, kind);
  if (!module) return false;
  std::lock_guard<std::mutex> lock(lock_);
  return current_->StartModule(std::move(module));
}

bool AudioEngine::PlayModule(const ModulePlayer& module, int startOrder) {
  std::lock_guard<std::mutex> lock(lock_);
  if (!initialised_) return true;
  Mixer& m = *current_;
  bool started = m.module() == &module ? m.RestartModule() : m.StartModule(module.Clone());
  if (!started) return false;
  if (startOrder >= 0 && startOrder < m.module()->OrderLimit()) m.orderPosition = startOrder;
  return true;
}

void AudioEngine::StopMusic() {
  std::lock_guard<std::mutex> lock(lock_);
  if (initialised_) current_->StopMusic();
}

void AudioEngine::StopMusicAndLoops() {
  std::lock_guard<std::mutex> lock(lock_);
  if (initialised_) current_->StopMusicAndLoops();
}

PlayStatus AudioEngine::PlaySound(const std::string& path, int& channel, const SoundParams& params) {
  if (!IsInitialised()) return PlayStatus::Ok;
  SampleData* sample = GetSound(path, true);  // loaded before the lock is taken
  if (!sample) return PlayStatus::NotLoaded;
  std::lock_guard<std::mutex> lock(lock_);
  return current_->StartSound(*sample, channel, params) ? PlayStatus::Ok : PlayStatus::NoChannel;
}

PlayStatus AudioEngine::PlaySoundSimple(const std::string& path) {
  int channel = -1;
  return PlaySound(path, channel, SoundParams{});
}

bool AudioEngine::PlaySample(SampleData& sample, int* channel) {
  std::lock_guard<std::mutex> lock(lock_);
  if (!initialised_) return true;
  int ch = -1;
  if (!current_->StartSound(sample, ch, SoundParams{})) return false;
  if (channel) *channel = ch;
  return true;
}

void AudioEngine::StopSound(int channel) {
  std::lock_guard<std::mutex> lock(lock_);
  if (initialised_) current_->StopSound(channel);
}

void AudioEngine::StopSample(const SampleData* sample) {
  std::lock_guard<std::mutex> lock(lock_);
  for (auto& m : mixers_) m->ReleaseSample(sample);
}

void AudioEngine::SetSoundChannels(int selector, const ChannelChanges& changes) {
  std::lock_guard<std::mutex> lock(lock_);
  if (initialised_) current_->SetSoundChannels(selector, changes);
}

void AudioEngine::PauseAudio() {
  platform::AudioOutput* output = nullptr;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (!initialised_ || paused_) return;
    paused_ = true;
    output = output_;
  }
  output->Pause();
}

void AudioEngine::ResumeAudio() {
  platform::AudioOutput* output = nullptr;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (!initialised_ || !paused_) return;
    paused_ = false;
    output = output_;
  }
  output->Resume();
}

bool AudioEngine::IsAudioPaused() const {
  std::lock_guard<std::mutex> lock(lock_);
  return paused_;
}

bool AudioEngine::IsChannelPlaying(int channel) const {
  std::lock_guard<std::mutex> lock(lock_);
  return initialised_ && current_->IsChannelPlaying(channel);
}

SampleData* AudioEngine::GetSound(const std::string& path, bool wantMono) {
  return cache_.Get(path, wantMono);
}

void AudioEngine::ClearCache() {
  {
    std::lock_guard<std::mutex> lock(lock_);
    current_->StopSound(-1);
    // The other mixer may play cached samples too; none may outlive them.
    for (std::size_t i = 0; i < cache_.size(); ++i)
      for (auto& m : mixers_) m->ReleaseSample(cache_.sampleAt(i));
  }
  cache_.Clear();
}

}  // namespace tarvolin::sound
