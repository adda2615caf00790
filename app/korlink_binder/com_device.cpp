#include "korlink_binder/com_device.h"

#include <filesystem>
#include <system_error>

namespace trelm {

std::string comDeviceDescription(int port) {
    const std::string path = comDevicePath(port);
    std::string text = "COM " + std::to_string(port) + ": " + path;
    if (korlink::common::comVariableSet(port))
        text += " (" + korlink::common::comVariable(port) + ")";
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        text += ", not present";
    return text;
}

} // namespace trelm
