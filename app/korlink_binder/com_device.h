// Which device a port option "COM n" stands for, as the serial library maps
// it (korlink/common): the path in $KORLINK_COM<n> when set, else
// /dev/ttyS<n-1>.
#pragma once

#include <string>

#include "common/com_device.h"

namespace trelm {

using korlink::common::comDevicePath;
using korlink::common::comVariable;

// One line for the port option's tooltip: "COM 3: /dev/ttyUSB0
// (KORLINK_COM3)" or "COM 3: /dev/ttyS2", with ", not present" when no
// such device exists.
std::string comDeviceDescription(int port);

} // namespace trelm
