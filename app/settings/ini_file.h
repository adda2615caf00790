// The settings file TRELMLNK.INI: named sections of key=value lines. Only
// the port number (PORT/COMM) and the modem number (PHONE_NUM/NUMBER) live
// there. Reading and writing keep every other line of the file as it was.
#pragma once

#include <filesystem>
#include <string>

#include "datafile/result.h"

namespace trelm {

// Where the settings file lives: $TRELMLINK_INI when set, else
// TRELMLNK.INI in $XDG_CONFIG_HOME/trelmlink (default ~/.config/trelmlink);
// the bare name TRELMLNK.INI when no home folder is known.
std::filesystem::path IniFilePath();

// Values are read into a 50-character buffer: at most 49 characters.
inline constexpr std::size_t kIniValueMax = 49;

// The value of `key` in `section` (both matched without regard to case),
// blanks trimmed on both sides and cut to kIniValueMax characters. Empty
// when the file, section or key is missing.
std::string readIniText(const std::filesystem::path &file, const std::string &section, const std::string &key);

// Sets `key` in `section` to `value`, adding the section or key when
// missing and creating the file and its folder when needed; written as a
// whole through a temporary file, so a failed write leaves the old file.
// A value with a line break or control character is refused (setting_value.h).
Status writeIniText(const std::filesystem::path &file, const std::string &section, const std::string &key,
                    const std::string &value);

// The value text of the PORT/COMM entry: the number with one leading blank
// (" 3"), as the file has always held it.
std::string commValueText(int port);

// The integer at the start of a value text ("7", " 7 ", "7x" give 7); 0
// when it starts with no number or the number does not fit 16 bits.
int leadingInteger(const std::string &text);

} // namespace trelm
