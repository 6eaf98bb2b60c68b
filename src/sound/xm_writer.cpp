#include "sound/xm_writer.h"
#include "platform/files.h"

#include <algorithm>

#include "sound/module_bytes.h"

namespace tarvolin::sound {

namespace {

constexpr std::uint32_t kHeaderSize = 276;
constexpr std::uint32_t kInstrumentHeaderSize = 263;
constexpr std::uint32_t kSampleHeaderSize = 40;

void writeEnvelopePoints(detail::ByteSink& o, const Envelope& env) {
  for (const Envelope::Point& p : env.points) {
    o.le16(static_cast<unsigned>(std::clamp(p.x, 0, 0xFFFF)));
    o.le16(static_cast<unsigned>(std::clamp(p.y, 0, 64)));
  }
}

bool writePattern(detail::ByteSink& o, const MusicModule& m, int index) {
  const Pattern& p = m.patterns[index];
  detail::ByteSink body;
  for (int row = 0; row < p.rows; ++row) {
    for (int ch = 0; ch < m.channelCount; ++ch) {
      const PatternCell& c = m.cell(index, row, ch);
      std::uint8_t note = 0;
      if (c.note == kNoteKeyOff)
        note = 97;
      else if (c.note > 12 && c.note <= 108)
        note = static_cast<std::uint8_t>(c.note - 12);
      const std::uint8_t column =
          c.volumeEffect == kNoEffect ? 0 : volumeColumnByte(c.volumeEffect, c.volumeParameter);
      const std::uint8_t fields[5] = {note, c.instrument, column, c.effect, c.parameter};
      std::uint8_t mask = 0;
      for (int f = 0; f < 5; ++f)
        if (fields[f] != 0) mask |= static_cast<std::uint8_t>(1 << f);
      body.u8(0x80 | mask);
      for (int f = 0; f < 5; ++f)
        if (mask & (1 << f)) body.u8(fields[f]);
    }
  }
  if (body.size() > 0xFFFF) return false;
  // A pattern with nothing in it is stored without data, as the layout allows.
  if (body.bytes().find_first_not_of('\x80') == std::string::npos) body.bytes().clear();
  o.le32(9);
  o.u8(0);
  o.le16(static_cast<unsigned>(p.rows));
  o.le16(static_cast<unsigned>(body.size()));
  o.bytes() += body.bytes();
  return true;
}

void writeInstrument(detail::ByteSink& o, const Instrument& ins) {
  o.le32(kInstrumentHeaderSize);
  o.text(ins.name, 22);
  o.u8(0);
  o.le16(static_cast<unsigned>(ins.samples.size()));
  o.le32(kSampleHeaderSize);
  for (std::uint8_t k : ins.keymap) o.u8(k);
  writeEnvelopePoints(o, ins.volumeEnvelope);
  writeEnvelopePoints(o, ins.panEnvelope);
  o.u8(static_cast<unsigned>(ins.volumeEnvelope.count));
  o.u8(static_cast<unsigned>(ins.panEnvelope.count));
  o.u8(static_cast<unsigned>(ins.volumeEnvelope.sustain));
  o.u8(static_cast<unsigned>(ins.volumeEnvelope.loopStart));
  o.u8(static_cast<unsigned>(ins.volumeEnvelope.loopEnd));
  o.u8(static_cast<unsigned>(ins.panEnvelope.sustain));
  o.u8(static_cast<unsigned>(ins.panEnvelope.loopStart));
  o.u8(static_cast<unsigned>(ins.panEnvelope.loopEnd));
  o.u8(static_cast<unsigned>(ins.volumeEnvelope.type));
  o.u8(static_cast<unsigned>(ins.panEnvelope.type));
  o.u8(static_cast<unsigned>(ins.vibratoType));
  o.u8(static_cast<unsigned>(ins.vibratoSweep));
  o.u8(static_cast<unsigned>(ins.vibratoDepth));
  o.u8(static_cast<unsigned>(ins.vibratoRate));
  o.le16(static_cast<unsigned>(std::clamp(ins.fadeout, 0, 0xFFFF)));
  o.zeros(kInstrumentHeaderSize - 241);

  for (const ModuleSample& s : ins.samples) {
    const std::uint32_t frameBytes = s.sixteenBit ? 2 : 1;
    o.le32(s.length * frameBytes);
    o.le32(s.loopStart * frameBytes);
    o.le32(s.loopLength * frameBytes);
    o.u8(static_cast<unsigned>(std::clamp(s.volume, 0, 64)));
    o.u8(static_cast<unsigned>(s.finetune));
    o.u8(static_cast<unsigned>(s.loopType & 3) | (s.sixteenBit ? 0x10u : 0u));
    o.u8(static_cast<unsigned>(s.panning));
    o.u8(static_cast<unsigned>(s.relativeNote));
    o.u8(0);
    o.text(s.name, 22);
  }
  // Sample data, delta-coded as the layout keeps it.
  for (const ModuleSample& s : ins.samples) {
    if (s.sixteenBit) {
      std::int16_t old = 0;
      for (std::uint32_t i = 0; i < s.length; ++i) {
        const std::int16_t v = i < s.data16.size() ? s.data16[i] : 0;
        o.le16(static_cast<std::uint16_t>(v - old));
        old = v;
      }
    } else {
      std::int8_t old = 0;
      for (std::uint32_t i = 0; i < s.length; ++i) {
        const std::int8_t v = i < s.data8.size() ? s.data8[i] : 0;
        o.u8(static_cast<std::uint8_t>(v - old));
        old = v;
      }
    }
  }
}

}  // namespace

std::uint8_t volumeColumnByte(std::uint8_t effect, std::uint8_t parameter) {
  const std::uint8_t x = parameter >> 4, y = parameter & 15;
  switch (effect) {
    case kEffectSetVolume: return static_cast<std::uint8_t>(0x10 + std::min<int>(parameter, 64));
    case kEffectVolumeSlide: return static_cast<std::uint8_t>(x ? 0x70 | x : 0x60 | y);
    case kEffectVibrato: return static_cast<std::uint8_t>(x ? 0xA0 | x : 0xB0 | y);
    case kEffectPanSlide: return static_cast<std::uint8_t>(x ? 0xE0 | x : 0xD0 | y);
    case kEffectTonePorta: return static_cast<std::uint8_t>(0xF0 | x);
    case kEffectExtended:
      if (x == 0xB) return static_cast<std::uint8_t>(0x80 | y);
      if (x == 0xA) return static_cast<std::uint8_t>(0x90 | y);
      if (x == 0x8) return static_cast<std::uint8_t>(0xC0 | y);
      return 0;
    default: return 0;
  }
}

bool writeXm(const MusicModule& m, std::string& out) {
  if (m.channelCount < 1 || m.channelCount > 64) return false;
  detail::ByteSink o;
  o.text("Extended Module: ", 17);
  o.text(m.title, 20);
  o.u8(0x1A);
  o.text(m.trackerName.empty() ? std::string("Tarvolin Studio") : m.trackerName, 20);
  o.le16(0x0104);
  o.le32(kHeaderSize);
  o.le16(static_cast<unsigned>(std::clamp(m.songLength, 0, 256)));
  o.le16(static_cast<unsigned>(std::max(m.restartPosition, 0)));
  o.le16(static_cast<unsigned>(m.channelCount));
  o.le16(static_cast<unsigned>(std::min<std::size_t>(m.patterns.size(), 256)));
  o.le16(static_cast<unsigned>(std::min<std::size_t>(m.instruments.size(), 128)));
  o.le16(m.linearFrequencies ? 1 : 0);
  o.le16(static_cast<unsigned>(m.initialSpeed));
  o.le16(static_cast<unsigned>(m.tempo));
  for (int i = 0; i < 256; ++i) o.u8(i < static_cast<int>(m.orders.size()) ? m.orders[i] : 0);
  for (int p = 0; p < static_cast<int>(m.patterns.size()) && p < 256; ++p)
    if (!writePattern(o, m, p)) return false;
  for (int i = 0; i < static_cast<int>(m.instruments.size()) && i < 128; ++i)
    writeInstrument(o, m.instruments[i]);
  out = std::move(o.bytes());
  return true;
}

bool saveXm(const MusicModule& module, const std::string& path) {
  std::string bytes;
  return writeXm(module, bytes) && platform::safeWrite(path, bytes);
}

}  // namespace tarvolin::sound
