#include "fleet/station.h"

#include "korlink_binder/com_device.h"

namespace trelm::fleet {

std::string Station::lineDevice() const {
    const std::filesystem::path path = device.empty() ? std::filesystem::path(comDevicePath(port)) : std::filesystem::path(device);
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return (error ? path.lexically_normal() : resolved).string();
}

std::string Station::lineName() const { return device.empty() ? "COM " + std::to_string(port) : device; }

} // namespace trelm::fleet
