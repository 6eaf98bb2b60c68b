#include "sound/sample_data.h"

#include <algorithm>
#include <cstring>

namespace tarvolin::sound {

SampleData::SampleData(const SampleData& other)
    : layout(other.layout), bits(other.bits), rate(other.rate), useCount(0),
      store_(other.store_), length_(other.length_) {}

SampleData& SampleData::operator=(const SampleData& other) {
  if (this != &other) {
    layout = other.layout;
    bits = other.bits;
    rate = other.rate;
    store_ = other.store_;
    length_ = other.length_;
  }
  return *this;
}

SampleData SampleData::Blank(std::uint32_t length, int bits, std::uint32_t rate, int channels) {
  SampleData s;
  s.bits = bits;
  s.rate = rate;
  s.layout = channels == 2 ? SampleLayout::Stereo : SampleLayout::Mono;
  s.assign(nullptr, length);
  return s;
}

SampleData SampleData::CopyRange(const SampleData& other, std::uint32_t start, std::uint32_t end) {
  SampleData s;
  s.layout = other.layout;
  s.bits = other.bits;
  s.rate = other.rate;
  end = std::min(end, other.length());
  start = std::min(start, end);
  s.assign(other.bytes() + start, end - start);
  return s;
}

void SampleData::Clear() {
  layout = SampleLayout::Mono;
  bits = 8;
  rate = 22050;
  store_.clear();
  store_.shrink_to_fit();
  length_ = 0;
}

void SampleData::assign(const std::uint8_t* from, std::uint32_t count) {
  store_.assign((static_cast<std::size_t>(count) + 1) / 2, 0);
  length_ = count;
  if (from && count) std::memcpy(bytes(), from, count);
}

void SampleData::resize(std::uint32_t count) {
  std::size_t words = (static_cast<std::size_t>(count) + 1) / 2;
  if (count < length_ && (count & 1)) bytes()[count] = 0;  // keep the pad byte zero
  store_.resize(words, 0);
  length_ = count;
}

std::uint32_t SampleData::frameCount() const {
  std::uint32_t frameBytes = static_cast<std::uint32_t>(std::max(1, bits / 8) * channels());
  return length_ / frameBytes;
}

void MakeMono(SampleData& sample) {
  if (sample.layout != SampleLayout::Stereo) return;
  std::uint32_t frames = sample.frameCount();
  if (sample.bits == 16) {
    std::vector<std::int16_t> mono(frames);
    const std::uint8_t* b = sample.bytes();
    for (std::uint32_t i = 0; i < frames; ++i) {
      auto left = static_cast<std::int16_t>(b[4 * i] | (b[4 * i + 1] << 8));
      auto right = static_cast<std::int16_t>(b[4 * i + 2] | (b[4 * i + 3] << 8));
      mono[i] = static_cast<std::int16_t>((left + right) >> 1);
    }
    std::vector<std::uint8_t> out(frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
      out[2 * i] = static_cast<std::uint8_t>(mono[i] & 0xFF);
      out[2 * i + 1] = static_cast<std::uint8_t>((mono[i] >> 8) & 0xFF);
    }
    sample.assign(out.data(), frames * 2);
  } else if (sample.bits == 8) {
    std::vector<std::uint8_t> out(frames);
    const std::int8_t* d = sample.data8();
    for (std::uint32_t i = 0; i < frames; ++i)
      out[i] = static_cast<std::uint8_t>(static_cast<std::int8_t>((d[2 * i] + d[2 * i + 1]) >> 1));
    sample.assign(out.data(), frames);
  } else {
    return;  // other depths are not played; leave them as they are
  }
  sample.layout = SampleLayout::Mono;
}

}  // namespace tarvolin::sound
