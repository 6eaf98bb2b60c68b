// The sound-effect cache: every WAV file a game plays is loaded once and kept
// until the cache is cleared (project closed, game stopped, sound editor
// saved or closed). Paths compare ignoring ASCII case.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "sound/sample_data.h"

namespace tarvolin::sound {

class SampleCache {
 public:
  // The cached sample of `path`, loading it on first use (made mono when
  // `wantMono` and it is stereo). null when the file cannot be loaded; a
  // failed load is not cached. The pointer stays valid until Clear.
  SampleData* Get(const std::string& path, bool wantMono);

  // The cached sample of `path` without loading; null when absent.
  SampleData* Find(const std::string& path) const;

  // Deletes every entry. Whoever calls this stops the channels playing them
  // first (AudioEngine::ClearCache does).
  void Clear() { entries_.clear(); }

  std::size_t size() const { return entries_.size(); }
  // Entry `i` (for stopping the channels that play them).
  SampleData* sampleAt(std::size_t i) const { return entries_[i].sample.get(); }

 private:
  struct Entry {
    std::string path;
    std::unique_ptr<SampleData> sample;
  };
  std::vector<Entry> entries_;
};

}  // namespace tarvolin::sound
