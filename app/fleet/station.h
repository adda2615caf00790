// One station of a fleet: a sampler reached over a port or device, directly
// or through a modem, and the folder its data goes to.
#pragma once

#include <filesystem>
#include <string>

namespace trelm::fleet {

enum class Download { All, Events };

struct Station {
    std::string name;
    int line = 0;            // of its [NAME] section in the stations file
    int port = 0;            // COM number; 0 when `device` is given
    std::string device;      // a device path; empty when `port` is given
    std::string phone;       // empty: the sampler is on the line directly
    std::filesystem::path dir;
    Download download = Download::All;
    int retries = 2;         // further attempts after a retry-may-work failure
    int retryPauseSeconds = 60;

    bool throughModem() const { return !phone.empty(); }
    // The device the station's line runs over, links resolved, so two
    // stations naming one device in different ways share it.
    std::string lineDevice() const;
    // The line as a person names it: "COM 3" or the device path.
    std::string lineName() const;
};

} // namespace trelm::fleet
