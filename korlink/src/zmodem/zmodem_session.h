// The frame every ZMODEM transfer runs in: the settings record, the binary
// line state, the line, and the end (the peer told when the transfer failed,
// 4027 reported, the outcome in the port's last error).
#pragma once

#include "zmodem/zmodem_link.h"

#include <functional>

namespace korlink {

// What a transfer body ends with: 0 or the code that ended it, and whether
// the peer must still be told (false when it ended the session itself).
struct ZmodemOutcome {
    int32_t code = 0;
    bool tellPeer = true;
};

// Runs `body` on a line over `io`; the result of freceive/fsend: 0 on
// success, -1 with the code in the port's last error, -102 when the host
// closed the port, -118 without memory for the settings record.
int16_t runZmodemSession(Port &io, PortHandle reportHandle, StatusCallback callback,
                         const std::function<ZmodemOutcome(ZmodemLine &)> &body);

}  // namespace korlink
