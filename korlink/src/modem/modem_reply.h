// Classifying a modem's reply with the result-code table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korlink {

// The number of the first table row whose verbose text occurs in `reply` as
// a whole reply (not followed by a letter or digit: "CONNECT 12000" is not
// "CONNECT 1200"); failing that, of the first whole numeric reply (a line of
// digits alone, ended by CR: "13" CR is not "3" CR); -1 when none does.
int16_t classifyReply(const char *reply);

// The same over `length` bytes that need not end in NUL.
int16_t classifyReply(const char *reply, size_t length);

// The first whole numeric reply in `length` bytes that is a table number,
// or -1.
int16_t numericReply(const char *reply, size_t length);

// The speed a CONNECT row names (2400 for 10); 0 for plain CONNECT (1); -1
// for a row that is not a connection.
int32_t connectSpeed(int16_t number);

}  // namespace korlink
