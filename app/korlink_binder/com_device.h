// Which device a port option "COM n" stands for, as the serial library maps
// it: the path in $KORLINK_COM<n> when set, else /dev/ttyS<n-1>.
#pragma once

#include <string>

namespace trelm {

std::string comDevicePath(int port);

// One line for the port option's tooltip: "COM 3: /dev/ttyUSB0
// (KORLINK_COM3)" or "COM 3: /dev/ttyS2", with ", not present" when no
// such device exists.
std::string comDeviceDescription(int port);

} // namespace trelm
