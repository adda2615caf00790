// The ZMODEM send (protocol 110 of fsend).
#pragma once

#include "frame/port.h"
#include "transfer/send_queue.h"

#include <cstdint>

namespace korlink {

// Sends the queue's files on `io`; reports name `reportHandle`. 0 when the
// whole batch went through, else -1 with the reason in the port's last error.
int16_t sendZmodem(Port &io, PortHandle reportHandle, SendQueue &queue);

}  // namespace korlink
