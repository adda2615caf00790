// Protocol 100 of freceive: raw received bytes into a file.
#pragma once

#include "frame/port.h"

namespace korlink {

// Captures on `io` (the host's port or a background copy) until the end
// character has been stored, the line stays silent for the record's
// time-out, the user cancels (-123) or the carrier is lost (-112); reports
// name `reportHandle`. Returns 0 after a normal end, else the code (-113 no
// free rename candidate, 4003 file failure, -123, -112, -118, -102 when the
// host closed the port); `io`'s last error is the same.
int32_t captureAscii(Port &io, PortHandle reportHandle, int32_t bufferSize, StatusCallback callback);

}  // namespace korlink
