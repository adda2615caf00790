// Character format, baud rate, output lines and break of a port, built on
// its device operations' termios block, so every backend keeps the same
// rules: the port's copy of the block (item 102), the saved settings, the
// read-back that tells whether a format change really took.
#pragma once

#include "frame/port.h"

#include <cstdint>
#include <termios.h>

namespace korlink {

// Saves the current settings, then sets raw mode and the format; 0, or -117
// when the settings cannot be read or the device refuses them (the device is
// then left as it was).
int configureDevice(Port &port, int32_t baud, int dataBits, int parity, int stopBits);
// Read or write the device's termios block; on success the port's copy
// (item 102) is refreshed. False when the device refuses.
bool readSettingsBlock(Port &port, termios &block);
bool writeSettingsBlock(Port &port, const termios &block);
// Line states and format fields (the KORLINK_ITEM_* of line control); -1
// for an item the device cannot report.
int32_t readValue(Port &port, int16_t item);
// Output lines, format fields and break; 0, -1 when refused, or the error.
int setValue(Port &port, int16_t item, int32_t value);
int32_t readBaud(Port &port);
int setBaud(Port &port, int32_t baud);

}  // namespace korlink
