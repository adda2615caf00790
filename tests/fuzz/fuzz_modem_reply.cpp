// Arbitrary bytes as a modem's reply: classified with the result-code table,
// as text (up to a NUL) and as counted bytes. Must never crash or read past
// the reply, and both readings agree when the reply holds no NUL.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "korlink.h"
#include "modem/modem_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string reply(reinterpret_cast<const char *>(data), size);
    int16_t asText = COMMModemParseReply(reply.c_str());
    int16_t counted = korlink::classifyReply(reply.data(), reply.size());
    if (asText < -1 || counted < -1) std::abort();
    if (std::memchr(data, 0, size) == nullptr && asText != counted) std::abort();
    return 0;
}
