// What a settings value may hold: printable text on one line. A line break
// in a value would start a new line (or a section) in TRELMLNK.INI, and a
// telephone number with a control character would send it to the modem.
#pragma once

#include <string>

namespace trelm {

// The rule as the refusal states it.
inline constexpr const char *kSettingValueRule =
    "a setting must be one line of printable text: no line break or other control character";

// True when `value` holds no control character (below 32, or 127).
bool isSettingValue(const std::string &value);

} // namespace trelm
