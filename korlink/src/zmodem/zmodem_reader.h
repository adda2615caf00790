// Reading ZMODEM frames from a byte source: headers in any of the three
// forms, data subpackets with the check of the header before them, the
// escaping, and the peer's cancel (five CAN in a row).
#pragma once

#include "zmodem/zmodem_frame.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

// Where the reader's bytes come from: the line of a transfer, or memory in
// tests and the fuzz target.
class ZmodemByteSource {
public:
    virtual ~ZmodemByteSource() = default;
    // The next byte; -1 when none came in `timeoutMs`; a wait result below
    // -1 (-123 cancel, -112 carrier lost, -102 port gone), unchanged.
    virtual int next(int32_t timeoutMs) = 0;
};

// What the reader gives besides a header or a subpacket's end. Wait results
// below -100 pass through unchanged.
enum ZmodemReadResult : int {
    ZM_TIMEOUT = -1,      // nothing came in time
    ZM_GARBAGE = -2,      // too many bytes without a header, or a bad escape
    ZM_BAD_CHECK = -3,    // CRC mismatch
    ZM_CANCELLED = -4,    // the peer sent five CAN
    ZM_TOO_LONG = -5      // a subpacket longer than zmodemMaxSubpacket
};

class ZmodemReader {
public:
    ZmodemReader(ZmodemByteSource &source, int32_t timeoutMs) : m_source(source), m_timeoutMs(timeoutMs) {}

    // Hunts for the next header, skipping other bytes (at most `garbageLimit`
    // of them). The frame type (>= 0) with `header` filled, or a
    // ZmodemReadResult / wait result.
    int readHeader(ZmodemHeader &header, size_t garbageLimit = defaultGarbageLimit);

    // Reads the data subpacket that follows, into `data` (room for
    // zmodemMaxSubpacket bytes), checked with the CRC of the last header's
    // form. Its end byte (ZCRCE..ZCRCW) with `count` set, or a result < 0.
    int readSubpacket(uint8_t *data, size_t &count);

    // True when the last header read was a CRC-32 binary header.
    bool lastHeaderCrc32() const { return m_crc32; }

    // Gives `byte` back: the next read starts with it.
    void unread(int byte) { m_pushed = byte; }

    static constexpr size_t defaultGarbageLimit = 1u << 16;

private:
    int raw(int32_t timeoutMs);
    // A decoded byte (0..255), a subpacket end (0x100 | end), or < 0.
    int unescaped();
    int hexByte();
    int readBinaryHeader(ZmodemHeader &header, bool crc32);
    int readHexHeader(ZmodemHeader &header);

    ZmodemByteSource &m_source;
    int32_t m_timeoutMs;
    int m_pushed = -1;
    bool m_crc32 = false;
};

}  // namespace korlink
