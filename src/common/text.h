// Text helpers shared by every subsystem: the language's blank rule and ASCII
// case-insensitive comparison of names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarvolin {

// A blank is any byte with code 32 or below.
inline bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

inline char toLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }
inline char toUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

// Equality ignoring the case of ASCII letters.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Whether `text` starts with `prefix`, ignoring ASCII case.
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);

// Ordering ignoring ASCII case (<0, 0, >0).
int compareIgnoreCase(std::string_view a, std::string_view b);

std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);

// Position of the first non-blank byte at or after `pos` (text.size() when none).
std::size_t skipBlanks(std::string_view text, std::size_t pos);

// The text without leading and trailing blanks.
std::string_view trimBlanks(std::string_view text);

// The lines of a text without their line ends (LF or CR LF). A last line
// without an end counts; a text that ends with a line end has no empty line
// after it.
std::vector<std::string_view> splitLineViews(std::string_view text);
std::vector<std::string> splitLines(std::string_view text);

// Reads a flag word: "1", "true", "yes", "on" give true; "0", "false", "no",
// "off" give false (ignoring case). Other text leaves `value` unchanged and
// returns false.
bool parseFlagWord(std::string_view text, bool& value);

}  // namespace tarvolin
