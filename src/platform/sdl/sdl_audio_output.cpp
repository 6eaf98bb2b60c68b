#include "platform/sdl/sdl_audio_output.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <mutex>
#include <vector>

namespace tarvolin::platform {
namespace {

class SdlAudioOutput : public AudioOutput {
 public:
  ~SdlAudioOutput() override { Close(); }

  bool Open(BufferDone done) override {
    if (device_ != 0) return false;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // the signals are the program's
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    done_ = std::move(done);
    SDL_AudioSpec want{};
    want.freq = kAudioRate;
    want.format = AUDIO_U8;
    want.channels = kAudioChannels;
    want.samples = 1024;
    want.callback = &SdlAudioOutput::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void Close() override {
    if (device_ == 0) return;
    SDL_CloseAudioDevice(device_);  // waits for the callback to return
    device_ = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.clear();
    frontOffset_ = 0;
  }

  void Write(const std::uint8_t* bytes, std::size_t size) override {
    std::lock_guard<std::mutex> lock(queueLock_);
    // Reuse a played buffer so the device thread does not allocate.
    if (spare_.empty()) spare_.emplace_back();
    queue_.splice(queue_.end(), spare_, spare_.begin());
    queue_.back().assign(bytes, bytes + size);
  }

  void Pause() override {
    if (device_ != 0) SDL_PauseAudioDevice(device_, 1);
  }
  void Resume() override {
    if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
  }

 private:
  static void callback(void* self, Uint8* stream, int len) {
    static_cast<SdlAudioOutput*>(self)->fill(stream, static_cast<std::size_t>(len));
  }

  // Runs on SDL's audio thread.
  void fill(std::uint8_t* stream, std::size_t len) {
    while (len > 0) {
      bool finished = false;
      {
        std::lock_guard<std::mutex> lock(queueLock_);
        if (queue_.empty()) break;
        std::vector<std::uint8_t>& front = queue_.front();
        std::size_t take = std::min(len, front.size() - frontOffset_);
        std::memcpy(stream, front.data() + frontOffset_, take);
        stream += take;
        len -= take;
        frontOffset_ += take;
        if (frontOffset_ >= front.size()) {
          spare_.splice(spare_.end(), queue_, queue_.begin());
          frontOffset_ = 0;
          finished = true;
        }
      }
      if (finished && done_) done_();  // outside the queue lock: it writes
    }
    if (len > 0) std::memset(stream, 128, len);  // nothing queued: silence
  }

  SDL_AudioDeviceID device_ = 0;
  BufferDone done_;
  std::mutex queueLock_;
  std::list<std::vector<std::uint8_t>> queue_;
  std::list<std::vector<std::uint8_t>> spare_;
  std::size_t frontOffset_ = 0;
};

}  // namespace

std::unique_ptr<AudioOutput> CreateSdlAudioOutput() { return std::make_unique<SdlAudioOutput>(); }

}  // namespace tarvolin::platform
