// The receive buffer, writes, waits and flow control of a port, built on its
// device operations (device_ops.h) so every backend behaves the same. The
// byte exports, the line control and the protocols reach the device only
// through these functions and device_format.h.
#pragma once

#include "frame/port.h"

#include <cstdint>

namespace korlink {

// --- receiving ---
// Reads what the device has into the receive buffer; false on a device
// failure (the error is stored as the port's last error).
bool topUp(Port &port);
int readByte(Port &port);                    // next byte, or -1
int peekByte(Port &port, int32_t index);     // buffered byte `index` ahead, or -1
// The next byte already buffered, or -1: no device read, no clock. A
// transfer streaming data takes most of its bytes this way.
int takeBufferedByte(Port &port);
int32_t receiveCount(Port &port);            // tops up, returns bytes available
// Drops up to `count` received bytes (0: all there are); the number dropped.
int32_t discardBytes(Port &port, int32_t count);
// Waits up to `ms` (at most 10) for input; false when the device hung up or
// failed (error stored), so no wait spins on a dead line.
bool pollInput(Port &port, int ms);
// Sends XON / raises RTS and DTR once the buffer has drained far enough.
void resumeCheck(Port &port);

// --- sending ---
// Waits while XOFF, CTS or DSR holds output; 0, -123, -112 or -1.
int waitWhileHeld(Port &port);
// Writes every byte, waiting (with the pump) while the device is full;
// 0, -123, or -1 with the error stored.
int writeRaw(Port &port, const uint8_t *data, int32_t count);
// A block after the output holds (c_putn); 0 or a negative code.
int writeBytes(Port &port, const uint8_t *data, int32_t count);
// One byte once a quarter of the transmit queue is free (c_putc).
int writeByte(Port &port, uint8_t byte);
int32_t transmitFree(Port &port);            // free room of the transmit queue
int purgeTransmit(Port &port);               // 0, or -1 with the error stored

// --- closing ---
// The longest a close waits for `queued` bytes to go out: their line time at
// `baud` with `bitsPerByte` (start, data, parity and stop bits), plus a
// margin for the driver and the UART's own buffer.
uint32_t drainLimitMs(int32_t queued, int32_t baud, int bitsPerByte);
// Bits a character takes on the line with the port's current format.
int lineBitsPerByte(const Port &port);
// Lets what is queued for sending go out before a close purges the queues:
// waits while the device still holds bytes, never longer than their
// drainLimitMs, so a line held by flow control or a far end that is gone
// cannot hang the close. True when the queue emptied.
bool drainTransmit(Port &port);

// --- modem lines ---
int32_t modemLine(Port &port, int bit);      // 1, 0 or -1 when unreadable (ptys)
bool carrierPresent(Port &port);             // an unreadable carrier counts as present

// --- flow-control items of the driver (103, 105, 110, 120, 121) ---
int32_t readFlow(Port &port, int16_t item);
int setReceiveFlow(Port &port, int16_t item, int32_t value);
int setTransmitFlow(Port &port, int16_t item, int32_t value);

}  // namespace korlink
