// Check values of the transfer protocols: the 8-bit sum, the CRC-16 register
// shifted most significant bit first, and the reflected CRC-32.
#include "transfer/checks.h"

#include "frame/port.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 256> makeCrc32Table() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> crc32Table = makeCrc32Table();

// CRC-CCITT (polynomial 0x1021, most significant bit first) a byte at a time:
// a block's check is on the path of every block sent or received.
constexpr std::array<uint16_t, 256> makeCcittTable() {
    std::array<uint16_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i << 8;
        for (int bit = 0; bit < 8; ++bit) value = (value & 0x8000) ? (value << 1) ^ 0x1021 : value << 1;
        table[i] = static_cast<uint16_t>(value);
    }
    return table;
}

constexpr std::array<uint16_t, 256> ccittTable = makeCcittTable();

uint16_t ccittStep(uint16_t crc, uint8_t byte) {
    return static_cast<uint16_t>((crc << 8) ^ ccittTable[((crc >> 8) ^ byte) & 0xFF]);
}

}  // namespace

namespace korlink {

uint16_t ccittUpdate(uint16_t crc, const uint8_t *data, size_t count) {
    for (size_t i = 0; i < count; ++i) crc = ccittStep(crc, data[i]);
    return crc;
}

uint32_t crc32Update(uint32_t crc, const uint8_t *data, size_t count) {
    for (size_t i = 0; i < count; ++i) crc = (crc >> 8) ^ crc32Table[(crc ^ data[i]) & 0xFF];
    return crc;
}

uint16_t blockCheck(const uint8_t *data, size_t count, bool crc) {
    uint16_t check = 0;
    if (crc) {
        check = ccittUpdate(check, data, count);
    } else {
        for (size_t i = 0; i < count; ++i) check = static_cast<uint16_t>(check + data[i]);
    }
    return check;
}

}  // namespace korlink

extern "C" {

KORLINK_API uint16_t checksum(uint16_t sum, uint8_t byte) {
    return static_cast<uint16_t>(sum + byte);
}

KORLINK_API uint16_t checksumn(const uint8_t *data, uint16_t length) {
    if (!data)
        return static_cast<uint16_t>(korlink::reportArgError(
            KORLINK_E_NULL_PORT, "checksumn()", "ERROR: BADPARM1. Parameter is NULL"));
    uint16_t sum = 0;
    for (uint16_t i = 0; i < length; ++i) sum = checksum(sum, data[i]);
    return sum;
}

KORLINK_API uint16_t crc16(uint16_t crc, uint8_t byte, uint16_t polynomial) {
    uint16_t shifted = static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
        bool top = ((crc ^ shifted) & 0x8000) != 0;
        crc = static_cast<uint16_t>(crc << 1);
        if (top) crc ^= polynomial;
        shifted = static_cast<uint16_t>(shifted << 1);
    }
    return crc;
}

KORLINK_API uint16_t crc_ccitt(uint16_t crc, uint8_t byte) {
    return ccittStep(crc, byte);
}

KORLINK_API uint32_t crc32(uint32_t crc, uint8_t byte, uint32_t /*unused*/) {
    return (crc >> 8) ^ crc32Table[(crc ^ byte) & 0xFF];
}

}  // extern "C"
