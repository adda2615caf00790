// Arbitrary bytes from the line into a ZMODEM freceive (protocol 110): what a
// sender puts on the line, frames or not. The port is opened on the library's
// in-memory device and the library runs on a virtual clock, so every time-out
// and retry passes at once; the bytes arrive at the receiver's first wait for
// the line, after its first ZRINIT. The receive must never crash, read past
// a subpacket, or write outside its folder.
#include "memory_line_harness.h"

namespace {

void fewRetries(PortHandle port) {
    COMMZMODEMSet(port, KORLINK_ZMODEM_RETRY_LIMIT, 2);
    COMMZMODEMSet(port, KORLINK_ZMODEM_TIMEOUT_MS, 300);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzline::Line &l = fuzzline::line("fuzz_zmodem", fewRetries);
    fuzzline::takeInput(l, data, size);
    freceive(l.port, KORLINK_PROTO_ZMODEM, 4096, nullptr, 0);
    fuzzline::endInput(l);
    return 0;
}
