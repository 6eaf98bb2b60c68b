#include "project/settings_file.h"

#include <cstdio>

#include "common/text.h"
#include "project/asset_file.h"
#include "platform/files.h"

namespace tarvolin::project {
namespace {

constexpr unsigned char kCipherKey[32] = {
    0x5b, 0xc1, 0x3e, 0x92, 0x07, 0xd4, 0x6a, 0xf8, 0x21, 0x9d, 0x44, 0xb7, 0x0e, 0x73, 0xe5, 0x18,
    0xa6, 0x3c, 0x81, 0x5f, 0xca, 0x12, 0x97, 0x6d, 0xf0, 0x2b, 0xb9, 0x46, 0x8e, 0x35, 0xd1, 0x7c};

// Reads "%d" at `pos` of `text`; advances `pos` past it.
bool takeInt(std::string_view text, std::size_t& pos, int& value) {
  std::string_view rest = text.substr(pos);
  if (!parseInt(rest, value)) return false;
  std::size_t i = 0;
  while (i < rest.size() && (rest[i] == ' ' || (rest[i] >= '\t' && rest[i] <= '\r'))) ++i;
  if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) ++i;
  while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') ++i;
  pos += i;
  return true;
}

bool parseColour(std::string_view text, std::uint32_t& colour) {
  int rgb[3];
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != ',') return false;
      ++pos;
    }
    if (!takeInt(text, pos, rgb[i]) || rgb[i] < 0 || rgb[i] > 255) return false;
  }
  colour = std::uint32_t(rgb[0]) | std::uint32_t(rgb[1]) << 8 | std::uint32_t(rgb[2]) << 16;
  return true;
}

std::string colourText(std::uint32_t colour) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%u,%u,%u", colour & 0xff, (colour >> 8) & 0xff,
                (colour >> 16) & 0xff);
  return buffer;
}

bool isZeroDefault(const SettingEntry& e) {
  switch (e.type) {
    case SettingType::Bool:
      return !readFlag(e.defaultValue);
    case SettingType::Real: {
      double d = 0;
      return !parseReal(e.defaultValue, d) || d == 0;
    }
    case SettingType::Integer:
    case SettingType::Integer5:
    case SettingType::Byte: {
      int v = 0;
      return !parseInt(e.defaultValue, v) || v == 0;
    }
    case SettingType::Colour: {
      std::uint32_t c = 0;
      return !parseColour(e.defaultValue, c) || c == 0;
    }
    default:
      return e.defaultValue.empty();
  }
}

const SettingEntry* findKey(const SettingTable& table, std::string_view key) {
  for (const SettingEntry& e : table)
    if (equalsIgnoreCase(e.key, key)) return &e;
  return nullptr;
}

}  // namespace

bool parseSettingValue(const SettingEntry& entry, std::string_view text) {
  switch (entry.type) {
    case SettingType::Text:
    case SettingType::MultiLineText:
      if (auto* s = std::get_if<std::string*>(&entry.target)) {
        (*s)->assign(text);
        return true;
      }
      return false;
    case SettingType::Enciphered:
      if (auto* s = std::get_if<std::string*>(&entry.target)) return decipherSetting(text, **s);
      return false;
    case SettingType::Real:
      if (auto* d = std::get_if<double*>(&entry.target)) {
        double v;
        if (!parseReal(text, v)) return false;
        **d = v < -1e9 ? -1e9 : v > 1e9 ? 1e9 : v;
        return true;
      }
      return false;
    case SettingType::Bool:
      if (auto* b = std::get_if<bool*>(&entry.target)) {
        **b = readFlag(text);
        return true;
      }
      return false;
    case SettingType::Integer:
    case SettingType::Integer5:
    case SettingType::Byte:
      if (auto* i = std::get_if<int*>(&entry.target)) {
        int v;
        if (!parseInt(text, v)) return false;
        if (entry.type == SettingType::Byte && (v < 0 || v > 255)) return false;
        **i = v;
        return true;
      }
      return false;
    case SettingType::Colour:
      if (auto* c = std::get_if<std::uint32_t*>(&entry.target)) return parseColour(text, **c);
      return false;
  }
  return false;
}

