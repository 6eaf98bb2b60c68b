// The wave-output device the audio engine feeds: 44100 frames per second,
// 8 bits unsigned (128 is silence), 2 channels interleaved left then right.
// The engine writes one buffer after another; the device calls back (on its
// own thread, or on the caller's for the recorder) each time a written buffer
// has finished playing, and the engine answers by writing the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarvolin::platform {

inline constexpr int kAudioRate = 44100;
inline constexpr int kAudioChannels = 2;
inline constexpr int kAudioBufferFrames = 2205;  // 50 ms
inline constexpr int kAudioBufferBytes = kAudioBufferFrames * kAudioChannels;

class AudioOutput {
 public:
  using BufferDone = std::function<void()>;
  virtual ~AudioOutput() = default;

  // Opens the device; false when there is none. `done` is called once per
  // written buffer that has finished playing; it may write the next one.
  virtual bool Open(BufferDone done) = 0;
  // Stops and closes the device; buffers not yet played are dropped.
  virtual void Close() = 0;
  // Queues `size` bytes of frames (copied before returning).
  virtual void Write(const std::uint8_t* bytes, std::size_t size) = 0;
  // Holds playing (no buffer finishes meanwhile) and goes on again.
  virtual void Pause() = 0;
  virtual void Resume() = 0;
};

// The output when no device can be opened: Open fails, the rest does nothing.
class NullAudioOutput : public AudioOutput {
 public:
  bool Open(BufferDone) override { return false; }
  void Close() override {}
  void Write(const std::uint8_t*, std::size_t) override {}
  void Pause() override {}
  void Resume() override {}
};

// An output that opens and plays nothing and never finishes a buffer: for
// tests and benchmarks that must not depend on a sound device.
class SilentAudioOutput : public NullAudioOutput {
 public:
  bool Open(BufferDone) override { return true; }
};

}  // namespace tarvolin::platform
