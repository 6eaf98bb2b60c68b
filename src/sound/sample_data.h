// An in-memory PCM sample: what sound effects, module players and the sound
// editor hand to the mixer. 8-bit data is held signed (-128..127) everywhere in
// memory; WAV files hold it unsigned and are converted when read and written.
// 16-bit data is signed little-endian, as in the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarvolin::sound {

enum class SampleLayout : std::uint8_t { Mono = 0, Stereo = 1 };

class SampleData {
 public:
  // The empty state: no data, mono, 8 bits, 22050 Hz, use count 0.
  SampleData() = default;

  // A full copy (layout, data, bits, rate); the copy's use count is 0.
  SampleData(const SampleData& other);
  SampleData& operator=(const SampleData& other);

  // A blank sample of `length` zeroed bytes; `channels` 2 gives stereo,
  // anything else mono.
  static SampleData Blank(std::uint32_t length, int bits, std::uint32_t rate, int channels);

  // A copy of the bytes [start, end) of `other` with its attributes; the
  // range is clamped to the data held.
  static SampleData CopyRange(const SampleData& other, std::uint32_t start, std::uint32_t end);

  // Back to the empty state (the use count is kept: channels may still
  // count on it until they are stopped).
  void Clear();

  SampleLayout layout = SampleLayout::Mono;
  int bits = 8;                 // 8 or 16 for playable samples
  std::uint32_t rate = 22050;   // Hz
  int useCount = 0;             // mixer channels playing this sample

  std::uint32_t length() const { return length_; }
  bool empty() const { return length_ == 0; }
  // Raw bytes as held (8-bit signed, or 16-bit little-endian pairs).
  std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(store_.data()); }
  const std::uint8_t* bytes() const { return reinterpret_cast<const std::uint8_t*>(store_.data()); }
  const std::int8_t* data8() const { return reinterpret_cast<const std::int8_t*>(store_.data()); }
  const std::int16_t* data16() const { return store_.data(); }
  // Replaces the data with `count` bytes (zeroed when `from` is null).
  void assign(const std::uint8_t* from, std::uint32_t count);
  // Shortens or lengthens the data (new bytes are zero).
  void resize(std::uint32_t count);

  int channels() const { return layout == SampleLayout::Stereo ? 2 : 1; }
  // Whole frames the data holds (a trailing partial frame is not counted).
  std::uint32_t frameCount() const;

 private:
  // Kept as 16-bit words so 16-bit samples are aligned; 8-bit data uses the
  // same storage byte by byte.
  std::vector<std::int16_t> store_;
  std::uint32_t length_ = 0;
};

// Reads a WAV file into `sample` (emptied first). Accepts PCM (format 1, or
// the extensible format with a PCM sub-format), 8 or 16 bits, mono or stereo,
// with any other chunks in between. false for anything else.
bool LoadWav(SampleData& sample, const std::string& path);

// The same from bytes already in memory.
bool ParseWav(SampleData& sample, const std::uint8_t* data, std::size_t size);

// Writes the canonical 44-byte header and the data. The file is written
// beside the destination first and then renamed over it, so a failed save
// leaves any old file as it was; a file that already holds these bytes is
// left untouched.
bool SaveWav(const SampleData& sample, const std::string& path);

// The bytes SaveWav writes.
std::vector<std::uint8_t> EncodeWav(const SampleData& sample);

// Stereo to mono, (left + right) >> 1 per frame on the signed values, for 8
// and 16 bits. Mono samples are left alone.
void MakeMono(SampleData& sample);

}  // namespace tarvolin::sound
