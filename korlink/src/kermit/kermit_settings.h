// The per-port Kermit settings record: the protocol parameters this side asks
// for and the ones in use, the retry limit, the host's file name and flags,
// and the packet buffers of a transfer.
#pragma once

#include "frame/port.h"

#include <array>
#include <cstdint>
#include <string>

namespace korlink {

// One set of protocol parameters. Characters are kept as themselves (the
// prefixes, the check type), counts and control characters as numbers. A
// prefix of 0 in the set in use means that kind of prefixing is off.
struct KermitParams {
    int16_t mark = 1;        // packet mark (SOH)
    int16_t maxl = 94;       // longest packet, counted from after LEN
    int16_t time = 3;        // seconds to wait for each character of a packet
    int16_t npad = 0;        // padding characters before a packet
    int16_t padc = 0;        // the padding character
    int16_t eol = 13;        // ends each packet sent
    int16_t qctl = '#';      // control prefix
    int16_t qbin = '&';      // eighth-bit prefix
    int16_t chkt = '1';      // block check type
    int16_t rept = '~';      // repeat prefix
    intptr_t extra = 0;      // one more value, stored for the host
};

// Packet sizes: LEN counts at most 94 characters (SEQ, TYPE, data, check);
// with mark, LEN and the end-of-line character a packet fits in 106 bytes.
inline constexpr size_t kermitPacketBuffer = 106;
inline constexpr size_t kermitDecodedBuffer = 3290;
inline constexpr int kermitMaxLen = 94;

struct KermitSettings {
    // Items 511..521; the strongest block check is offered unless the host
    // asks for a weaker one.
    KermitParams asked{.chkt = '3'};
    KermitParams inUse;      // items 500..510
    int16_t retryLimit = 5;  // item 207
    int32_t timeoutMs = 10000;  // item 203: a packet wait when TIME in use is 0
    std::string fileName;    // item 208: fixed by the host when not empty
    bool carrierWatch = false;  // item 111
    bool rename = false;     // item 112
    bool keepPartial = false;   // item 204
    bool parity = false;     // the port had parity when the record was made

    std::array<uint8_t, kermitPacketBuffer> received{};
    std::array<uint8_t, kermitPacketBuffer> outgoing{};
    std::array<uint8_t, kermitDecodedBuffer> decoded{};
};

// The port's Kermit record, created with the defaults on first use (noting
// the port's parity and carrier watch). nullptr only when memory runs out.
KermitSettings *ensureKermitSettings(Port &port);

// Frees the record (port close, COMMKermitSet item 0).
void releaseKermitSettings(Port &port);

}  // namespace korlink
