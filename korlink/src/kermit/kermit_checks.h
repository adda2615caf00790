// Kermit's block checks: type 1 (a 6-bit folded sum), type 2 (a 12-bit sum)
// and type 3 (a 16-bit CRC), each sent as printable characters.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korlink {

// Characters a block check of `type` ('1', '2' or '3') takes; anything else
// counts as type 1.
int checkChars(int type);

// Writes the block check of `type` over `count` characters (LEN to the end of
// the data) into `out` (checkChars(type) characters). `sevenBit` takes each
// character as 7 bits, as a line with parity carries them.
void blockCheck(int type, const uint8_t *chars, size_t count, bool sevenBit, uint8_t *out);

// The one-character type-1 check of a sum.
int checkType1(uint32_t sum);

}  // namespace korlink
