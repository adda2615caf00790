// The per-port settings record of the XMODEM family, which persists between
// transfers.
#pragma once

#include "frame/port.h"

#include <cstdint>
#include <string>

namespace korlink {

// Bits of XmodemSettings::flags.
enum XmodemFlag : uint16_t {
    XMODEM_FLAG_ITEM111 = 1u << 0,
    XMODEM_FLAG_RENAME = 1u << 1,      // item 112: rename on collision
    XMODEM_FLAG_NO_START_WAIT = 1u << 4,  // item 212: send without the start character
    XMODEM_FLAG_NAME_FIXED = 1u << 6   // item 208: the host chose the file name
};

inline constexpr const char *defaultReceiveName = "temp0000.$$$";
inline constexpr int16_t defaultCanLimit = 5;

struct XmodemSettings {
    int16_t canLimit = defaultCanLimit;  // item 201
    int32_t timeoutMs = 10000;           // item 203: every wait for a byte
    int16_t retryLimit = 10;             // item 207
    uint16_t flags = 0;
    std::string fileName = defaultReceiveName;  // item 208, at most 260 characters
    uint8_t padByte = 0;                 // item 211

    bool hasFlag(XmodemFlag flag) const { return (flags & flag) != 0; }
};

// The settings record of a port, created with its defaults on first use.
// Returns nullptr only when memory runs out.
XmodemSettings *ensureXmodemSettings(Port &port);

}  // namespace korlink
