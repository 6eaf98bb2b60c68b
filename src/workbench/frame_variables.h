// The debugger's side of a stopped run: the names of a call frame's
// variables and the reading of a value the user types for one of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvolin {

// "V_EV0".."V_EV3", "V_RV0".."V_RV3", "V_LV0".."V_LV5" for slots 0..13 (the
// order of a frame's variables); "" outside.
std::string_view FrameVariableName(int slot);

// Reads a value typed for a variable: optional blanks, an optional "-" or
// "+", then decimal digits or "0x" and hexadecimal digits. Decimals must lie
// in -2147483648..2147483647; hexadecimals are the variable's 32 bits
// (0x0..0xFFFFFFFF, so 0xFFFFFFFF is -1). False with a Spanish reason for
// anything else.
bool ParseVariableValue(std::string_view text, std::int32_t& value, std::string* why);

}  // namespace tarvolin
