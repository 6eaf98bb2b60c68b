// The one table between the toolkit's keys and the Windows virtual-key codes
// that the settings store and the scripts ask about, with the keys' printable
// names for the settings window.
#pragma once

#include <QString>
#include <Qt>

class QKeyEvent;

namespace tarvolin::shell {

// The virtual-key code of a key; 0 when it has none. `keypad` tells the
// number pad's keys from the main block's.
int virtualKeyFromQt(int qtKey, bool keypad = false);
int virtualKeyOf(const QKeyEvent& event);

// The key that gives a virtual-key code (for shortcuts built from the
// settings); 0 when none.
int qtKeyFromVirtualKey(int virtualKey);

// The printable name of a virtual key ("A", "Espacio", "F5", ";"); empty
// for codes that name no key.
QString virtualKeyName(int virtualKey);

}  // namespace tarvolin::shell
