// The key/value settings format shared by the project file and the program
// settings file. Writing gives the generic header, then per setting a line
// "#KEY", the value line(s) and an empty line, in table order. Reading looks
// for "#KEY" lines (keys compared ignoring case) and parses the next line by
// the key's type; unknown keys and stray lines are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "project/text_lines.h"

namespace tarvolin::project {

// Value types, numbered as the settings tables number them.
enum class SettingType {
  Text = 0,           // the line itself
  Real = 1,           // "%f", kept within -1e9..1e9
  Bool = 2,           // "TRUE"/"FALSE"; reads the flag words, anything else false
  Integer = 3,        // "%d"
  Byte = 4,           // "%d", 0..255 (others leave the value unchanged)
  Integer5 = 5,       // "%d" (a second integer type of the tables)
  MultiLineText = 6,  // one "]line" per line, then an empty line; joined with CR LF
  Colour = 7,         // "r,g,b" 0..255 each; held as r | g << 8 | b << 16
  Enciphered = 8,     // text kept enciphered in the file (see encipherSetting)
};

// Where a setting's value lives: text types use std::string, Real double,
// Bool bool, the integer types int, Colour std::uint32_t.
using SettingTarget = std::variant<std::string*, double*, bool*, int*, std::uint32_t*>;

struct SettingEntry {
  SettingType type;
  std::string_view key;
  SettingTarget target;
  // The default in its written form ("TRUE", "60", "255,255,255", a text).
  std::string defaultValue;
};

using SettingTable = std::vector<SettingEntry>;

// Sets every setting whose default is not zero, false or empty to its
// default; the others keep the value they have.
void applySettingDefaults(const SettingTable& table);

// Parses one value line into a setting; false (value unchanged) when it
// does not parse. Multi-line texts take the line as their only line.
bool parseSettingValue(const SettingEntry& entry, std::string_view text);

// Reads settings lines. True when read to the end; false when the text ends
// right after a key line (the values read before stay).
bool readSettings(LineReader& in, const SettingTable& table);

// Applies the defaults, then reads the file. False when the file is missing
// or ends right after a key line.
bool loadSettingsFile(const std::string& path, const SettingTable& table);

// The whole file text: generic header and every setting in table order.
std::string writeSettings(const SettingTable& table);

// Safe write of `writeSettings`.
bool saveSettingsFile(const std::string& path, const SettingTable& table);

// The reversible cipher of enciphered texts. Each byte is combined with a
// fixed 32-byte key and its position (c = (p XOR key[i mod 32]) + 29 * i + 7,
// modulo 256) and written as two upper-case hexadecimal digits. This only
// keeps a password from being read at a glance; it is no protection.
std::string encipherSetting(std::string_view plain);
// The inverse; false (plain unchanged) for a text of odd length or with a
// character that is no hexadecimal digit.
bool decipherSetting(std::string_view text, std::string& plain);

}  // namespace tarvolin::project
