// Taking received bytes: c_inchar, c_getc (with the string watch and the
// receive options), c_gets, counting, peeking and discarding.
#include "byteio/byte_common.h"
#include "device/device_io.h"
#include "frame/library_state.h"

using namespace korlink;

namespace {

// Hook, case conversion, line-ending mode and bit-7 drop of the receive
// options; -1 when the byte is swallowed. A hook that closed the port sets
// `portGone` and the byte comes back as it was received.
int applyReceiveOptions(Port &port, int byte, bool &portGone) {
    const ReceiveOptions &rx = port.xlat.rx;
    int original = byte;
    if (rx.hook != nullptr) {
        PortHandle handle = handleOf(&port);
        byte = rx.hook(handle, byte);
        if (livePort(handle) != &port) {
            portGone = true;
            return original;
        }
        if (byte < 0) return -1;
    }
    byte = convertCase(rx.caseMode, byte & 0xFF);
    LineState &line = port.line;
    LineEndingResult ending = translateLineEnding(rx.lineEnding, line.rxPrevious, byte);
    line.rxPrevious = static_cast<int16_t>(original);
    line.rxPending = static_cast<int16_t>(ending.second);
    if (ending.first < 0 || (rx.dropBit7 && (ending.first & 0x80))) return -1;
    return ending.first;
}

}  // namespace

namespace korlink {

int16_t getByte(Port &port, int32_t timeoutMs, bool &portGone) {
    LineState &line = port.line;
    if (line.rxPending >= 0) {  // second byte of an expansion skips the watch
        int16_t byte = line.rxPending;
        line.rxPending = -1;
        return byte;
    }
    for (;;) {
        int16_t byte = timeoutMs != 0 ? waitByte(port, -1, timeoutMs)
                                      : static_cast<int16_t>(readByte(port));
        if (byte == KORLINK_E_NULL_PORT) portGone = true;  // closed by the host's pump
        if (byte < 0) return byte;
        watchUpdate(port, byte);
        watchCheck(port, portGone);
        if (portGone || !port.xlat.rx.enabled) return byte;
        int out = applyReceiveOptions(port, byte, portGone);
        if (out >= 0) return static_cast<int16_t>(out);
    }
}

}  // namespace korlink

extern "C" {

KORLINK_API int16_t c_inchar(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_inchar()", refusal);
    if (port == nullptr) return refusal;
    return static_cast<int16_t>(readByte(*port));
}

KORLINK_API int16_t c_getc(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_getc()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    bool portGone = false;
    return getByte(*port, port->xlat.receiveTimeoutMs, portGone);
}

KORLINK_API int16_t c_rxcount(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_rxcount()", refusal);
    if (port == nullptr) return refusal;
    return static_cast<int16_t>(receiveCount(*port));
}

KORLINK_API int16_t c_rxflush(PortHandle handle, int16_t count) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_rxflush()", refusal);
    if (port == nullptr) return refusal;
    if (count < 0) count = 0;
    return static_cast<int16_t>(discardBytes(*port, count));
}

KORLINK_API int16_t c_rxpeek(PortHandle handle, int16_t index) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_rxpeek()", refusal);
    if (port == nullptr) return refusal;
    return static_cast<int16_t>(peekByte(*port, index));
}

// The first byte waits the line time-out, later ones the receive time-out; a
// zero line time-out takes the receive time-out for good.
KORLINK_API int16_t c_gets(PortHandle handle, char *buffer, int16_t size, int16_t terminator) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_gets()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    if (buffer == nullptr)
        return reportArgError(KORLINK_E_BAD_ARG2, "c_gets()", "ERROR: BADPARM1. Parameter is NULL");
    if (size < 1) return 0;
    XlatState &xlat = port->xlat;
    if (xlat.lineTimeoutMs == 0) xlat.lineTimeoutMs = xlat.receiveTimeoutMs;
    int16_t stored = 0;
    int16_t result = 0;
    while (stored < size - 1) {
        bool portGone = false;
        int16_t byte = getByte(*port, stored == 0 ? xlat.lineTimeoutMs : xlat.receiveTimeoutMs, portGone);
        if (byte < 0) {
            if (byte != -1) result = byte;
            break;
        }
        buffer[stored++] = static_cast<char>(byte);
        // A callback that closed the port ends the line with the byte it saw.
        if (portGone || byte == terminator) break;
    }
    buffer[stored] = '\0';
    return result < 0 ? result : stored;
}

}  // extern "C"
