#include "sound/mod_writer.h"
#include "platform/files.h"

#include <algorithm>
#include <cstdio>

#include "sound/module_bytes.h"

namespace tarvolin::sound {

bool writeMod(const MusicModule& m, std::string& out) {
  const int channels = m.channelCount;
  if (channels < 1 || channels > 99) return false;

  detail::ByteSink o;
  o.text(m.title, 20);
  for (int s = 0; s < 31; ++s) {
    static const ModuleSample kEmpty{};
    const ModuleSample& sample = s < static_cast<int>(m.samples.size()) ? m.samples[s] : kEmpty;
    const std::uint32_t words = std::min<std::uint32_t>((sample.length + 1) / 2, 0xFFFF);
    o.text(sample.name, 22);
    o.be16(words);
    o.u8(static_cast<unsigned>(sample.finetune) & 15);
    o.u8(static_cast<unsigned>(std::clamp(sample.volume, 0, 64)));
    o.be16(std::min<std::uint32_t>(sample.loopStart / 2, words));
    o.be16(std::min<std::uint32_t>(sample.loopLength / 2, words));
  }
  o.u8(static_cast<unsigned>(std::clamp(m.songLength, 0, 128)));
  o.u8(127);
  int patternCount = 0;
  for (int i = 0; i < 128; ++i) {
    const int entry = i < static_cast<int>(m.orders.size()) ? m.orders[i] : 0;
    o.u8(static_cast<unsigned>(entry));
    patternCount = std::max(patternCount, (entry & 0xFF) + 1);
  }
  char signature[8];
  if (channels == 4)
    std::snprintf(signature, sizeof signature, "M.K.");
  else if (channels >= 10)
    std::snprintf(signature, sizeof signature, "%dCH", channels);
  else
    std::snprintf(signature, sizeof signature, "%dCHN", channels);
  o.text(signature, 4);

  for (int p = 0; p < patternCount; ++p) {
    for (int row = 0; row < 64; ++row) {
      for (int ch = 0; ch < channels; ++ch) {
        const PatternCell& c = m.cell(p, row, ch);
        const bool expressible = c.effect <= 15;
        const int period = c.note == kNoteKeyOff ? 0 : modPeriodOfNote(c.note);
        o.u8((c.instrument & 0xF0) | ((period >> 8) & 15));
        o.u8(period & 0xFF);
        o.u8(((c.instrument & 15) << 4) | (expressible ? c.effect : 0));
        o.u8(expressible ? c.parameter : 0);
      }
    }
  }

  for (int s = 0; s < 31 && s < static_cast<int>(m.samples.size()); ++s) {
    const ModuleSample& sample = m.samples[s];
    const std::uint32_t bytes = std::min<std::uint32_t>((sample.length + 1) / 2, 0xFFFF) * 2;
    for (std::uint32_t i = 0; i < bytes; ++i) {
      int v = 0;
      if (sample.sixteenBit)
        v = i < sample.data16.size() ? sample.data16[i] >> 8 : 0;
      else
        v = i < sample.data8.size() ? sample.data8[i] : 0;
      o.u8(static_cast<unsigned>(v));
    }
  }
  out = std::move(o.bytes());
  return true;
}

bool saveMod(const MusicModule& module, const std::string& path) {
  std::string bytes;
  return writeMod(module, bytes) && platform::safeWrite(path, bytes);
}

}  // namespace tarvolin::sound
