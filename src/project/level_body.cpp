#include "project/level_body.h"

#include <cstring>

namespace tarvolin::project {

bool LevelBody::resize(int w, int h, int l) {
  if (w < 0 || h < 0 || w > kMaxLevelSide || h > kMaxLevelSide || l < 1 || l > kMaxLevelLayers)
    return false;
  width = w;
  height = h;
  layers = l;
  map.assign(std::size_t(w) * std::size_t(h) * std::size_t(l), 0);
  return true;
}

namespace {

class Cursor {
 public:
  explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
  std::size_t left() const { return bytes_.size() - pos_; }
  bool u8(std::uint8_t& v) {
    if (left() < 1) return false;
    v = std::uint8_t(bytes_[pos_++]);
    return true;
  }
  bool u16(std::uint16_t& v) {
    if (left() < 2) return false;
    v = std::uint16_t(std::uint8_t(bytes_[pos_]) | (std::uint8_t(bytes_[pos_ + 1]) << 8));
    pos_ += 2;
    return true;
  }
  bool u32(std::uint32_t& v) {
    if (left() < 4) return false;
    v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | std::uint8_t(bytes_[pos_ + std::size_t(i)]);
    pos_ += 4;
    return true;
  }
  bool skip(std::size_t n) {
    if (left() < n) return false;
    pos_ += n;
    return true;
  }
  // `count` 16-bit entries; checked against what is left before allocating.
  bool entries(std::uint64_t count, std::vector<std::uint16_t>& out) {
    if (count > left() / 2) return false;
    out.resize(std::size_t(count));
    for (std::uint16_t& e : out) u16(e);
    return true;
  }
  bool raw(std::uint8_t* out, std::size_t n) {
    if (left() < n) return false;
    std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

void put16(std::string& out, std::uint32_t v) {
  out += char(v & 0xFF);
  out += char((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

}  // namespace

bool readLevelBody(std::string_view bytes, LevelBody& body) {
  Cursor in(bytes);
  std::uint8_t t = 0, l = 0;
  std::uint16_t version = 0, layerField = 0;
  std::uint32_t width = 0, height = 0, blockSize = 0, stampCount = 0;
  if (!in.u8(t) || !in.u8(l) || t != 'T' || l != 'L' || !in.u16(version)) return false;
  if (version != kLevelBodyVersion && version != kLevelBodyVersionOld) return false;
  const bool current = version == kLevelBodyVersion;
  if (!in.u32(width) || !in.u32(height) || !in.u32(blockSize) || !in.u32(stampCount)) return false;
  if (width > std::uint32_t(kMaxLevelSide) || height > std::uint32_t(kMaxLevelSide) ||
      blockSize != kLevelBlockSize)
    return false;
  if (current) {
    if (!in.u16(layerField) || !in.skip(18)) return false;
    if (layerField >= kMaxLevelLayers) return false;
  }
  LevelBody read;
  read.width = int(width);
  read.height = int(height);
  read.layers = int(layerField) + 1;
  if (!in.entries(std::uint64_t(width) * height * std::uint64_t(read.layers), read.map))
    return false;
  if (!in.raw(read.block.data(), kLevelBlockSize)) return false;
  for (std::uint32_t i = 0; i < stampCount; ++i) {
    LevelStamp stamp;
    std::uint16_t stampLayers = 0;
    if (!in.u32(stamp.width) || !in.u32(stamp.height)) return false;
    if (current && (!in.u16(stampLayers) || !in.skip(2))) return false;
    stamp.layers = std::uint16_t(stampLayers + 1);
    const std::uint64_t count = std::uint64_t(stamp.width) * stamp.height * (stampLayers + 1u);
    if (!in.entries(count, stamp.entries)) return false;
    read.stamps.push_back(std::move(stamp));
  }
  body = std::move(read);
  return true;
}

std::string writeLevelBody(const LevelBody& body) {
  std::string out;
  out.reserve(40 + body.map.size() * 2 + kLevelBlockSize);
  out += "TL";
  put16(out, kLevelBodyVersion);
  put32(out, std::uint32_t(body.width));
  put32(out, std::uint32_t(body.height));
  put32(out, std::uint32_t(kLevelBlockSize));
  put32(out, std::uint32_t(body.stamps.size()));
  put16(out, std::uint32_t(body.layers - 1));
  out.append(18, '\0');
  // Exactly the entries the header announces, so the file always reads back.
  const std::size_t mapCount = std::size_t(body.width) * std::size_t(body.height) * std::size_t(body.layers);
  for (std::size_t i = 0; i < mapCount; ++i) put16(out, i < body.map.size() ? body.map[i] : 0);
  out.append(reinterpret_cast<const char*>(body.block.data()), kLevelBlockSize);
  for (const LevelStamp& s : body.stamps) {
    put32(out, s.width);
    put32(out, s.height);
    put16(out, std::uint16_t(s.layers - 1));
    put16(out, 0);
    const std::uint64_t count = std::uint64_t(s.width) * s.height * (std::uint32_t(std::uint16_t(s.layers - 1)) + 1u);
    for (std::uint64_t i = 0; i < count; ++i) put16(out, i < s.entries.size() ? s.entries[std::size_t(i)] : 0);
  }
  return out;
}

std::string levelBodyFileName(std::string_view levelName) {
  std::string name = "LevBody_";
  for (char c : levelName) {
    const bool bad = static_cast<unsigned char>(c) < 32 ||
                     std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    name += bad ? '_' : c;
  }
  name += ".dat";
  return name;
}

}  // namespace tarvolin::project
