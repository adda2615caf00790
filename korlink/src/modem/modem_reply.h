// Classifying a modem's reply with the result-code table.
#pragma once

#include <cstdint>

namespace korlink {

// The number of the first table row whose verbose text occurs anywhere in
// `reply`; failing that, of the first row whose numeric reply (digits and CR)
// occurs; -1 when none does.
int16_t classifyReply(const char *reply);

}  // namespace korlink
