#include "project/resource.h"

#include <algorithm>
#include <cstdio>

#include "common/text.h"

namespace tarvolin::project {

namespace {

struct KindName {
  ResourceKind kind;
  std::string_view name;
};

// Stored order: the first name of a value is the one written.
constexpr KindName kKindNames[] = {
    {ResourceKind::Bitmap16, "Bitmap16"},       {ResourceKind::Bitmap256, "Bitmap256"},
    {ResourceKind::BitmapRaw, "BitmapRaw"},     {ResourceKind::PaletteRaw16, "PaletteRaw16"},
    {ResourceKind::PaletteRaw256, "PaletteRaw256"}, {ResourceKind::Tilemap, "Tilemap"},
    {ResourceKind::MusicTrack, "Music Track"},  {ResourceKind::SoundEffect, "Sound effect"},
    {ResourceKind::Binary, "Binary"},           {ResourceKind::MusicTrack, "MOD file"},
};

constexpr std::string_view kCompressionNames[] = {"None", "RLE", "LZH"};

struct RangeFormat {
  std::string_view name;
  const char* format;
  std::int64_t largest;
};

constexpr RangeFormat kRangeFormats[kRangeFormatCount] = {
    {"Decimal0", "%01d", 99},    {"Decimal00", "%02d", 99},   {"Decimal000", "%03d", 999},
    {"Decimal0000", "%04d", 9999}, {"Hex0", "%01x", 255},       {"Hex00", "%02x", 255},
    {"Hex000", "%03x", 4095},    {"Hex0000", "%04x", 65535},
};

}  // namespace

std::string_view resourceKindName(ResourceKind kind) {
  for (const KindName& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "Unknown type!";
}

std::optional<ResourceKind> resourceKindFromName(std::string_view name) {
  for (const KindName& k : kKindNames)
    if (equalsIgnoreCase(name, k.name)) return k.kind;
  return std::nullopt;
}

std::string_view compressionName(int compression) {
  if (compression >= 0 && compression < 3) return kCompressionNames[compression];
  return "Unknown compression!";
}

std::optional<int> compressionFromName(std::string_view name) {
  for (int i = 0; i < 3; ++i)
    if (equalsIgnoreCase(name, kCompressionNames[i])) return i;
  return std::nullopt;
}

std::string_view rangeFormatName(int format) {
  if (format >= 0 && format < kRangeFormatCount) return kRangeFormats[format].name;
  return "Unknown type!";
}

std::optional<int> rangeFormatFromName(std::string_view name) {
  for (int i = 0; i < kRangeFormatCount; ++i)
    if (equalsIgnoreCase(name, kRangeFormats[i].name)) return i;
  return std::nullopt;
}

std::string formatRangeNumber(int format, std::int64_t number) {
  const RangeFormat& f = kRangeFormats[(format >= 0 && format < kRangeFormatCount) ? format : 0];
  const int value = static_cast<int>(std::clamp<std::int64_t>(number, 0, f.largest));
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, f.format, value);
  return buffer;
}






std::string ResourceList::uniqueCopyName(std::string_view name) const {
  std::size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  // At most nine digits are taken as the number, so it cannot overflow.
  digits = std::max(digits, name.size() > 9 ? name.size() - 9 : 0);
  const std::string_view base = name.substr(0, digits);
  std::int64_t number = 0;
  for (std::size_t i = digits; i < name.size(); ++i) number = number * 10 + (name[i] - '0');
  for (int attempt = 1; attempt <= 1000; ++attempt) {
    std::string candidate = std::string(base) + std::to_string(number + attempt);
    if (find(candidate) < 0) return candidate;
  }
  return {};
}

}  // namespace tarvolin::project
