#include "korlink_binder/com_device.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace trelm {

namespace {

std::string variableFor(int port) { return "KORLINK_COM" + std::to_string(port); }

} // namespace

std::string comDevicePath(int port) {
    if (const char *path = std::getenv(variableFor(port).c_str()); path && *path)
        return path;
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::string comDeviceDescription(int port) {
    const std::string variable = variableFor(port);
    const char *set = std::getenv(variable.c_str());
    const std::string path = comDevicePath(port);
    std::string text = "COM " + std::to_string(port) + ": " + path;
    if (set && *set)
        text += " (" + variable + ")";
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        text += ", not present";
    return text;
}

} // namespace trelm
