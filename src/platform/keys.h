// Key codes. Stored settings and scripts use the Windows virtual-key numbers,
// so those numbers are the key codes everywhere in the core; the studio maps
// its toolkit's keys to them.
#pragma once

namespace tarvolin::platform {

// Virtual-key numbers are one byte; 0 means "no key".
inline constexpr int kKeyNone = 0;
inline constexpr int kKeyCodeCount = 256;

// Mouse buttons are keys too.
inline constexpr int kKeyMouseLeft = 0x01;
inline constexpr int kKeyMouseRight = 0x02;
inline constexpr int kKeyMouseMiddle = 0x04;

inline constexpr int kKeyBackspace = 0x08;
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyEnter = 0x0D;
inline constexpr int kKeyShift = 0x10;
inline constexpr int kKeyControl = 0x11;
inline constexpr int kKeyAlt = 0x12;
inline constexpr int kKeyPause = 0x13;
inline constexpr int kKeyCapsLock = 0x14;
inline constexpr int kKeyEscape = 0x1B;  // 27
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyPageUp = 0x21;
inline constexpr int kKeyPageDown = 0x22;
inline constexpr int kKeyEnd = 0x23;
inline constexpr int kKeyHome = 0x24;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyRight = 0x27;
inline constexpr int kKeyDown = 0x28;
inline constexpr int kKeyPrintScreen = 0x2C;  // 44
inline constexpr int kKeyInsert = 0x2D;
inline constexpr int kKeyDelete = 0x2E;

// Digits and letters use their ASCII codes ('0'..'9', 'A'..'Z').
inline constexpr int kKey0 = 0x30;
inline constexpr int kKeyA = 0x41;
inline constexpr int kKeyS = 0x53;
inline constexpr int kKeyZ = 0x5A;

inline constexpr int kKeyNumpad0 = 0x60;
inline constexpr int kKeyF1 = 0x70;
inline constexpr int kKeyF12 = 0x7B;

// Punctuation keys of a US layout.
inline constexpr int kKeySemicolon = 0xBA;
inline constexpr int kKeyEquals = 0xBB;
inline constexpr int kKeyComma = 0xBC;
inline constexpr int kKeyMinus = 0xBD;
inline constexpr int kKeyPeriod = 0xBE;
inline constexpr int kKeySlash = 0xBF;
inline constexpr int kKeyBackquote = 0xC0;
inline constexpr int kKeyLeftBracket = 0xDB;
inline constexpr int kKeyBackslash = 0xDC;
inline constexpr int kKeyRightBracket = 0xDD;
inline constexpr int kKeyQuote = 0xDE;

// Whether `code` can name a key (1..255).
inline constexpr bool isKeyCode(int code) { return code > 0 && code < kKeyCodeCount; }

}  // namespace tarvolin::platform
