// The per-port record of the ASCII protocol: capture (freceive 100) and
// send (fsend 100) share it.
#pragma once

#include "frame/port.h"

#include <cstdint>
#include <string>

namespace korlink {

struct AsciiSettings {
    int16_t endChar = -1;            // item 212: the byte that ends a capture (sent after each file); -1 none
    int32_t timeoutMs = 10000;       // item 203: silence that ends a capture; a send's longest stall
    bool carrierWatch = false;       // item 111: carrier loss ends a capture or a send (-112)
    int16_t lineEnding = 0;          // item 102: send's line-ending mode (the transmit options' modes)
    int32_t lineDelayMs = 0;         // item 107: send's pause after each line end
    int32_t charDelayMs = 0;         // item 108: send's pause after every byte
    bool rename = false;             // item 112: a new name when the file exists
    std::string fileName = "temp0000.$$$";  // item 208, at most 260 characters
};

// The record of a port, created with its defaults (the carrier-watch flag
// from the port's carrier watch); nullptr only when memory runs out.
AsciiSettings *ensureAsciiSettings(Port &port);

void releaseAsciiSettings(Port &port);

}  // namespace korlink
