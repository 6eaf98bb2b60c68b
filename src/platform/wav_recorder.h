// An audio output that writes what would be played to a WAV file (44100 Hz,
// 8-bit, stereo) instead of a device. Time passes only when the owner says so:
// AdvanceFrames plays that many frames, finishing buffers and asking the
// engine for the next ones, so a headless run records 2205 frames per 50 ms
// of game time. Paused, it records nothing.
//
// The file is written beside the destination and renamed over it by Finish,
// so an interrupted run never leaves a half-written file in its place.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/audio_output.h"

namespace tarvolin::platform {

class WavRecorderOutput : public AudioOutput {
 public:
  explicit WavRecorderOutput(std::string path);
  ~WavRecorderOutput() override;

  bool Open(BufferDone done) override;
  void Close() override;
  void Write(const std::uint8_t* bytes, std::size_t size) override;
  void Pause() override { paused_ = true; }
  void Resume() override { paused_ = false; }

  // Plays `frames` frames: writes them to the file and reports each buffer
  // that has been played through. With nothing queued, nothing is recorded.
  void AdvanceFrames(std::uint32_t frames);
  // Plays `milliseconds` of time (44.1 frames each; remainders carry over).
  void AdvanceMilliseconds(std::uint32_t milliseconds);

  // Completes the header and puts the file in place; false when writing
  // failed. Close calls it too.
  bool Finish();
  // Stops recording and deletes what was recorded; no file is made.
  void Discard();

  std::uint64_t framesRecorded() const { return bytesWritten_ / kAudioChannels; }
  bool failed() const { return failed_; }

 private:
  void writeHeader(std::uint32_t dataBytes);

  std::string path_;
  std::string tempPath_;
  std::FILE* file_ = nullptr;
  BufferDone done_;
  std::deque<std::vector<std::uint8_t>> queue_;
  std::size_t frontOffset_ = 0;
  std::uint64_t bytesWritten_ = 0;
  std::uint32_t millisecondRemainder_ = 0;
  bool paused_ = false;
  bool failed_ = false;
};

}  // namespace tarvolin::platform
