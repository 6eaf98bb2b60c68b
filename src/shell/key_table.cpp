#include "shell/key_table.h"

#include <QKeyEvent>

#include "platform/keys.h"

namespace tarvolin::shell {
namespace {

struct KeyEntry {
  int virtualKey;
  int qtKey;
  const char* name;  // UTF-8
  bool keypad;
};

// Keys other than letters, digits and function keys. Where several keys give
// one code (a shifted symbol of the same key), the first row is the one
// shortcuts use.
constexpr KeyEntry kKeys[] = {
    {0x08, Qt::Key_Backspace, "Retroceso", false},
    {0x09, Qt::Key_Tab, "Tab", false},
    {0x09, Qt::Key_Backtab, "Tab", false},
    {0x0D, Qt::Key_Return, "Intro", false},
    {0x0D, Qt::Key_Enter, "Intro", false},
    {0x0D, Qt::Key_Enter, "Intro", true},
    {0x10, Qt::Key_Shift, "Mayús", false},
    {0x11, Qt::Key_Control, "Ctrl", false},
    {0x12, Qt::Key_Alt, "Alt", false},
    {0x13, Qt::Key_Pause, "Pausa", false},
    {0x14, Qt::Key_CapsLock, "Bloq Mayús", false},
    {0x1B, Qt::Key_Escape, "Esc", false},
    {0x20, Qt::Key_Space, "Espacio", false},
    {0x21, Qt::Key_PageUp, "Re Pág", false},
    {0x22, Qt::Key_PageDown, "Av Pág", false},
    {0x23, Qt::Key_End, "Fin", false},
    {0x24, Qt::Key_Home, "Inicio", false},
    {0x25, Qt::Key_Left, "Izquierda", false},
    {0x26, Qt::Key_Up, "Arriba", false},
    {0x27, Qt::Key_Right, "Derecha", false},
    {0x28, Qt::Key_Down, "Abajo", false},
    {0x2C, Qt::Key_Print, "Impr Pant", false},
    {0x2D, Qt::Key_Insert, "Insert", false},
    {0x2E, Qt::Key_Delete, "Supr", false},
    {0x5D, Qt::Key_Menu, "Menú", false},
    {0x6A, Qt::Key_Asterisk, "Num *", true},
    {0x6B, Qt::Key_Plus, "Num +", true},
    {0x6D, Qt::Key_Minus, "Num -", true},
    {0x6E, Qt::Key_Period, "Num .", true},
    {0x6E, Qt::Key_Comma, "Num .", true},
    {0x6F, Qt::Key_Slash, "Num /", true},
    {0x90, Qt::Key_NumLock, "Bloq Num", false},
    {0x91, Qt::Key_ScrollLock, "Bloq Despl", false},
    // Punctuation keys of a US layout, plain and shifted.
    {0xBA, Qt::Key_Semicolon, ";", false},
    {0xBA, Qt::Key_Colon, ";", false},
    {0xBB, Qt::Key_Equal, "=", false},
    {0xBB, Qt::Key_Plus, "=", false},
    {0xBC, Qt::Key_Comma, ",", false},
    {0xBC, Qt::Key_Less, ",", false},
    {0xBD, Qt::Key_Minus, "-", false},
    {0xBD, Qt::Key_Underscore, "-", false},
    {0xBE, Qt::Key_Period, ".", false},
    {0xBE, Qt::Key_Greater, ".", false},
    {0xBF, Qt::Key_Slash, "/", false},
    {0xBF, Qt::Key_Question, "/", false},
    {0xC0, Qt::Key_QuoteLeft, "`", false},
    {0xC0, Qt::Key_AsciiTilde, "`", false},
    {0xC0, Qt::Key_Ntilde, "Ñ", false},
    {0xDB, Qt::Key_BracketLeft, "[", false},
    {0xDB, Qt::Key_BraceLeft, "[", false},
    {0xDC, Qt::Key_Backslash, "\\", false},
    {0xDC, Qt::Key_Bar, "\\", false},
    {0xDD, Qt::Key_BracketRight, "]", false},
    {0xDD, Qt::Key_BraceRight, "]", false},
    {0xDE, Qt::Key_Apostrophe, "'", false},
    {0xDE, Qt::Key_QuoteDbl, "'", false},
};

// The shifted digits of a US layout, "!" for 1 ... ")" for 0.
constexpr int kShiftedDigits[10] = {Qt::Key_ParenRight, Qt::Key_Exclam,     Qt::Key_At,
                                    Qt::Key_NumberSign, Qt::Key_Dollar,     Qt::Key_Percent,
                                    Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,
                                    Qt::Key_ParenLeft};

constexpr int kVkNumpad0 = 0x60;
constexpr int kFunctionKeys = 24;

}  // namespace

int virtualKeyFromQt(int qtKey, bool keypad) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
    return (keypad ? kVkNumpad0 : platform::kKey0) + (qtKey - Qt::Key_0);
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return platform::kKeyA + (qtKey - Qt::Key_A);
  if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + kFunctionKeys)
    return platform::kKeyF1 + (qtKey - Qt::Key_F1);
  for (const KeyEntry& e : kKeys)
    if (e.qtKey == qtKey && e.keypad == keypad) return e.virtualKey;
  if (keypad) return virtualKeyFromQt(qtKey, false);  // keypad arrows, Home, ...
  for (int d = 0; d < 10; ++d)
    if (kShiftedDigits[d] == qtKey) return platform::kKey0 + d;
  return 0;
}

int virtualKeyOf(const QKeyEvent& event) {
  return virtualKeyFromQt(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

int qtKeyFromVirtualKey(int vk) {
  if (vk >= platform::kKey0 && vk <= platform::kKey0 + 9) return Qt::Key_0 + (vk - platform::kKey0);
  if (vk >= platform::kKeyA && vk <= platform::kKeyZ) return Qt::Key_A + (vk - platform::kKeyA);
  if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9) return Qt::Key_0 + (vk - kVkNumpad0);
  if (vk >= platform::kKeyF1 && vk < platform::kKeyF1 + kFunctionKeys)
    return Qt::Key_F1 + (vk - platform::kKeyF1);
  for (const KeyEntry& e : kKeys)
    if (e.virtualKey == vk) return e.qtKey;
  return 0;
}

QString virtualKeyName(int vk) {
  if (vk >= platform::kKey0 && vk <= platform::kKey0 + 9) return QString(QChar('0' + vk - platform::kKey0));
  if (vk >= platform::kKeyA && vk <= platform::kKeyZ) return QString(QChar('A' + vk - platform::kKeyA));
  if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9) return QStringLiteral("Num %1").arg(vk - kVkNumpad0);
  if (vk >= platform::kKeyF1 && vk < platform::kKeyF1 + kFunctionKeys)
    return QStringLiteral("F%1").arg(vk - platform::kKeyF1 + 1);
  for (const KeyEntry& e : kKeys)
    if (e.virtualKey == vk) return QString::fromUtf8(e.name);
  return {};
}

}  // namespace tarvolin::shell
