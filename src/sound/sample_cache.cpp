#include "sound/sample_cache.h"

#include "common/text.h"

namespace tarvolin::sound {

SampleData* SampleCache::Find(const std::string& path) const {
  for (const Entry& e : entries_)
    if (equalsIgnoreCase(e.path, path)) return e.sample.get();
  return nullptr;
}

SampleData* SampleCache::Get(const std::string& path, bool wantMono) {
  if (SampleData* cached = Find(path)) return cached;
  auto sample = std::make_unique<SampleData>();
  if (!LoadWav(*sample, path)) return nullptr;
  if (wantMono) MakeMono(*sample);
  entries_.push_back(Entry{path, std::move(sample)});
  return entries_.back().sample.get();
}

}  // namespace tarvolin::sound
