// Rendering: channels into the 32-bit accumulator, slice by slice between
// sequencer ticks, then the accumulator through the soft-clip table to 8-bit
// unsigned output. De-click: a crossfade from the previous note when a note
// starts, a short volume ramp when the gains change, and a fading tail when a
// note ends.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "sound/mixer.h"

namespace tarvolin::sound {
namespace {

// --- soft clip ---------------------------------------------------------------

constexpr int kClipLow = -6400;
constexpr int kClipHigh = 6397;

// Identity up to 18, then a smooth saturating curve. The table's positive
// side is the floor of the curve and its negative side minus its ceiling,
// so the knots sit half a step above the values the positive side must give.
class SoftClipTable {
 public:
  SoftClipTable() {
    static constexpr double kx[] = {18, 32, 64, 88, 128, 192, 256, 384, 512, 580};
    static constexpr double ky[] = {18, 29.5, 51.5, 64.5, 82.5, 100.5, 111.5, 122.5, 126.5, 127};
    constexpr int n = 10;
    // Monotone cubic (Fritsch-Carlson) slopes; 1 where the identity ends,
    // flat where the curve reaches the limit.
    double secant[n - 1], slope[n];
    for (int k = 0; k < n - 1; ++k) secant[k] = (ky[k + 1] - ky[k]) / (kx[k + 1] - kx[k]);
    slope[0] = 1.0;
    slope[n - 1] = 0.0;
    for (int k = 1; k < n - 1; ++k) slope[k] = (secant[k - 1] + secant[k]) / 2;
    for (int k = 0; k < n - 1; ++k) {
      double a = slope[k] / secant[k], b = slope[k + 1] / secant[k];
      double s = a * a + b * b;
      if (s > 9) {
        double t = 3 / std::sqrt(s);
        slope[k] = t * a * secant[k];
        slope[k + 1] = t * b * secant[k];
      }
    }
    auto curve = [&](int x) {
      int k = 0;
      while (k < n - 2 && x >= kx[k + 1]) ++k;
      double h = kx[k + 1] - kx[k], t = (x - kx[k]) / h;
      double t2 = t * t, t3 = t2 * t;
      return (2 * t3 - 3 * t2 + 1) * ky[k] + (t3 - 2 * t2 + t) * h * slope[k] +
             (-2 * t3 + 3 * t2) * ky[k + 1] + (t3 - t2) * h * slope[k + 1];
    };
    for (int i = 0; i <= 580; ++i) {
      double f = i <= 18 ? i : curve(i);
      positive_[i] = static_cast<signed char>(std::min(127.0, std::floor(f)));
      negative_[i] = static_cast<signed char>(std::max(-128.0, -std::ceil(f)));
    }
  }
  int operator()(int index) const {
    index = std::clamp(index, kClipLow, kClipHigh);
    if (index >= 0) return index > 580 ? 127 : positive_[index];
    return -index > 580 ? -128 : negative_[-index];
  }

