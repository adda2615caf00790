#include "zmodem/zmodem_reader.h"

#include <algorithm>

namespace korlink {
namespace {

constexpr int subpacketEndFlag = 0x100;
constexpr int cancelRun = 5;

bool isFlowControl(int byte) { return (byte & 0x7F) == XON || (byte & 0x7F) == XOFF; }

int hexValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int ZmodemReader::raw(int32_t timeoutMs) {
    if (m_pushed >= 0) {
        int byte = m_pushed;
        m_pushed = -1;
        return byte;
    }
    return m_source.next(timeoutMs);
}

int ZmodemReader::unescaped() {
    for (;;) {
        int c = raw(m_timeoutMs);
        if (c < 0) return c;
        if (c != ZDLE) {
            // Flow-control bytes are always sent escaped: a bare one is the
            // line's own and carries no data.
            if (isFlowControl(c)) continue;
            return c;
        }
        int cans = 1;
        for (;;) {
            c = raw(m_timeoutMs);
            if (c < 0) return c;
            if (c == ZDLE) {
                if (++cans >= cancelRun) return ZM_CANCELLED;
                continue;
            }
            if (isFlowControl(c)) continue;
            break;
        }
        // After two or more CAN the last one was the escape; the others are
        // line noise that happened to be CAN.
        switch (c) {
        case ZCRCE: case ZCRCG: case ZCRCQ: case ZCRCW: return subpacketEndFlag | c;
        case ZRUB0: return 0x7F;
        case ZRUB1: return 0xFF;
        default:
            if ((c & 0x60) == 0x40) return c ^ 0x40;
            return ZM_GARBAGE;
        }
    }
}

int ZmodemReader::readHeader(ZmodemHeader &header, size_t garbageLimit) {
    size_t garbage = 0;
    int cans = 0;
    for (;;) {
        int c = raw(m_timeoutMs);
        if (c < 0) return c;
        if (c == ZDLE) {
            if (++cans >= cancelRun) return ZM_CANCELLED;
        } else {
            cans = 0;
        }
        if ((c & 0x7F) == ZPAD) {
            // One or more ZPAD, then ZDLE and the header's form.
            do { c = raw(m_timeoutMs); } while (c >= 0 && (c & 0x7F) == ZPAD);
            if (c < 0) return c;
            if (c == ZDLE) {
                int form = raw(m_timeoutMs);
                if (form < 0) return form;
                if (form == ZBIN || form == ZBIN32) return readBinaryHeader(header, form == ZBIN32);
                if (form == ZHEX) return readHexHeader(header);
                if (form == ZDLE) cans = 2;
            }
        }
        if (++garbage > garbageLimit) return ZM_GARBAGE;
    }
}

int ZmodemReader::readBinaryHeader(ZmodemHeader &header, bool crc32) {
    uint8_t raw5[5];
    for (uint8_t &byte : raw5) {
        int c = unescaped();
        if (c < 0) return c;
        if (c > 0xFF) return ZM_GARBAGE;
        byte = static_cast<uint8_t>(c);
    }
    const int checkBytes = crc32 ? 4 : 2;
    uint32_t received = 0;
    for (int i = 0; i < checkBytes; ++i) {
        int c = unescaped();
        if (c < 0) return c;
        if (c > 0xFF) return ZM_GARBAGE;
        received = crc32 ? received | static_cast<uint32_t>(c) << (8 * i) : received << 8 | static_cast<uint32_t>(c);
    }
    uint32_t expected = crc32 ? ~zmodemCrc32(zmodemCrc32Start, raw5, 5) : zmodemCrc16(0, raw5, 5);
    if (received != expected) return ZM_BAD_CHECK;
    header.type = raw5[0];
    std::copy(raw5 + 1, raw5 + 5, header.bytes.begin());
    m_crc32 = crc32;
    return header.type;
}

int ZmodemReader::hexByte() {
    int high = raw(m_timeoutMs);
    if (high < 0) return high;
    int low = raw(m_timeoutMs);
    if (low < 0) return low;
    int h = hexValue(high & 0x7F), l = hexValue(low & 0x7F);
    return h < 0 || l < 0 ? ZM_GARBAGE : h << 4 | l;
}

int ZmodemReader::readHexHeader(ZmodemHeader &header) {
    uint8_t raw7[7];
    for (uint8_t &byte : raw7) {
        int c = hexByte();
        if (c < 0) return c;
        byte = static_cast<uint8_t>(c);
    }
    if (zmodemCrc16(0, raw7, 5) != (raw7[5] << 8 | raw7[6])) return ZM_BAD_CHECK;
    // The CR and LF after it; a missing one is left for the next read.
    for (int i = 0; i < 2; ++i) {
        int c = raw(m_timeoutMs);
        if (c < 0) break;
        if ((c & 0x7F) != '\r' && (c & 0x7F) != '\n') { unread(c); break; }
    }
    header.type = raw7[0];
    std::copy(raw7 + 1, raw7 + 5, header.bytes.begin());
    m_crc32 = false;
    return header.type;
}

int ZmodemReader::readSubpacket(uint8_t *data, size_t &count) {
    count = 0;
    for (;;) {
        int c = unescaped();
        if (c < 0) return c;
        if (c & subpacketEndFlag) {
            uint8_t end = static_cast<uint8_t>(c);
            const int checkBytes = m_crc32 ? 4 : 2;
            uint32_t received = 0;
            for (int i = 0; i < checkBytes; ++i) {
                int b = unescaped();
                if (b < 0) return b;
                if (b > 0xFF) return ZM_GARBAGE;
                received = m_crc32 ? received | static_cast<uint32_t>(b) << (8 * i)
                                   : received << 8 | static_cast<uint32_t>(b);
            }
            uint32_t expected = m_crc32 ? ~zmodemCrc32(zmodemCrc32(zmodemCrc32Start, data, count), &end, 1)
                                        : zmodemCrc16(zmodemCrc16(0, data, count), &end, 1);
            return received == expected ? static_cast<int>(end) : static_cast<int>(ZM_BAD_CHECK);
        }
        if (count >= zmodemMaxSubpacket) return ZM_TOO_LONG;
        data[count++] = static_cast<uint8_t>(c);
    }
}

}  // namespace korlink
