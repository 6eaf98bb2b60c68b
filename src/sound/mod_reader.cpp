#include "sound/mod_reader.h"
#include "platform/files.h"

#include <algorithm>

#include "sound/module_bytes.h"

namespace tarvolin::sound {

namespace {

constexpr std::size_t kSignatureOffset = 1080;
constexpr std::size_t kPatternOffset = 1084;
constexpr int kSampleCount = 31;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int modChannelsFromSignature(std::string_view s) {
  if (s.size() < 4) return 4;
  int count = 0;
  if (s[1] == 'C') {
    count = isDigit(s[0]) ? s[0] - '0' : 0;
  } else if (s[2] == 'C') {
    count = (isDigit(s[0]) && isDigit(s[1])) ? (s[0] - '0') * 10 + (s[1] - '0') : 0;
  } else {
    return 4;
  }
  // A "C" signature without a usable number names no channel count.
  return count > 0 ? count : 4;
}

bool looksLikeMod(std::string_view bytes) {
  detail::ByteView in(bytes);
  if (!in.has(0, kPatternOffset)) return false;
  // A song of 1..128 positions that play patterns 0..127, and sample headers
  // whose finetune byte holds a nibble: what every tracker writes, and what
  // no other kind of file (a text, an image, a sample) holds by chance.
  const int songLength = in.u8(950);
  if (songLength < 1 || songLength > 128) return false;
  for (int i = 0; i < songLength; ++i)
    if (in.u8(952 + static_cast<std::size_t>(i)) >= 128) return false;
  for (int s = 0; s < kSampleCount; ++s)
    if (in.u8(20 + static_cast<std::size_t>(s) * 30 + 24) > 15) return false;
  return true;
}

bool readMod(std::string_view bytes, MusicModule& out) {
  detail::ByteView in(bytes);
  if (!looksLikeMod(bytes)) return false;

  MusicModule m;
  m.kind = ModuleKind::Mod;
  m.channelCount = modChannelsFromSignature(bytes.substr(kSignatureOffset, 4));
  m.songLength = std::min<int>(in.u8(950), 128);
  m.restartPosition = 0;
  m.initialSpeed = 6;
  m.tempo = 125;
  m.orders.resize(128);
  int patternCount = 0;
  for (int i = 0; i < 128; ++i) {
    m.orders[i] = in.u8(952 + i);
    patternCount = std::max(patternCount, m.orders[i] + 1);
  }
  m.title = in.text(0, 20);

  struct Header {
    std::uint32_t length, loopStart, loopLength;
  };
  std::vector<Header> headers(kSampleCount);
  m.samples.resize(kSampleCount);
  for (int s = 0; s < kSampleCount; ++s) {
    const std::size_t at = 20 + static_cast<std::size_t>(s) * 30;
    ModuleSample& sample = m.samples[s];
    sample.name = in.text(at, 22);
    headers[s].length = in.be16(at + 22) * 2u;
    int finetune = in.u8(at + 24) & 15;
    sample.finetune = finetune > 7 ? finetune - 16 : finetune;
    sample.volume = std::min<int>(in.u8(at + 25), 64);
    headers[s].loopStart = in.be16(at + 26) * 2u;
    headers[s].loopLength = in.be16(at + 28) * 2u;
  }

  // Patterns: cells past the end of the data stay empty.
  const std::size_t cellsPerPattern = 64u * static_cast<std::size_t>(m.channelCount);
  m.patterns.resize(patternCount);
  std::size_t at = kPatternOffset;
  for (Pattern& p : m.patterns) {
    p.rows = 64;
    p.cells.resize(cellsPerPattern);
    for (PatternCell& c : p.cells) {
      if (in.has(at, 4)) {
        const std::uint8_t b0 = in.u8(at), b1 = in.u8(at + 1), b2 = in.u8(at + 2), b3 = in.u8(at + 3);
        c.note = static_cast<std::uint8_t>(noteOfModPeriod((b0 & 15) * 256 + b1));
        c.instrument = static_cast<std::uint8_t>((b0 & 0xF0) | (b2 >> 4));
        c.effect = b2 & 15;
        c.parameter = b3;
      }
      at += 4;
    }
  }

  // Sample data in order; a sample cut by the end of the file keeps what is there.
  for (int s = 0; s < kSampleCount; ++s) {
    ModuleSample& sample = m.samples[s];
    const std::uint32_t wanted = headers[s].length;
    const std::uint32_t held = static_cast<std::uint32_t>(std::min<std::size_t>(wanted, in.available(at)));
    sample.data8.resize(held);
    for (std::uint32_t i = 0; i < held; ++i) sample.data8[i] = in.s8(at + i);
    sample.length = held;
    at += wanted;
    sample.loopStart = std::min(headers[s].loopStart, held);
    sample.loopLength = std::min(headers[s].loopLength, held - sample.loopStart);
    sample.loopType = sample.loopLength > 2 ? 1 : 0;
  }

  out = std::move(m);
  return true;
}

bool loadMod(const std::string& path, MusicModule& out) {
  std::string bytes;
  if (!platform::readWholeFile(path, bytes)) return false;
  return readMod(bytes, out);
}

}  // namespace tarvolin::sound
