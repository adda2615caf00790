// The window's access to the settings file: the values read and written by
// name, with the message box the operator sees when that fails.
#pragma once

#include <string>

class QWidget;

namespace trelm::shell {

inline const char *const kIniReadError = "An error has occurred reading the initialization file!";
inline const char *const kIniWriteError = "An error has occurred writing the initialization file!";

// The value, blanks trimmed; when nothing at all is read (missing file,
// section or key, or an empty value) the read message is shown and the
// result is empty.
std::string ReadIniValue(const std::string &section, const std::string &key, QWidget *parent = nullptr);

// Writes the value; on failure shows the write message once and returns.
void WriteIniValue(const std::string &section, const std::string &key, const std::string &value,
                   QWidget *parent = nullptr);

} // namespace trelm::shell
