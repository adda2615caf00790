// The ZMODEM frame codec: frame types, header layout, ZDLE escaping, and the
// bytes of hex headers, binary headers (CRC-16 or CRC-32) and data
// subpackets. Pure byte work, no line: the reader in zmodem_reader.h decodes
// what this encodes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korlink {

// Frame types carried in the first byte of a header.
enum ZmodemFrame : uint8_t {
    ZRQINIT = 0, ZRINIT = 1, ZSINIT = 2, ZACK = 3, ZFILE = 4, ZSKIP = 5, ZNAK = 6,
    ZABORT = 7, ZFIN = 8, ZRPOS = 9, ZDATA = 10, ZEOF = 11, ZFERR = 12, ZCRC = 13,
    ZCHALLENGE = 14, ZCOMPL = 15, ZCAN = 16, ZFREECNT = 17, ZCOMMAND = 18
};

// Framing bytes.
inline constexpr uint8_t ZPAD = '*';
inline constexpr uint8_t ZDLE = 0x18;        // also CAN: five in a row cancel
inline constexpr uint8_t ZBIN = 'A';         // binary header, CRC-16
inline constexpr uint8_t ZHEX = 'B';         // hex header, CRC-16
inline constexpr uint8_t ZBIN32 = 'C';       // binary header, CRC-32
inline constexpr uint8_t XON = 0x11;
inline constexpr uint8_t XOFF = 0x13;

// How a data subpacket ends (the byte after its ZDLE).
enum ZmodemSubpacketEnd : uint8_t {
    ZCRCE = 'h',   // end of frame, header follows, no answer
    ZCRCG = 'i',   // frame goes on, no answer
    ZCRCQ = 'j',   // frame goes on, ZACK expected
    ZCRCW = 'k'    // end of frame, ZACK expected
};
inline constexpr uint8_t ZRUB0 = 'l';        // escaped 0x7F
inline constexpr uint8_t ZRUB1 = 'm';        // escaped 0xFF

// ZRINIT capability flags (ZF0).
enum ZmodemReceiverFlag : uint8_t {
    CANFDX = 0x01, CANOVIO = 0x02, CANFC32 = 0x20, ESCCTL = 0x40
};
// ZSINIT flags (ZF0): the sender asks the receiver to escape controls.
inline constexpr uint8_t TESCCTL = 0x40;
// ZFILE conversion option (ZF0).
inline constexpr uint8_t ZCBIN = 1;
inline constexpr uint8_t ZCRESUM = 3;

// The longest data subpacket either side takes.
inline constexpr size_t zmodemMaxSubpacket = 8192;

// A header: frame type and four bytes. Positions and counts are little
// endian (ZP0 first); flags are numbered from the other end (ZF0 is byte 3).
struct ZmodemHeader {
    uint8_t type = 0;
    std::array<uint8_t, 4> bytes{};

    static ZmodemHeader at(uint8_t type, uint32_t position);
    static ZmodemHeader withFlags(uint8_t type, uint8_t f0, uint8_t f1 = 0, uint8_t f2 = 0, uint8_t f3 = 0);
    uint32_t position() const;
    uint8_t flag(int n) const { return bytes[static_cast<size_t>(3 - n)]; }
};

// Appends frames to an output buffer with this side's escaping: ZDLE, XON,
// XOFF, DLE (each with bit 7 too) and a CR after '@' always; every control
// character when `escapeAll`.
class ZmodemEncoder {
public:
    explicit ZmodemEncoder(bool escapeAll = false) { setEscapeAll(escapeAll); }
    void setEscapeAll(bool escapeAll);
    bool escapeAll() const { return m_escapeAll; }

    void hexHeader(std::vector<uint8_t> &out, const ZmodemHeader &header);
    void binaryHeader(std::vector<uint8_t> &out, const ZmodemHeader &header, bool crc32);
    void subpacket(std::vector<uint8_t> &out, const uint8_t *data, size_t count, uint8_t end, bool crc32);

private:
    void put(std::vector<uint8_t> &out, uint8_t byte);
    // The same into a buffer with room for two bytes; past the last written.
    uint8_t *put(uint8_t *next, uint8_t byte);

    bool m_escapeAll = false;
    std::array<bool, 256> m_escaped{};
    uint8_t m_last = 0;
};

// Check values of the frames: CRC-16 (CCITT, sent high byte first) and CRC-32
// (reflected, inverted, sent low byte first).
uint16_t zmodemCrc16(uint16_t crc, const uint8_t *data, size_t count);
uint32_t zmodemCrc32(uint32_t crc, const uint8_t *data, size_t count);
inline constexpr uint32_t zmodemCrc32Start = 0xFFFFFFFFu;

}  // namespace korlink
