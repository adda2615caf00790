#include "shell/settings_access.h"

#include "settings/ini_file.h"
#include "shell/message_box.h"

namespace trelm::shell {

std::string ReadIniValue(const std::string &section, const std::string &key, QWidget *parent) {
    const std::string value = readIniText(IniFilePath(), section, key);
    if (value.empty())
        showMessageBox(parent, BoxIcon::Exclamation, kAppTitle, kIniReadError);
    return value;
}

void WriteIniValue(const std::string &section, const std::string &key, const std::string &value, QWidget *parent) {
    if (!writeIniText(IniFilePath(), section, key, value))
        showMessageBox(parent, BoxIcon::Exclamation, kAppTitle, kIniWriteError);
}

} // namespace trelm::shell
