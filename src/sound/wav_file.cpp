// WAV reading and writing. The reader walks the RIFF chunk list, so files with
// a longer format chunk or with other chunks ("fact", "LIST", ...) before the
// data load as well; the writer always writes the canonical 44-byte header.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/paths.h"
#include "platform/files.h"
#include "sound/sample_data.h"

namespace tarvolin::sound {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void putTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

bool tagIs(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The tail of the PCM sub-format GUID, after its first two bytes (0x0001).
constexpr std::uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                           0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool isPcmFormat(const std::uint8_t* fmt, std::uint32_t size) {
  std::uint16_t tag = le16(fmt);
  if (tag == kFormatPcm) return true;
  if (tag != kFormatExtensible || size < 40) return false;
  return le16(fmt + 24) == kFormatPcm && std::memcmp(fmt + 26, kPcmGuidTail, 14) == 0;
}

}  // namespace

bool ParseWav(SampleData& sample, const std::uint8_t* data, std::size_t size) {
  sample.Clear();
  if (!data || size < 12 || !tagIs(data, "RIFF") || !tagIs(data + 8, "WAVE")) return false;

  const std::uint8_t* fmt = nullptr;
  std::uint32_t fmtSize = 0;
  const std::uint8_t* body = nullptr;
  std::size_t bodySize = 0;
  std::size_t pos = 12;
  while (pos + 8 <= size && !(fmt && body)) {
    const std::uint8_t* id = data + pos;
    std::size_t chunkSize = le32(data + pos + 4);
    std::size_t start = pos + 8;
    std::size_t held = std::min(chunkSize, size - start);  // cut to what the file holds
    if (tagIs(id, "fmt ") && !fmt) {
      if (held < 16) return false;
      fmt = data + start;
      fmtSize = static_cast<std::uint32_t>(held);
    } else if (tagIs(id, "data") && !body) {
      body = data + start;
      bodySize = held;
    }
    // Chunks are padded to an even size.
    std::size_t next = start + chunkSize + (chunkSize & 1);
    if (next <= pos || next > size) break;
    pos = next;
  }
  if (!fmt || !body) return false;

  std::uint16_t channels = le16(fmt + 2);
  std::uint32_t rate = le32(fmt + 4);
  std::uint16_t bits = le16(fmt + 14);
  if (!isPcmFormat(fmt, fmtSize) || (bits != 8 && bits != 16) || (channels != 1 && channels != 2))
    return false;
  if (bodySize > 0xFFFFFFFFu) bodySize = 0xFFFFFFFFu;

  sample.layout = channels == 2 ? SampleLayout::Stereo : SampleLayout::Mono;
  sample.rate = rate;
  sample.bits = bits;
  sample.assign(body, static_cast<std::uint32_t>(bodySize));
  if (bits == 8) {
    std::uint8_t* b = sample.bytes();
    for (std::uint32_t i = 0; i < sample.length(); ++i) b[i] = static_cast<std::uint8_t>(b[i] - 128);
  }
  return true;
}

bool LoadWav(SampleData& sample, const std::string& path) {
  sample.Clear();
  std::vector<std::uint8_t> bytes;
  if (!platform::readWholeFile(platform::resolvePath("", path), bytes) || bytes.empty()) return false;
  return ParseWav(sample, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> EncodeWav(const SampleData& sample) {
  const std::uint16_t channels = static_cast<std::uint16_t>(sample.channels());
  const std::uint16_t bits = static_cast<std::uint16_t>(sample.bits);
  const std::uint16_t blockAlign = static_cast<std::uint16_t>((bits / 8) * channels);
  std::vector<std::uint8_t> out;
  out.reserve(44 + static_cast<std::size_t>(sample.length()));
  putTag(out, "RIFF");
  put32(out, 36 + sample.length());
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  put32(out, 16);
  put16(out, kFormatPcm);
  put16(out, channels);
  put32(out, sample.rate);
  put32(out, blockAlign * sample.rate);
  put16(out, blockAlign);
  put16(out, bits);
  putTag(out, "data");
  put32(out, sample.length());
  const std::uint8_t* b = sample.bytes();
  if (sample.bits == 8) {
    for (std::uint32_t i = 0; i < sample.length(); ++i) out.push_back(static_cast<std::uint8_t>(b[i] + 128));
  } else {
    out.insert(out.end(), b, b + sample.length());
  }
  return out;
}

bool SaveWav(const SampleData& sample, const std::string& path) {
  const std::vector<std::uint8_t> bytes = EncodeWav(sample);
  return platform::safeWrite(platform::resolvePath("", path), bytes);
}

}  // namespace tarvolin::sound
