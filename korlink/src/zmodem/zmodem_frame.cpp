#include "zmodem/zmodem_frame.h"

#include "korlink.h"
#include "transfer/checks.h"

namespace korlink {

ZmodemHeader ZmodemHeader::at(uint8_t type, uint32_t position) {
    ZmodemHeader header;
    header.type = type;
    for (size_t i = 0; i < 4; ++i) header.bytes[i] = static_cast<uint8_t>(position >> (8 * i));
    return header;
}

ZmodemHeader ZmodemHeader::withFlags(uint8_t type, uint8_t f0, uint8_t f1, uint8_t f2, uint8_t f3) {
    ZmodemHeader header;
    header.type = type;
    header.bytes = {f3, f2, f1, f0};
    return header;
}

uint32_t ZmodemHeader::position() const {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t zmodemCrc16(uint16_t crc, const uint8_t *data, size_t count) { return ccittUpdate(crc, data, count); }

uint32_t zmodemCrc32(uint32_t crc, const uint8_t *data, size_t count) { return crc32Update(crc, data, count); }

void ZmodemEncoder::setEscapeAll(bool escapeAll) {
    m_escapeAll = escapeAll;
    for (int byte = 0; byte < 256; ++byte) {
        int low = byte & 0x7F;
        // DLE and the flow-control bytes are eaten by modems and terminal
        // servers; ZDLE is the escape itself.
        bool always = low == ZDLE || low == XON || low == XOFF || low == 0x10;
        m_escaped[static_cast<size_t>(byte)] = always || (escapeAll && (low < 32 || low == 0x7F));
    }
}

uint8_t *ZmodemEncoder::put(uint8_t *next, uint8_t byte) {
    bool escape = m_escaped[byte];
    // "@" then CR is a command to some packet networks.
    if (!escape && (byte & 0x7F) == '\r' && (m_last & 0x7F) == '@') escape = true;
    m_last = byte;
    if (!escape) {
        *next++ = byte;
        return next;
    }
    *next++ = ZDLE;
    *next++ = byte == 0x7F ? ZRUB0 : byte == 0xFF ? ZRUB1 : static_cast<uint8_t>(byte ^ 0x40);
    return next;
}

void ZmodemEncoder::put(std::vector<uint8_t> &out, uint8_t byte) {
    uint8_t pair[2];
    out.insert(out.end(), pair, put(pair, byte));
}

void ZmodemEncoder::hexHeader(std::vector<uint8_t> &out, const ZmodemHeader &header) {
    static const char digits[] = "0123456789abcdef";
    uint8_t raw[7] = {header.type, header.bytes[0], header.bytes[1], header.bytes[2], header.bytes[3]};
    uint16_t crc = zmodemCrc16(0, raw, 5);
    raw[5] = static_cast<uint8_t>(crc >> 8);
    raw[6] = static_cast<uint8_t>(crc);
    out.insert(out.end(), {ZPAD, ZPAD, ZDLE, ZHEX});
    for (uint8_t byte : raw) {
        out.push_back(static_cast<uint8_t>(digits[byte >> 4]));
        out.push_back(static_cast<uint8_t>(digits[byte & 15]));
    }
    out.push_back('\r');
    out.push_back('\n' | 0x80);
    // A receiver's XOFF-held sender is released; the end frames need none.
    if (header.type != ZFIN && header.type != ZACK) out.push_back(XON);
    m_last = 0;
}

void ZmodemEncoder::binaryHeader(std::vector<uint8_t> &out, const ZmodemHeader &header, bool crc32) {
    uint8_t raw[5] = {header.type, header.bytes[0], header.bytes[1], header.bytes[2], header.bytes[3]};
    out.insert(out.end(), {ZPAD, ZDLE, crc32 ? ZBIN32 : ZBIN});
    for (uint8_t byte : raw) put(out, byte);
    if (crc32) {
        uint32_t crc = ~zmodemCrc32(zmodemCrc32Start, raw, 5);
        for (int i = 0; i < 4; ++i) put(out, static_cast<uint8_t>(crc >> (8 * i)));
    } else {
        uint16_t crc = zmodemCrc16(0, raw, 5);
        put(out, static_cast<uint8_t>(crc >> 8));
        put(out, static_cast<uint8_t>(crc));
    }
}

void ZmodemEncoder::subpacket(std::vector<uint8_t> &out, const uint8_t *data, size_t count, uint8_t end,
                              bool crc32) {
    // Room for every byte escaped, filled through a pointer: the data's
    // path is the hot one.
    size_t start = out.size();
    out.resize(start + 2 * count);
    uint8_t *next = out.data() + start;
    for (size_t i = 0; i < count; ++i) next = put(next, data[i]);
    out.resize(static_cast<size_t>(next - out.data()));
    out.push_back(ZDLE);
    out.push_back(end);
    m_last = end;
    if (crc32) {
        uint32_t crc = ~zmodemCrc32(zmodemCrc32(zmodemCrc32Start, data, count), &end, 1);
        for (int i = 0; i < 4; ++i) put(out, static_cast<uint8_t>(crc >> (8 * i)));
    } else {
        uint16_t crc = zmodemCrc16(zmodemCrc16(0, data, count), &end, 1);
        put(out, static_cast<uint8_t>(crc >> 8));
        put(out, static_cast<uint8_t>(crc));
    }
    // After a frame that waits for an answer, release a sender held by XOFF.
    if (end == ZCRCW) out.push_back(XON);
}

}  // namespace korlink
