// Arbitrary bytes as a YMODEM batch header block: the name that comes out is
// always a bare name that stays in the receive folder.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "xmodem/xmodem_header.h"

namespace {
void checkBare(const std::string &name) {
    if (name == "." || name == "..")
        std::abort();
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F)
            std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    korlink::BatchHeader header = korlink::parseBatchHeader(data, size);
    checkBare(header.name);
    if (header.length < -1)
        std::abort();
    checkBare(korlink::bareFileName(std::string(reinterpret_cast<const char *>(data), size)));
    return 0;
}
