// The per-port record of ASCII capture (freceive protocol 100).
#pragma once

#include "frame/port.h"

#include <cstdint>
#include <string>

namespace korlink {

struct AsciiSettings {
    int16_t endChar = -1;            // item 212: the byte that ends a capture; -1 none
    int32_t timeoutMs = 10000;       // item 203: silence that ends a capture
    bool carrierWatch = false;       // item 111: carrier loss ends a capture (-112)
    bool rename = false;             // item 112: a new name when the file exists
    std::string fileName = "temp0000.$$$";  // item 208, at most 260 characters
};

// The record of a port, created with its defaults (the carrier-watch flag
// from the port's carrier watch); nullptr only when memory runs out.
AsciiSettings *ensureAsciiSettings(Port &port);

void releaseAsciiSettings(Port &port);

}  // namespace korlink