 private:
  std::array<signed char, 581> positive_{};
  std::array<signed char, 581> negative_{};
};

const SoftClipTable& softClip() {
  static const SoftClipTable table;
  return table;
}

// --- sample readers (signed 16-bit scale) -------------------------------------

struct Read8 {
  const std::int8_t* d;
  std::int32_t operator()(std::int64_t i) const { return d[i] * 256; }
};
struct Read8Stereo {
  const std::int8_t* d;
  std::int32_t operator()(std::int64_t i) const { return ((d[2 * i] + d[2 * i + 1]) >> 1) * 256; }
};
struct Read16 {
  const std::int16_t* d;
  std::int32_t operator()(std::int64_t i) const { return d[i]; }
};
struct Read16Stereo {
  const std::int16_t* d;
  std::int32_t operator()(std::int64_t i) const { return (d[2 * i] + d[2 * i + 1]) >> 1; }
};

// --- sinks: what a run of frames does with the samples ------------------------

// Adds each sample times fixed gains into the stereo accumulator.
struct AddSink {
  std::int32_t* acc;
  int gainLeft, gainRight;
  template <class R>
  void run(const R& r, std::int64_t pos, std::int64_t frac, std::int64_t step, int count, int out) const {
    std::int32_t* a = acc + 2 * out;
    const int gl = gainLeft, gr = gainRight;
    for (int i = 0; i < count; ++i) {
      std::int32_t s = r(pos + (frac >> 12));
      a[0] += s * gl;
      a[1] += s * gr;
      a += 2;
      frac += step;
    }
  }
};

// Stores the raw samples (for the short crossfade and ramp stretches).
struct StoreSink {
  std::int32_t* buf;
  template <class R>
  void run(const R& r, std::int64_t pos, std::int64_t frac, std::int64_t step, int count, int out) const {
    for (int i = 0; i < count; ++i, frac += step) buf[out + i] = r(pos + (frac >> 12));
  }
};

// Plays a note for up to `n` frames, handling its end: loops, ping-pong and
// the loop count. Returns the frames produced; fewer than `n` when the note
// ended (its loop count is then 0). `last` receives the last sample read.
template <class R, class Sink>
int runNoteWith(NoteState& v, const R& r, std::int64_t step, int n, const Sink& sink, std::int32_t& last) {
  const std::int64_t end = std::min<std::int64_t>(v.end, v.frames);
  const std::int64_t loopLength = std::clamp<std::int64_t>(v.loopLength, 0, end);
  if (v.loopType == 0) v.direction = 0;
  std::int64_t pos = v.position;
  std::int64_t frac = v.fraction;
  pos += frac >> 12;
  frac &= 4095;
  if (pos > end) pos = end;
  if (v.direction != 0 && pos >= end) {
    pos = end - 1;
    frac = 0;
  }
  int done = 0;
  for (int guard = 0;; ++guard) {
    pos += frac >> 12;  // rebase so that the reads start at `pos`
    frac &= 4095;
    std::int64_t avail = 0;
    if (end > 0 && guard < 100000) {
      if (v.direction == 0) {
        std::int64_t limit = (end - pos) * 4096;
        avail = frac < limit ? (limit - frac - 1) / step + 1 : 0;
      } else {
        std::int64_t limit = (end - loopLength - pos) * 4096;
        avail = frac >= limit ? (frac - limit) / step + 1 : 0;
      }
    }
    int count = static_cast<int>(std::min<std::int64_t>(avail, n - done));
    if (count > 0) {
      const std::int64_t signedStep = v.direction ? -step : step;
      sink.run(r, pos, frac, signedStep, count, done);
      last = r(pos + ((frac + (count - 1) * signedStep) >> 12));
      frac += count * signedStep;
      done += count;
    }
    if (count < avail) break;  // the slice is full, the note goes on

    // The boundary: the end of the sample or of a ping-pong pass.
    if (v.loopCount != -1) {
      std::int16_t was = v.loopCount;
      v.loopCount = static_cast<std::int16_t>(was - 1);
      if (was <= 1) {
        v.loopCount = 0;
        break;
      }
    }
    if (loopLength <= 0 || guard >= 100000) {  // nothing to loop over
      v.loopCount = 0;
      break;
    }
    if (v.loopType == 0) {
      pos -= loopLength;
    } else {
      frac += v.direction ? 2 * step : -2 * step;
      if (v.loopType == 1) v.direction ^= 1;
      // Keep the read inside the loop so every pass plays at least a frame.
      frac = std::clamp(frac, (end - loopLength - pos) * 4096, (end - pos) * 4096 - 1);
    }
  }
  pos += frac >> 12;
  frac &= 4095;
  v.position = static_cast<std::uint32_t>(std::clamp<std::int64_t>(pos, 0, end));
  v.fraction = static_cast<std::uint32_t>(frac);
  return done;
}

template <class Sink>
int runNote(NoteState& v, std::int64_t step, int n, const Sink& sink, std::int32_t& last) {
  if (v.data16) {
    if (v.stereo) return runNoteWith(v, Read16Stereo{v.data16}, step, n, sink, last);
    return runNoteWith(v, Read16{v.data16}, step, n, sink, last);
  }
  if (v.data8) {
    if (v.stereo) return runNoteWith(v, Read8Stereo{v.data8}, step, n, sink, last);
    return runNoteWith(v, Read8{v.data8}, step, n, sink, last);
  }
  v.loopCount = 0;
  return 0;
}

}  // namespace

int Mixer::SoftClip(int index) { return softClip()(index); }

std::int64_t Mixer::StepForRate(std::int64_t rate) {
  if (rate <= 500 || rate > 499999) return 0;
  return (rate * 398913536LL) >> 32;
}

void MixChannel::BeginCrossfade(int ramp) {
  ramp = std::clamp(ramp, 1, kMaxRampLength);
  crossfadeStep = 1;
  crossfadeBudget = ramp;
  tailCounter = ramp;
  prevGainLeft = prevGainRight = 0;
}

void Mixer::ChannelGains(const MixChannel& c, int& left, int& right) const {
  const int pan = std::clamp(c.pan, 0, 255);
  int p = pan;
  if (pan != 255) p = pan + (128 - std::abs(pan - 128)) * (std::clamp(c.envelopePan, 0, 64) - 32) / 32;
  p = std::clamp(p, 0, 255);
  int l, r;
  if (p < 128) {
    l = 64;
    r = p / 2;
  } else {
    l = (256 - p) / 2;
    r = 64;
  }
  const std::int64_t factor =
      (static_cast<std::int64_t>(std::clamp(c.fadeOut, 0, kFullFadeOut)) * std::clamp(c.envelopeVolume, 0, 64) * 18) >> 19;
  const int loudness = std::clamp(c.noteVolume + c.volumeOffset, 0, 64);
  const int master = std::clamp(c.owner == kOwnerFree ? effectVolume : musicVolume, 0, 255);
  const std::int64_t common = std::clamp(c.volume, 0, 64) * factor * master * loudness;
  left = static_cast<int>((l * common) >> 24);
  right = static_cast<int>((r * common) >> 24);
}

void Mixer::Render(std::uint8_t* out, int frames) {
  frames = std::clamp(frames, 0, kMaxRenderFrames);
  std::int32_t* acc = accumulator_.get();
  std::fill(acc, acc + 2 * frames, 0);
  int offset = 0;
  int remaining = frames;
  while (remaining > 0) {
    if (samplesUntilTick <= 0) samplesUntilTick = std::max(1, samplesPerTick);
    const int slice = std::min(remaining, samplesUntilTick);
    remaining -= slice;
    samplesUntilTick -= slice;
    sliceLength = slice;
    if (samplesUntilTick == 0) {
      samplesUntilTick = std::max(1, samplesPerTick);
      if (playing) SequencerTick();
    }
    for (MixChannel& c : channels) mixChannel(c, offset, slice);
    offset += slice;
  }

  const SoftClipTable& clip = softClip();
  const std::int64_t gainLeft = outputGainLeft >> 8, gainRight = outputGainRight >> 8;
  for (int i = 0; i < frames; ++i) {
    auto index = [](std::int64_t gain, std::int32_t sum) {
      return static_cast<int>(std::clamp<std::int64_t>((gain * (sum >> 8)) >> 14, kClipLow, kClipHigh));
    };
    out[2 * i] = static_cast<std::uint8_t>(clip(index(gainLeft, acc[2 * i])) + 128);
    out[2 * i + 1] = static_cast<std::uint8_t>(clip(index(gainRight, acc[2 * i + 1])) + 128);
  }
}

void Mixer::mixChannel(MixChannel& c, int offset, int n) {
  const int ramp = std::clamp(rampLength, 1, kMaxRampLength);
  if (!declick) c.crossfadeBudget = 0;
  bool noteOn = c.loopCount != 0 && c.attached();
  const bool tailLeft = c.loopCount == 0 && c.tailCounter > 0;
  if (!noteOn && !tailLeft && c.crossfadeBudget == 0) {
    if (c.owner == kOwnerFree && c.attached()) stopChannel(c);  // ended, tail spent
    return;
  }

  int gl = 0, gr = 0;
  ChannelGains(c, gl, gr);
  const std::int64_t step = StepForRate(static_cast<std::int64_t>(c.base) + c.slide + c.bend);
  if (noteOn && step == 0) return;  // silent rate: stays attached, does not advance

  std::int32_t* acc = accumulator_.get() + 2 * offset;
  std::int32_t last = 0;
  bool lastSet = false;
  int done = 0;

  if (c.crossfadeBudget > 0) {
    // Blend the previous note (or its tail) into the new one.
    const int m = std::min(n, c.crossfadeBudget);
    std::array<std::int32_t, kMaxRampLength> fresh{}, oldRaw{};
    int produced = 0;
    if (noteOn) {
      produced = runNote(c, step, m, StoreSink{fresh.data()}, last);
      lastSet = produced > 0;
    }
    NoteSnapshot& s = c.snapshot;
    int oldProduced = 0;
    std::int32_t oldLast = 0;
    if (s.loopCount != 0 && s.attached() && s.step > 0)
      oldProduced = runNote(s, s.step, m, StoreSink{oldRaw.data()}, oldLast);
    if (oldProduced > 0) {
      s.lastLeft = oldLast * s.gainLeft;
      s.lastRight = oldLast * s.gainRight;
    }
    for (int i = 0; i < m; ++i) {
      std::int32_t oldL, oldR;
      if (i < oldProduced) {
        oldL = oldRaw[i] * s.gainLeft;
        oldR = oldRaw[i] * s.gainRight;
      } else if (s.tailCounter > 0) {
        oldL = static_cast<std::int32_t>(static_cast<std::int64_t>(s.lastLeft) * s.tailCounter / ramp);
        oldR = static_cast<std::int32_t>(static_cast<std::int64_t>(s.lastRight) * s.tailCounter / ramp);
        --s.tailCounter;
      } else {
        oldL = oldR = 0;
      }
      const std::int32_t newL = i < produced ? fresh[i] * gl : 0;
      const std::int32_t newR = i < produced ? fresh[i] * gr : 0;
      const int k = std::min(c.crossfadeStep, ramp);
      acc[2 * i] += oldL + static_cast<std::int32_t>(static_cast<std::int64_t>(newL - oldL) * k / ramp);
      acc[2 * i + 1] += oldR + static_cast<std::int32_t>(static_cast<std::int64_t>(newR - oldR) * k / ramp);
      ++c.crossfadeStep;
    }
    c.crossfadeBudget -= m;
    c.prevGainLeft = c.rampTargetLeft = gl;
    c.prevGainRight = c.rampTargetRight = gr;
    c.rampPosition = ramp;
    done = m;  // a note that ended inside the blend goes on with its tail
    noteOn = noteOn && c.loopCount != 0;
  }

  if (done < n && noteOn) {
    if (!declick) {
      c.prevGainLeft = c.rampTargetLeft = gl;
      c.prevGainRight = c.rampTargetRight = gr;
      c.rampPosition = ramp;
    } else if (gl != c.rampTargetLeft || gr != c.rampTargetRight) {
      // Start a ramp from wherever the gains are now.
      const int k = std::min(c.rampPosition, ramp);
      c.prevGainLeft += (c.rampTargetLeft - c.prevGainLeft) * k / ramp;
      c.prevGainRight += (c.rampTargetRight - c.prevGainRight) * k / ramp;
      c.rampTargetLeft = gl;
      c.rampTargetRight = gr;
      c.rampPosition = 0;
    }
    int useLeft = gl, useRight = gr;
    if (c.rampPosition < ramp) {
      const int m = std::min(n - done, ramp - c.rampPosition);
      std::array<std::int32_t, kMaxRampLength> raw{};
      const int produced = runNote(c, step, m, StoreSink{raw.data()}, last);
      for (int i = 0; i < produced; ++i) {
        const int k = c.rampPosition + i + 1;
        useLeft = c.prevGainLeft + (gl - c.prevGainLeft) * k / ramp;
        useRight = c.prevGainRight + (gr - c.prevGainRight) * k / ramp;
        acc[2 * (done + i)] += raw[i] * useLeft;
        acc[2 * (done + i) + 1] += raw[i] * useRight;
      }
      lastSet = lastSet || produced > 0;
      c.rampPosition += m;
      if (c.rampPosition >= ramp) {
        c.prevGainLeft = gl;
        c.prevGainRight = gr;
      }
      done += produced;
      if (produced < m) noteOn = false;
    }
    if (done < n && noteOn) {
      const int produced = runNote(c, step, n - done, AddSink{acc + 2 * done, gl, gr}, last);
      lastSet = lastSet || produced > 0;
      done += produced;
      useLeft = gl;
      useRight = gr;
    }
    if (lastSet) {
      c.lastLeft = last * useLeft;
      c.lastRight = last * useRight;
    }
  } else if (lastSet) {
    c.lastLeft = last * gl;
    c.lastRight = last * gr;
  }

  if (c.loopCount == 0) {
    if (!declick) c.tailCounter = 0;
    // The ended note fades out over its tail.
    for (; done < n && c.tailCounter > 0; ++done, --c.tailCounter) {
      acc[2 * done] += static_cast<std::int32_t>(static_cast<std::int64_t>(c.lastLeft) * c.tailCounter / ramp);
      acc[2 * done + 1] += static_cast<std::int32_t>(static_cast<std::int64_t>(c.lastRight) * c.tailCounter / ramp);
    }
    if (c.tailCounter == 0 && c.crossfadeBudget == 0 && c.owner == kOwnerFree && c.attached()) stopChannel(c);
  }

  // The snapshot follows the note whenever no crossfade is left to run (also
  // at the end of a slice in which one finished, so that a note started
  // right after another one fades from it and not from an older note).
  if (c.crossfadeBudget == 0) {
    static_cast<NoteState&>(c.snapshot) = static_cast<const NoteState&>(c);
    c.snapshot.gainLeft = gl;
    c.snapshot.gainRight = gr;
    c.snapshot.step = step;
    c.snapshot.tailCounter = c.tailCounter;
    c.snapshot.lastLeft = c.lastLeft;
    c.snapshot.lastRight = c.lastRight;
  }
}

}  // namespace tarvolin::sound
