// Protocol 100 of fsend: the queued files' bytes onto the line as they are.
#pragma once

#include "frame/port.h"
#include "transfer/send_queue.h"

namespace korlink {

// Sends every file of `queue` on `io` (the host's port or a background copy)
// with the pacing and line-ending mode of the port's ASCII record; reports
// name `reportHandle`. 0 when every file went out, else -1 with `io`'s last
// error saying why (-123, -112, 4016, -113, -118); -102 when the host closed
// the port meanwhile.
int16_t sendAscii(Port &io, PortHandle reportHandle, SendQueue &queue);

}  // namespace korlink
