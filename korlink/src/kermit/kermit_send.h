// The send side of Kermit (protocol 104 of fsend).
#pragma once

#include "transfer/send_queue.h"
#include "frame/port.h"

namespace korlink {

// Sends every file of `queue` on `io`, then ends the batch. Stores 0 or the
// failure (4016 retries used up, 4018 the peer's E packet, -113 a queued
// file that cannot be read, -123, -112, -118) as `io`'s last error; 0 when
// every file went through, else -1.
int16_t sendKermit(Port &io, PortHandle reportHandle, SendQueue &queue);

}  // namespace korlink
