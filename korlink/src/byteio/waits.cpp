// Waiting for received data: c_waitc, c_rxpeeks, c_waits, and ms_pause.
// Every wait alternates one pump call with a poll of at most 10 ms.
#include "byteio/byte_common.h"
#include "device/device_io.h"
#include "frame/library_state.h"

#include <algorithm>
#include <cstring>
#include <poll.h>

using namespace korlink;

namespace {

int remainingMs(uint32_t deadline) {
    int32_t left = static_cast<int32_t>(deadline - tickMs());
    return std::clamp(left, 0, 10);
}

// Carrier loss (with the watch on) and the cancel key end a wait: -112 or
// -123; 0 to go on. Calls the pump once; a host handler that closed the port
// meanwhile ends the wait with -102 before the freed object is touched.
int16_t interruption(Port &port) {
    if (port.watchCarrier && !carrierPresent(port)) return KORLINK_E_CARRIER_LOST;
    return cancelCheck(port);
}

// Looks for `text` in the buffered data from `start`, continuing a partial
// match of `matched` characters; the position of the match or -1.
int32_t scanForText(Port &port, const char *text, int32_t length, int32_t &start, int32_t &matched) {
    for (;;) {
        int byte = peekByte(port, start + matched);
        if (byte < 0) return -1;
        if (byte == static_cast<unsigned char>(text[matched])) {
            if (++matched == length) return start;
        } else {
            ++start;  // a false start: retry one position later
            matched = 0;
        }
    }
}

}  // namespace

namespace korlink {

int16_t waitByte(Port &port, int16_t wanted, int32_t timeoutMs) {
    resumeCheck(port);
    if (timeoutMs > 0 && timeoutMs < 55) timeoutMs = 55;
    uint32_t deadline = tickMs() + static_cast<uint32_t>(std::max<int32_t>(timeoutMs, 0));
    for (;;) {
        int byte;
        while ((byte = readByte(port)) >= 0)
            if (wanted == -1 || byte == wanted) return static_cast<int16_t>(byte);
        // COMMXferCancel may set the flag from the host's thread while a
        // background transfer waits here.
        if (__atomic_exchange_n(&port.cancelPending, false, __ATOMIC_ACQ_REL)) return KORLINK_E_CANCELLED;
        if (int16_t stop = interruption(port); stop != 0) return stop;
        if (tickReached(deadline)) return -1;
        if (!pollInput(port, remainingMs(deadline))) return -1;
    }
}

}  // namespace korlink

extern "C" {

KORLINK_API int16_t c_waitc(PortHandle handle, int16_t wanted, int32_t timeoutMs) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_waitc()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    return waitByte(*port, wanted, timeoutMs);
}

KORLINK_API int16_t c_rxpeeks(PortHandle handle, const char *text, int32_t timeoutMs) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_rxpeeks()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    if (text == nullptr)
        return reportArgError(KORLINK_E_BAD_ARG2, "c_rxpeeks()", "ERROR: BADPARM1. Parameter is NULL");
    int32_t length = static_cast<int32_t>(std::strlen(text));
    if (length == 0) return -1;
    uint32_t deadline = tickMs() + static_cast<uint32_t>(std::max<int32_t>(timeoutMs, 0));
    int32_t start = 0;
    int32_t matched = 0;
    for (;;) {
        if (int16_t stop = interruption(*port); stop != 0) return stop;
        int32_t found = scanForText(*port, text, length, start, matched);
        if (found >= 0) return static_cast<int16_t>(found);
        if (tickReached(deadline)) return -1;
        if (!pollInput(*port, remainingMs(deadline))) return -1;
    }
}

// On a failure only what was buffered before the wait is discarded, all but
// its last strlen(text) bytes: a match that has only begun can still complete
// in the next call, and whatever arrived during the wait (an "ERROR" after a
// wait for "OK") stays to be read.
KORLINK_API int16_t c_waits(PortHandle handle, const char *text, int32_t timeoutMs) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_waits()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    if (text == nullptr)
        return reportArgError(KORLINK_E_BAD_ARG2, "c_waits()", "ERROR: BADPARM1. Parameter is NULL");
    int32_t length = static_cast<int32_t>(std::strlen(text));
    int32_t before = receiveCount(*port);
    int16_t found = c_rxpeeks(handle, text, timeoutMs);
    if (found == KORLINK_E_NULL_PORT) return found;  // the host closed the port meanwhile
    if (found >= 0) {
        discardBytes(*port, found + length);
        return 0;
    }
    if (before > length) discardBytes(*port, before - length);
    return found;
}

KORLINK_API uint32_t ms_pause(int32_t ms) {
    uint32_t deadline = tickMs() + static_cast<uint32_t>(std::max<int32_t>(ms, 0));
    for (;;) {
        pumpHost();
        if (tickReached(deadline)) return tickMs();
        passIdleTime(remainingMs(deadline));
    }
}

}  // extern "C"
