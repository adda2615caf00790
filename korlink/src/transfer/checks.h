// Block checks shared by the transfer engines.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korlink {

// The check value of a block's data: CRC-CCITT when `crc`, else the 8-bit
// sum (in the low byte of the 16-bit total).
uint16_t blockCheck(const uint8_t *data, size_t count, bool crc);

// The registers of the exported crc_ccitt and crc32 carried over a whole
// block: no call per byte on a stream's path.
uint16_t ccittUpdate(uint16_t crc, const uint8_t *data, size_t count);
uint32_t crc32Update(uint32_t crc, const uint8_t *data, size_t count);

}  // namespace korlink
