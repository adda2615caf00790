// The serial devices present, for mapping COM 1 to 10 onto them: the
// built-in ports (ttyS*), USB adapters (ttyUSB*) and USB modems (ttyACM*),
// each with the stable /dev/serial/by-id name that points at it, if any.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace trelm::shell {

struct SerialDevice {
    std::string path; // "/dev/ttyUSB0"
    std::string byId; // "/dev/serial/by-id/usb-FTDI_..._A1-if00-port0", or empty
};

// Sorted by path (ttyS2 before ttyS10). `dev` is the device folder.
std::vector<SerialDevice> serialDevicesPresent(const std::filesystem::path &dev = "/dev");

} // namespace trelm::shell
