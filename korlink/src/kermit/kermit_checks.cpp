#include "kermit/kermit_checks.h"

namespace korlink {

namespace {

int printable(uint32_t value) { return static_cast<int>(value) + 32; }

uint32_t sumOf(const uint8_t *chars, size_t count, uint8_t mask) {
    uint32_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum += chars[i] & mask;
    return sum;
}

// The CRC of the Kermit protocol: CCITT polynomial, bits taken low first,
// starting from 0, four bits at a time.
uint16_t crc16(const uint8_t *chars, size_t count, uint8_t mask) {
    uint32_t crc = 0;
    for (size_t i = 0; i < count; ++i) {
        uint32_t c = chars[i] & mask;
        uint32_t q = (crc ^ c) & 017;
        crc = (crc >> 4) ^ (q * 010201);
        q = (crc ^ (c >> 4)) & 017;
        crc = (crc >> 4) ^ (q * 010201);
    }
    return static_cast<uint16_t>(crc);
}

}  // namespace

int checkChars(int type) { return type == '2' ? 2 : type == '3' ? 3 : 1; }

int checkType1(uint32_t sum) { return printable((sum + ((sum >> 6) & 3)) & 63); }

void blockCheck(int type, const uint8_t *chars, size_t count, bool sevenBit, uint8_t *out) {
    uint8_t mask = sevenBit ? 0x7F : 0xFF;
    if (type == '3') {
        uint16_t crc = crc16(chars, count, mask);
        out[0] = static_cast<uint8_t>(printable((crc >> 12) & 0x0F));
        out[1] = static_cast<uint8_t>(printable((crc >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(printable(crc & 0x3F));
        return;
    }
    uint32_t sum = sumOf(chars, count, mask);
    if (type == '2') {
        sum &= 4095;
        out[0] = static_cast<uint8_t>(printable(sum >> 6));
        out[1] = static_cast<uint8_t>(printable(sum & 63));
        return;
    }
    out[0] = static_cast<uint8_t>(checkType1(sum));
}

}  // namespace korlink
