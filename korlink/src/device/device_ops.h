// The device operations table of a port: the only way any part of the
// library reaches a device. Every port points to one table, filled by a
// backend: the termios driver (device_termios.cpp) for real and pseudo
// terminals, or a line in memory (device_memory.cpp) for harnesses. The
// receive buffer, flow control, character format and waits are built on
// these operations once, for every backend (device_io.cpp, device_format.cpp).
#pragma once

#include "frame/port.h"

#include <cstdint>
#include <termios.h>

namespace korlink {

struct DeviceOps {
    // Reads what the device has, up to `count` bytes: the number read (0 when
    // nothing is there), or -1 on a failure with the port's last error set.
    int32_t (*read)(Port &port, uint8_t *data, int32_t count);
    // Writes up to `count` bytes: the number accepted (0 when the device is
    // full for now), or -1 on a failure with the port's last error set.
    int32_t (*write)(Port &port, const uint8_t *data, int32_t count);
    // Waits up to `ms` (at most 10) for input; false when the device hung up
    // or failed (the error stored), so no wait spins on a dead line.
    bool (*waitInput)(Port &port, int ms);
    // Waits a moment for room to write; false when the device failed.
    bool (*waitOutput)(Port &port);
    int32_t (*transmitQueued)(Port &port);      // bytes written but not yet sent
    int (*purgeTransmit)(Port &port);           // 0, or -1 with the error stored
    // A modem line (TIOCM_CAR, TIOCM_DSR, TIOCM_CTS, TIOCM_RNG): 1, 0, or -1
    // when the device cannot report it (pseudo-terminals).
    int32_t (*modemLine)(Port &port, int bit);
    void (*switchLine)(Port &port, int bit, bool high);  // TIOCM_DTR, TIOCM_RTS
    int (*setBreak)(Port &port, bool on);       // 0, or the errno with it stored
    // The device's termios block (format, baud rate); false when refused.
    bool (*readSettings)(Port &port, termios &block);
    bool (*writeSettings)(Port &port, const termios &block);
    // Ends the device: discards pending bytes, puts back the settings saved
    // at open unless `keepSettings`, releases it. Nothing once it is closed.
    void (*close)(Port &port, bool keepSettings);
};

}  // namespace korlink
