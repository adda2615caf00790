// Per-port records of the XMODEM family: the settings record that persists
// between transfers, and the state of one running transfer.
#pragma once

#include "port.h"

#include <cstdint>
#include <string>

namespace korlink {

struct XmodemSettings {
    int16_t blockSize = 128;
    int16_t canLimit = 5;            // item 201
    int16_t startChar = 'C';
    int32_t timeoutMs = 10000;       // item 203
    int16_t retryLimit = 10;         // item 207
    bool crc = true;                 // check function: CRC-16 or 8-bit sum
    uint16_t flags = 0;              // bit 0 item 111, bit 1 item 112, bit 4 item 212, bit 6 name fixed
    std::string fileName = "temp0000.$$$";
    uint8_t padByte = 0;             // item 211
};

struct TransferState {
    int32_t bufferSize = 0;
    int16_t protocol = 0;
    int32_t timeoutMs = 3000;
    int16_t retries = 10;
    StatusCallback callback = nullptr;
};

}  // namespace korlink
