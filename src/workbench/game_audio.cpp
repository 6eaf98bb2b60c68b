#include "workbench/game_audio.h"

#include <algorithm>
#include <deque>

#include "platform/wav_recorder.h"
#include "sound/audio_engine.h"

namespace tarvolin {

// An output that plays its buffers into nothing as game time passes.
class GameAudio::Discard : public platform::AudioOutput {
 public:
  bool Open(BufferDone done) override {
    done_ = std::move(done);
    queued_.clear();
    offset_ = 0;
    paused_ = false;
    return true;
  }
  void Close() override {
    queued_.clear();
    offset_ = 0;
  }
  void Write(const std::uint8_t*, std::size_t size) override {
    if (size > 0) queued_.push_back(size);
  }
  void Pause() override { paused_ = true; }
  void Resume() override { paused_ = false; }

  void AdvanceFrames(std::uint32_t frames) {
    std::uint64_t bytes = std::uint64_t(frames) * platform::kAudioChannels;
    while (!paused_ && bytes > 0 && !queued_.empty()) {
      const std::size_t take = std::size_t(std::min<std::uint64_t>(bytes, queued_.front() - offset_));
      offset_ += take;
      bytes -= take;
      if (offset_ >= queued_.front()) {
        queued_.pop_front();
        offset_ = 0;
        if (done_) done_();  // the engine writes the next buffer
      }
    }
  }

 private:
  BufferDone done_;
  std::deque<std::size_t> queued_;  // sizes of the buffers not yet played
  std::size_t offset_ = 0;          // bytes of the front buffer played
  bool paused_ = false;
};

int FramePeriodMilliseconds(int displayRate) {
  return displayRate >= 5 && displayRate <= 100 ? 1000 / displayRate : 16;
}

GameAudio::GameAudio(sound::AudioEngine& engine, int displayRate)
    : engine_(engine), periodMs_(FramePeriodMilliseconds(displayRate)) {}

GameAudio::~GameAudio() { Close(); }

bool GameAudio::Open(const std::string& wavPath) {
  // The engine plays into one output at a time.
  if (open_ || engine_.IsInitialised()) return false;
  platform::AudioOutput* output = nullptr;
  if (!wavPath.empty()) {
    recorder_ = std::make_unique<platform::WavRecorderOutput>(wavPath);
    output = recorder_.get();
  } else {
    discard_ = std::make_unique<Discard>();
    output = discard_.get();
  }
  if (!engine_.InitAudio(*output)) {
    recorder_.reset();
    discard_.reset();
    return false;
  }
  open_ = true;
  framesPlayed_ = 0;
  remainder_ = 0;
  return true;
}

void GameAudio::Advance(std::uint32_t frames) {
  if (recorder_) recorder_->AdvanceFrames(frames);
  if (discard_) discard_->AdvanceFrames(frames);
  framesPlayed_ += frames;
}

void GameAudio::FrameRan() {
  if (!open_) return;
  // 44.1 frames a millisecond; the thousandths carry over to the next frame.
  const std::uint64_t total = std::uint64_t(periodMs_) * platform::kAudioRate + remainder_;
  remainder_ = std::uint32_t(total % 1000);
  Advance(std::uint32_t(total / 1000));
}

bool GameAudio::Close() {
  if (!open_) return true;
  open_ = false;
  engine_.ShutdownAudio();  // closes the output, which completes the file
  const bool ok = !recorder_ || !recorder_->failed();
  recorder_.reset();
  discard_.reset();
  return ok;
}

}  // namespace tarvolin
