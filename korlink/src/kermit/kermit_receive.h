// The receive side of Kermit (protocol 104 of freceive).
#pragma once

#include "frame/port.h"

namespace korlink {

// Receives files on `io` (the host's port or a private copy) into the
// working directory; reports name `reportHandle`. Stores 0 or the failure
// (4016 retries used up, 4018 the peer's E packet, 4096 its A packet, 4003
// file or disk, -123, -112, -118) as `io`'s last error. 0 when every file
// arrived and the peer ended the batch, else -1.
int16_t receiveKermit(Port &io, PortHandle reportHandle, int32_t bufferSize, StatusCallback callback);

}  // namespace korlink