void applySettingDefaults(const SettingTable& table) {
  for (const SettingEntry& e : table)
    if (!isZeroDefault(e)) parseSettingValue(e, e.defaultValue);
}

bool readSettings(LineReader& in, const SettingTable& table) {
  std::string line, value;
  while (in.next(line)) {
    if (line.empty() || line[0] != '#') continue;
    const SettingEntry* entry = findKey(table, std::string_view(line).substr(1));
    if (!entry) continue;
    if (!in.next(value)) return false;  // the file ends right after the key
    if (entry->type != SettingType::MultiLineText) {
      parseSettingValue(*entry, value);
      continue;
    }
    std::string text;
    bool first = true;
    while (!value.empty() && value[0] == ']') {
      if (!first) text += "\r\n";
      text.append(value, 1);
      first = false;
      if (!in.next(value)) break;
    }
    // A missing empty line must not hide the next key.
    if (!value.empty() && value[0] == '#') in.unread();
    parseSettingValue(*entry, text);
  }
  return true;
}

bool loadSettingsFile(const std::string& path, const SettingTable& table) {
  applySettingDefaults(table);
  LineReader in;
  if (!in.open(path)) return false;
  return readSettings(in, table);
}

std::string writeSettings(const SettingTable& table) {
  AssetWriter w(HeaderKind::Generic);
  for (const SettingEntry& e : table) {
    w.line('#', e.key);
    switch (e.type) {
      case SettingType::Text:
        w.line(*std::get<std::string*>(e.target));
        break;
      case SettingType::Enciphered:
        w.line(encipherSetting(*std::get<std::string*>(e.target)));
        break;
      case SettingType::MultiLineText: {
        std::string_view text = *std::get<std::string*>(e.target);
        while (!text.empty()) {
          std::size_t end = text.find('\n');
          std::string_view one = text.substr(0, end);
          if (!one.empty() && one.back() == '\r') one.remove_suffix(1);
          w.line(']', one);
          text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
          if (end != std::string_view::npos && text.empty()) w.line("]");  // a final line end
        }
        w.emptyLine();
        break;
      }
      case SettingType::Real:
        w.line(formatReal(*std::get<double*>(e.target)));
        break;
      case SettingType::Bool:
        w.line(*std::get<bool*>(e.target) ? "TRUE" : "FALSE");
        break;
      case SettingType::Integer:
      case SettingType::Integer5:
      case SettingType::Byte:
        w.line(formatInt(*std::get<int*>(e.target)));
        break;
      case SettingType::Colour:
        w.line(colourText(*std::get<std::uint32_t*>(e.target)));
        break;
    }
    w.emptyLine();
  }
  return w.text();
}

bool saveSettingsFile(const std::string& path, const SettingTable& table) {
  return platform::safeWrite(path, writeSettings(table));
}

std::string encipherSetting(std::string_view plain) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(plain.size() * 2);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    unsigned c = (static_cast<unsigned char>(plain[i]) ^ kCipherKey[i % 32]) + 29u * unsigned(i % 256) + 7u;
    c &= 0xff;
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

static int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool decipherSetting(std::string_view text, std::string& plain) {
  if (text.size() % 2 != 0) return false;
  std::string out;
  out.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size() / 2; ++i) {
    const int hi = hexValue(text[2 * i]), lo = hexValue(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    unsigned c = unsigned(hi << 4 | lo);
    c = (c - 7u - 29u * unsigned(i % 256)) & 0xff;
    out += static_cast<char>(c ^ kCipherKey[i % 32]);
  }
  plain = std::move(out);
  return true;
}

}  // namespace tarvolin::project
