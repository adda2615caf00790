// Arbitrary bytes from the line into a Kermit freceive (protocol 104): what a
// sender puts on the line, packets or not. The port is opened on the
// library's in-memory device and the library runs on a virtual clock, so
// every time-out and retry passes at once; the bytes arrive at the
// receiver's first wait for the line, after it has cleared stale input.
// The receive must never crash, read past a packet, or write outside its
// folder.
#include "memory_line_harness.h"

namespace {

void fewRetries(PortHandle port) {
    COMMKermitSet(port, KORLINK_KERMIT_RETRY_LIMIT, 2);
    COMMKermitSet(port, KORLINK_KERMIT_TIMEOUT_MS, 300);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzline::Line &l = fuzzline::line("fuzz_kermit", fewRetries);
    fuzzline::takeInput(l, data, size);
    COMMKermitSet(l.port, KORLINK_KERMIT_USED_TIME, 1);
    freceive(l.port, KORLINK_PROTO_KERMIT, 4096, nullptr, 0);
    fuzzline::endInput(l);
    return 0;
}
