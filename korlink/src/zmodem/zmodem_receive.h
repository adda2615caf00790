// The ZMODEM receive (protocol 110 of freceive).
#pragma once

#include "frame/port.h"

#include <cstdint>

namespace korlink {

// Receives the peer's batch on `io`; reports name `reportHandle`. 0 when
// every file arrived whole, else -1 with the reason in the port's last error.
int16_t receiveZmodem(Port &io, PortHandle reportHandle, int32_t bufferSize, StatusCallback callback);

}  // namespace korlink
