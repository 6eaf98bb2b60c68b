#include "sound/xm_reader.h"
#include "platform/files.h"

#include <algorithm>

#include "sound/module_bytes.h"

namespace tarvolin::sound {

namespace {

constexpr std::string_view kXmId = "Extended Module: ";
constexpr int kMaxChannels = 64;
constexpr int kMaxPatterns = 256;
constexpr int kMaxInstruments = 128;
constexpr std::uint32_t kMinInstrumentHeader = 29;
constexpr std::uint32_t kSampleHeaderSize = 40;

// Reads one packed pattern body into `p`, never past `end`.
void unpackPattern(const detail::ByteView& in, std::size_t at, std::size_t end, int channels,
                   Pattern& p) {
  p.cells.assign(static_cast<std::size_t>(p.rows) * channels, PatternCell{});
  for (PatternCell& c : p.cells) {
    if (at >= end) break;
    std::uint8_t mask = 0x1F;
    std::uint8_t first = in.u8(at);
    if (first & 0x80) {
      mask = first & 0x1F;
      ++at;
    }
    std::uint8_t fields[5] = {0, 0, 0, 0, 0};
    for (int f = 0; f < 5; ++f) {
      if ((mask & (1 << f)) == 0) continue;
      fields[f] = at < end ? in.u8(at) : 0;
      ++at;
    }
    const std::uint8_t note = fields[0];
    if (note >= 1 && note <= 96)
      c.note = static_cast<std::uint8_t>(note + 12);
    else if (note == 97)
      c.note = kNoteKeyOff;
    c.instrument = fields[1];
    std::uint8_t e = 0, prm = 0;
    if (volumeColumnEffect(fields[2], e, prm)) {
      c.volumeEffect = e;
      c.volumeParameter = prm;
    }
    c.effect = fields[3];
    c.parameter = fields[4];
  }
}

void readEnvelope(const detail::ByteView& in, std::size_t pointsAt, int count, int sustain,
                  int loopStart, int loopEnd, int type, Envelope& env) {
  for (int i = 0; i < 12; ++i) {
    env.points[i].x = in.le16(pointsAt + i * 4u);
    env.points[i].y = std::min<int>(in.le16(pointsAt + i * 4u + 2), 64);
  }
  env.count = std::min(count, 12);
  const int last = std::max(env.count - 1, 0);
  env.sustain = std::min(sustain, last);
  env.loopStart = std::min(loopStart, last);
  env.loopEnd = std::clamp(loopEnd, env.loopStart, last);
  env.type = type & 7;
}

// Reads one instrument starting at `at`; returns the offset after its sample data.
std::size_t readInstrument(const detail::ByteView& in, std::size_t at, Instrument& ins) {
  std::uint32_t size = in.le32(at);
  if (size < kMinInstrumentHeader) size = kMinInstrumentHeader;
  const std::size_t headerEnd = at + size;
  // Fields the header size does not cover read as zero.
  auto field8 = [&](std::size_t rel) -> int { return at + rel < headerEnd ? in.u8(at + rel) : 0; };
  auto field16 = [&](std::size_t rel) -> int { return at + rel + 1 < headerEnd ? in.le16(at + rel) : 0; };

  ins.name = in.text(at + 4, 22);
  const int sampleCount = field16(27);
  std::size_t next = headerEnd;
  if (sampleCount == 0) return next;

  std::uint32_t sampleHeaderSize = at + 33 <= headerEnd ? in.le32(at + 29) : kSampleHeaderSize;
  if (sampleHeaderSize < kSampleHeaderSize) sampleHeaderSize = kSampleHeaderSize;
  for (int k = 0; k < 96; ++k) ins.keymap[k] = static_cast<std::uint8_t>(field8(33 + k));
  if (at + 241 <= headerEnd) {
    readEnvelope(in, at + 129, in.u8(at + 225), in.u8(at + 227), in.u8(at + 228), in.u8(at + 229),
                 in.u8(at + 233), ins.volumeEnvelope);
    readEnvelope(in, at + 177, in.u8(at + 226), in.u8(at + 230), in.u8(at + 231), in.u8(at + 232),
                 in.u8(at + 234), ins.panEnvelope);
  }
  ins.vibratoType = field8(235);
  ins.vibratoSweep = field8(236);
  ins.vibratoDepth = field8(237);
  ins.vibratoRate = field8(238);
  ins.fadeout = field16(239);

  struct Header {
    std::uint32_t bytes, loopStart, loopLength;
  };
  std::vector<Header> headers;
  for (int s = 0; s < sampleCount; ++s) {
    if (!in.has(next, kSampleHeaderSize)) break;  // headers cut by the end of the file
    Header h{in.le32(next), in.le32(next + 4), in.le32(next + 8)};
    ModuleSample sample;
    sample.volume = std::min<int>(in.u8(next + 12), 64);
    sample.finetune = in.s8(next + 13);
    const std::uint8_t type = in.u8(next + 14);
    sample.loopType = (type & 3) == 3 ? 1 : (type & 3);
    sample.sixteenBit = (type & 0x10) != 0;
    sample.panning = in.u8(next + 15);
    sample.relativeNote = in.s8(next + 16);
    sample.name = in.text(next + 18, 22);
    headers.push_back(h);
    ins.samples.push_back(std::move(sample));
    next += sampleHeaderSize;
  }

  for (std::size_t s = 0; s < ins.samples.size(); ++s) {
    ModuleSample& sample = ins.samples[s];
    const Header& h = headers[s];
    const std::size_t held = std::min<std::size_t>(h.bytes, in.available(next));
    const int frameBytes = sample.sixteenBit ? 2 : 1;
    const std::uint32_t frames = static_cast<std::uint32_t>(held / frameBytes);
    if (sample.sixteenBit) {
      sample.data16.resize(frames);
      std::int16_t old = 0;
      for (std::uint32_t i = 0; i < frames; ++i) {
        old = static_cast<std::int16_t>(old + static_cast<std::int16_t>(in.le16(next + 2u * i)));
        sample.data16[i] = old;
      }
    } else {
      sample.data8.resize(frames);
      std::int8_t old = 0;
      for (std::uint32_t i = 0; i < frames; ++i) {
        old = static_cast<std::int8_t>(old + in.s8(next + i));
        sample.data8[i] = old;
      }
    }
    sample.length = frames;
    // Loops are kept inside the data that is really there.
    sample.loopStart = std::min<std::uint32_t>(h.loopStart / frameBytes, frames);
    sample.loopLength = std::min<std::uint32_t>(h.loopLength / frameBytes, frames - sample.loopStart);
    if (sample.loopLength == 0) sample.loopType = 0;
    next += h.bytes;
  }
  return next;
}

}  // namespace

bool volumeColumnEffect(std::uint8_t v, std::uint8_t& effect, std::uint8_t& parameter) {
  const std::uint8_t low = v & 15;
  if (v >= 0x10 && v <= 0x50) {
    effect = kEffectSetVolume;
    parameter = static_cast<std::uint8_t>(v - 0x10);
    return true;
  }
  switch (v >> 4) {
    case 0x6: effect = kEffectVolumeSlide; parameter = low; return true;
    case 0x7: effect = kEffectVolumeSlide; parameter = static_cast<std::uint8_t>(low << 4); return true;
    case 0x8: effect = kEffectExtended; parameter = static_cast<std::uint8_t>(0xB0 | low); return true;
    case 0x9: effect = kEffectExtended; parameter = static_cast<std::uint8_t>(0xA0 | low); return true;
    case 0xA: effect = kEffectVibrato; parameter = static_cast<std::uint8_t>(low << 4); return true;
    case 0xB: effect = kEffectVibrato; parameter = low; return true;
    case 0xC: effect = kEffectExtended; parameter = static_cast<std::uint8_t>(0x80 | low); return true;
    case 0xD: effect = kEffectPanSlide; parameter = low; return true;
    case 0xE: effect = kEffectPanSlide; parameter = static_cast<std::uint8_t>(low << 4); return true;
    case 0xF: effect = kEffectTonePorta; parameter = static_cast<std::uint8_t>(low << 4); return true;
    default: return false;
  }
}

bool readXm(std::string_view bytes, MusicModule& out) {
  detail::ByteView in(bytes);
  if (!in.has(0, 80) || bytes.substr(0, kXmId.size()) != kXmId) return false;

  MusicModule m;
  m.kind = ModuleKind::Xm;
  m.title = in.text(17, 20);
  m.trackerName = in.text(38, 20);
  const std::uint32_t headerSize = in.le32(60);
  m.songLength = std::min<int>(in.le16(64), 256);
  m.restartPosition = in.le16(66);
  if (m.restartPosition >= m.songLength) m.restartPosition = 0;
  m.channelCount = in.le16(68);
  if (m.channelCount > kMaxChannels) return false;
  const int patternCount = std::min<int>(in.le16(70), kMaxPatterns);
  const int instrumentCount = std::min<int>(in.le16(72), kMaxInstruments);
  m.linearFrequencies = (in.le16(74) & 1) != 0;
  m.initialSpeed = in.le16(76);
  if (m.initialSpeed < 1 || m.initialSpeed > 31) m.initialSpeed = 6;
  m.tempo = in.le16(78);
  if (m.tempo < 32 || m.tempo > 255) m.tempo = 125;
  // The order table is as long as the header says, at most 256 entries.
  const std::size_t orderBytes = headerSize > 20 ? std::min<std::size_t>(headerSize - 20, 256) : 0;
  m.orders.assign(256, 0);
  for (std::size_t i = 0; i < orderBytes; ++i) m.orders[i] = in.u8(80 + i);

  std::size_t at = 60 + static_cast<std::size_t>(headerSize);
  m.patterns.resize(patternCount);
  for (Pattern& p : m.patterns) {
    if (!in.has(at, 9)) {  // patterns past the end of the file stay empty
      p.rows = 64;
      at = in.size();
      continue;
    }
    const std::uint32_t patternHeader = std::max<std::uint32_t>(in.le32(at), 9);
    int rows = in.le16(at + 5);
    p.rows = rows < 1 ? 64 : std::min(rows, 256);
    const std::size_t packed = in.le16(at + 7);
    const std::size_t body = at + patternHeader;
    const std::size_t end = std::min(body + packed, in.size());
    if (packed > 0 && body < end) unpackPattern(in, body, end, m.channelCount, p);
    at = body + packed;
  }
  m.instruments.resize(instrumentCount);
  for (Instrument& ins : m.instruments) {
    if (!in.has(at, 4)) break;  // instruments past the end of the file stay empty
    at = readInstrument(in, at, ins);
  }
  out = std::move(m);
  return true;
}

bool isXmData(std::string_view bytes) { return bytes.substr(0, kXmId.size()) == kXmId; }

bool loadXm(const std::string& path, MusicModule& out) {
  std::string bytes;
  if (!platform::readWholeFile(path, bytes)) return false;
  return readXm(bytes, out);
}

}  // namespace tarvolin::sound
