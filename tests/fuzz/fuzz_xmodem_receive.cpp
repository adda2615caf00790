// Arbitrary bytes from the line into freceive: the first byte picks the
// protocol (105..109), the rest is what the sender puts on the line. The port
// is opened on the library's in-memory device and the library runs on a
// virtual clock, so every time-out and retry passes at once; the bytes arrive
// at the receiver's first wait for the line, after it has cleared stale input
// and asked for the first block. The receive must never crash, read past a
// block, or write outside its folder.
#include "memory_line_harness.h"

namespace {

void shortTimeOuts(PortHandle port) {
    COMMXMODEMSet(port, 1, 0);
    COMMXMODEMSet(port, 203, 300);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    fuzzline::Line &l = fuzzline::line("fuzz_xmodem", shortTimeOuts);
    const int16_t protocol = static_cast<int16_t>(105 + data[0] % 5);
    fuzzline::takeInput(l, data + 1, size - 1);
    freceive(l.port, protocol, 4096, nullptr, 0);
    fuzzline::endInput(l);
    return 0;
}
