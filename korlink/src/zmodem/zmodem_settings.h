// The per-port ZMODEM settings record, which persists between transfers.
#pragma once

#include "frame/port.h"

#include <cstdint>

namespace korlink {

struct ZmodemSettings {
    int32_t timeoutMs = 10000;     // item 203: every wait for a byte
    int16_t retryLimit = 10;       // item 207: errors in a row before giving up
    bool carrierWatch = false;     // item 111 (stored)
    bool rename = false;           // item 112: never write over an existing file
    bool escapeAll = false;        // item 601: escape every control character
    bool crc32 = true;             // item 602: use CRC-32 when the peer can
    bool resume = true;            // item 603: continue partial files
    int32_t receiveBuffer = 0;     // item 604: buffer announced in ZRINIT, 0 streams
    int32_t subpacketLength = 1024;  // item 605: data bytes per subpacket sent
};

inline constexpr int32_t minZmodemSubpacket = 32;
inline constexpr int32_t maxZmodemReceiveBuffer = 65535;

// The port's record, created with the defaults on first use; nullptr only
// when memory runs out.
ZmodemSettings *ensureZmodemSettings(Port &port);

// Frees the record (port close, COMMZMODEMSet item 0).
void releaseZmodemSettings(Port &port);

}  // namespace korlink
