// Prefix encoding of packet data: control, eighth-bit and repeat prefixes.
#pragma once

#include "kermit/kermit_settings.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

// The prefixes of one direction; 0 switches eighth-bit or repeat prefixing off.
struct KermitPrefixes {
    int qctl = '#';
    int qbin = 0;
    int rept = 0;
};

// What this side sends with: its own announced control prefix (the peer
// decodes with it) and the agreed eighth-bit and repeat prefixes.
KermitPrefixes sendingPrefixes(const KermitSettings &settings);
// What the peer sends with: the control prefix it announced (in use).
KermitPrefixes receivingPrefixes(const KermitSettings &settings);

// Longest encoding of one input run: repeat prefix, count, eighth-bit
// prefix, control prefix, character.
inline constexpr size_t longestEncodedUnit = 5;

// Encodes bytes from `in` into `out` while a whole unit still fits in `room`
// characters. `consumed` gets the number of input bytes taken; the result
// is the number of characters written. A byte repeated three or more times
// (at most 94) goes out once after the repeat prefix and its count.
size_t encodeData(const KermitPrefixes &prefixes, const uint8_t *in, size_t count, uint8_t *out,
                  size_t room, size_t &consumed);

// Decodes packet data into `out` (at most `capacity` bytes). Returns the
// number of bytes, or -1 when the data is malformed: a prefix with nothing
// after it, a repeat count outside 0..94, or more output than fits. Never
// reads past `length` or writes past `capacity`.
int decodeData(const KermitPrefixes &prefixes, const uint8_t *in, size_t length, uint8_t *out,
               size_t capacity);

}  // namespace korlink
