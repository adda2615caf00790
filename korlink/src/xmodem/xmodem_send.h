// The send side of the XMODEM family (protocols 105 to 109).
#pragma once

#include "frame/port.h"
#include "transfer/send_queue.h"

namespace korlink {

// Sends the files of `queue` on `io` (the host's port or a private copy);
// reports name `reportHandle`. Returns 0 when every file went through, -1
// otherwise (the reason in `io`'s last error), -118 without memory.
int16_t sendXmodemFamily(Port &io, PortHandle reportHandle, SendQueue &queue);

}  // namespace korlink
