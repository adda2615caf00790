// The termios driver behind the operations table, and the driver services
// the exports use directly (waits, modem lines, flow-control holds).
#pragma once

#include "device/device_ops.h"

namespace korlink {

// --- device_termios.cpp: open, format, lines, break ---
int openDevice(const char *path, int &fd);   // 0 or -117; exclusive, non-blocking
// Saves the current settings, then sets raw mode and the format; 0, or -117
// when the settings cannot be read or the device refuses them (the device is
// then left as it was).
int configureDevice(Port &port, int32_t baud, int dataBits, int parity, int stopBits);
int closeDevice(Port &port, bool keepSettings);
// Read or write the device's termios block; on success the port's copy
// (item 102) is refreshed. False when the device refuses.
bool readBlock(Port &port, termios &block);
bool writeBlock(Port &port, const termios &block);
int32_t modemLine(Port &port, int bit);      // 1, 0 or -1 when unreadable (ptys)
bool carrierPresent(Port &port);             // an unreadable carrier counts as present
void switchLine(Port &port, int bit, bool high);
int32_t readValue(Port &port, int16_t item);
int setValue(Port &port, int16_t item, int32_t value);
int32_t readBaud(Port &port);
int setBaud(Port &port, int32_t baud);

// --- device_io.cpp: receive buffer and writes ---
// Reads what the device has into the receive buffer; false on a device
// failure (the error is stored as the port's last error).
bool topUp(Port &port);
int readByte(Port &port);                    // next byte, or -1
// Waits up to `ms` (at most 10) for input; false when the device hung up or
// failed (error stored), so no wait spins on a dead line.
bool pollInput(Port &port, int ms);
// Sends XON / raises RTS and DTR once the buffer has drained far enough.
void resumeCheck(Port &port);
// Waits while XOFF, CTS or DSR holds output; 0, -123, -112 or -1.
int waitWhileHeld(Port &port);
// Writes every byte, waiting (with the pump) while the device is full;
// 0, -123, or -1 with the error stored.
int writeRaw(Port &port, const uint8_t *data, int32_t count);
int32_t transmitQueued(Port &port);

}  // namespace korlink
