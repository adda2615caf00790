// The receive side of the XMODEM family (protocols 105 to 109).
#pragma once

#include "frame/port.h"

namespace korlink {

// Runs a receive of protocol 105..109 on `io` (the host's port or a private
// copy) with the line already set up. Reports name `reportHandle`. Returns the
// final code: 4023 success, else the failure (4016, 4018, 4003, -112, -123,
// -118); stores 0 or that code as `io`'s last error.
int32_t receiveXmodemFamily(Port &io, PortHandle reportHandle, int16_t protocol,
                            int32_t bufferSize, StatusCallback callback);

}  // namespace korlink
