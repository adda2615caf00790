// The device operations table of a port. Every port points to one table; the
// byte, line-control and data-format exports reach the device only through
// it. The slots keep the library's fixed order and roles; slots a device does
// not support return -1 and empty slots are null. Only the termios driver
// (device_termios.cpp) fills a table.
#pragma once

#include "frame/port.h"

namespace korlink {

using Unsupported = int (*)(Port &port);

struct DeviceOps {
    int (*writeBlock)(Port &port, const uint8_t *data, int32_t count);  // 0 or <0
    int (*writeString)(Port &port, const char *text);                   // c_puts path
    int (*readByte)(Port &port);            // next byte or -1 (empty or failure)
    int (*readByteAlt)(Port &port);
    int (*writeByte)(Port &port, uint8_t byte);
    int (*writeByteAlt)(Port &port, uint8_t byte);
    int (*closeDevice)(Port &port, bool keepSettings);
    Unsupported unsupported1;
    Unsupported unsupported2;
    Unsupported unsupported3;
    int32_t (*readValue)(Port &port, int16_t item);   // line status, data format
    int32_t (*readFlow)(Port &port, int16_t item);    // flow-control setting
    int32_t (*readBaud)(Port &port);
    Unsupported unsupported4;
    void *empty1;
    Unsupported unsupported5;
    void *empty2;
    int32_t (*receiveCount)(Port &port);    // tops up, returns bytes available
    int32_t (*discard)(Port &port, int32_t count);
    int32_t (*discardAlt)(Port &port, int32_t count);
    int (*peek)(Port &port, int32_t index);
    bool (*byteWaiting)(Port &port);
    bool (*byteWaitingAlt)(Port &port);
    int (*setValue)(Port &port, int16_t item, int32_t value);         // lines, format, break
    int (*setReceiveFlow)(Port &port, int16_t item, int32_t value);   // 103, 105, 110, 120, 121
    int (*setBaud)(Port &port, int32_t baud);
    int (*setTransmitFlow)(Port &port, int16_t item, int32_t value);
    int (*purgeTransmit)(Port &port);
    int32_t (*transmitFree)(Port &port);
    int32_t (*transmitFreeAlt)(Port &port);
    int (*flushTransmit)(Port &port);       // c_txflush
};

// The termios driver's table.
const DeviceOps &termiosOps();

}  // namespace korlink
