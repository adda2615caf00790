// Which backend a new port's device comes from, and opening and closing it.
#pragma once

#include "frame/port.h"

namespace korlink {

enum class DeviceBackend { Termios, Memory };

// Process-wide: the backend of ports opened from now on (termios at load).
void selectDeviceBackend(DeviceBackend backend);

// Opens the device standing for COM `com` with the selected backend and
// points the port at its operations; 0 or -117.
int openDevice(Port &port, int com);

// Ends the port's device (nothing when it is not open): what is queued for
// sending goes out first, within its line time (drainTransmit), then pending
// bytes are dropped and the settings saved at open put back unless
// `keepSettings`.
void closeDevice(Port &port, bool keepSettings);

}  // namespace korlink
