#include "platform/wav_recorder.h"

#include <algorithm>

namespace tarvolin::platform {

WavRecorderOutput::WavRecorderOutput(std::string path)
    : path_(std::move(path)), tempPath_(path_ + ".~rec") {}

WavRecorderOutput::~WavRecorderOutput() { Finish(); }

bool WavRecorderOutput::Open(BufferDone done) {
  if (file_) return false;
  file_ = std::fopen(tempPath_.c_str(), "wb");
  if (!file_) return false;
  done_ = std::move(done);
  queue_.clear();
  frontOffset_ = 0;
  bytesWritten_ = 0;
  paused_ = false;
  failed_ = false;
  writeHeader(0);
  return true;
}

void WavRecorderOutput::Close() {
  queue_.clear();
  frontOffset_ = 0;
  Finish();
}

void WavRecorderOutput::Write(const std::uint8_t* bytes, std::size_t size) {
  if (!file_) return;
  queue_.emplace_back(bytes, bytes + size);
}

void WavRecorderOutput::AdvanceFrames(std::uint32_t frames) {
  std::uint64_t bytes = static_cast<std::uint64_t>(frames) * kAudioChannels;
  while (file_ && !paused_ && bytes > 0 && !queue_.empty()) {
    std::vector<std::uint8_t>& front = queue_.front();
    std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, front.size() - frontOffset_));
    if (std::fwrite(front.data() + frontOffset_, 1, take, file_) != take) failed_ = true;
    bytesWritten_ += take;
    frontOffset_ += take;
    bytes -= take;
    if (frontOffset_ >= front.size()) {
      queue_.pop_front();
      frontOffset_ = 0;
      if (done_) done_();  // the engine writes the next buffer
    }
  }
}

void WavRecorderOutput::AdvanceMilliseconds(std::uint32_t milliseconds) {
  std::uint64_t total = static_cast<std::uint64_t>(milliseconds) * kAudioRate + millisecondRemainder_;
  millisecondRemainder_ = static_cast<std::uint32_t>(total % 1000);
  AdvanceFrames(static_cast<std::uint32_t>(total / 1000));
}

void WavRecorderOutput::writeHeader(std::uint32_t dataBytes) {
  std::uint8_t h[44];
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  auto put16 = [&](int at, std::uint32_t v) {
    h[at] = static_cast<std::uint8_t>(v);
    h[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  std::copy_n("RIFF", 4, h);
  put32(4, 36 + dataBytes);
  std::copy_n("WAVEfmt ", 8, h + 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, kAudioChannels);
  put32(24, kAudioRate);
  put32(28, kAudioRate * kAudioChannels);
  put16(32, kAudioChannels);
  put16(34, 8);
  std::copy_n("data", 4, h + 36);
  put32(40, dataBytes);
  if (std::fseek(file_, 0, SEEK_SET) != 0 || std::fwrite(h, 1, 44, file_) != 44) failed_ = true;
  std::fseek(file_, 0, SEEK_END);
}

void WavRecorderOutput::Discard() {
  queue_.clear();
  frontOffset_ = 0;
  if (!file_) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove(tempPath_.c_str());
}

bool WavRecorderOutput::Finish() {
  if (!file_) return !failed_;
  std::uint32_t dataBytes = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytesWritten_, 0xFFFFFFF0u));
  writeHeader(dataBytes);
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  if (!failed_ && std::rename(tempPath_.c_str(), path_.c_str()) != 0) failed_ = true;
  if (failed_) std::remove(tempPath_.c_str());
  return !failed_;
}

}  // namespace tarvolin::platform
