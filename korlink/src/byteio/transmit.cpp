// Sending bytes: c_putc with the transmit options and flow control, c_puts,
// c_putn, and the transmit queue (c_txcount, c_txflush).
#include "byteio/byte_common.h"
#include "device/device_io.h"
#include "frame/library_state.h"

using namespace korlink;

namespace {

// True when a host hook or the host's pump closed the port: the caller
// returns -102 without touching the freed object.
bool portGone(PortHandle handle, Port &port) { return livePort(handle) != &port; }

// Bit-7 drop, hooks, carrier check, the write, wait-for-echo and the delays
// for one byte that the line-ending mode produced.
int16_t sendTranslated(PortHandle handle, Port &port, int byte) {
    TransmitOptions &tx = port.xlat.tx;
    if (tx.dropBit7 && (byte & 0x80)) return 0;
    if (tx.hook != nullptr) {
        byte = tx.hook(handle, byte);
        if (portGone(handle, port)) return KORLINK_E_NULL_PORT;
        if (byte < 0) return 0;
    }
    if (tx.localEcho != nullptr) {
        tx.localEcho(handle, byte);
        if (portGone(handle, port)) return KORLINK_E_NULL_PORT;
    }
    if (port.watchCarrier && !carrierPresent(port)) return KORLINK_E_CARRIER_LOST;
    int written = writeByte(port, static_cast<uint8_t>(byte));
    if (written < 0) return static_cast<int16_t>(written);
    if (tx.waitEcho) {
        int16_t echo = waitByte(port, static_cast<int16_t>(byte), port.xlat.receiveTimeoutMs);
        if (echo < 0) return echo;
    }
    // The pauses call the host's pump, which may close the port.
    if (tx.afterMs > 0 && byte == tx.afterChar) ms_pause(tx.afterMs);
    else if (tx.interCharMs > 0) ms_pause(tx.interCharMs);
    else return 0;
    return portGone(handle, port) ? int16_t{KORLINK_E_NULL_PORT} : int16_t{0};
}

int16_t putWithOptions(PortHandle handle, Port &port, int byte) {
    TransmitOptions &tx = port.xlat.tx;
    if (tx.pauseMs > 0 && byte == tx.pauseChar) {
        ms_pause(tx.pauseMs);
        return portGone(handle, port) ? int16_t{KORLINK_E_NULL_PORT} : int16_t{0};
    }
    if (int held = waitWhileHeld(port); held != 0) return static_cast<int16_t>(held);
    byte = convertCase(tx.caseMode, byte);
    LineEndingResult ending = translateLineEnding(tx.lineEnding, port.line.txPrevious, byte);
    port.line.txPrevious = static_cast<int16_t>(byte);
    if (ending.first < 0) return 0;
    int16_t result = sendTranslated(handle, port, ending.first);
    if (result < 0 || ending.second < 0) return result;
    return sendTranslated(handle, port, ending.second);
}

}  // namespace

extern "C" {

KORLINK_API int16_t c_putc(PortHandle handle, int16_t byte) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_putc()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    int value = byte & 0xFF;
    if (port->xlat.tx.enabled) return putWithOptions(handle, *port, value);
    if (int held = waitWhileHeld(*port); held != 0) return static_cast<int16_t>(held);
    return static_cast<int16_t>(writeByte(*port, static_cast<uint8_t>(value)));
}

KORLINK_API int16_t c_puts(PortHandle handle, const char *text) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_puts()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    if (text == nullptr)
        return reportArgError(KORLINK_E_BAD_ARG2, "c_puts()", "ERROR: BADPARM1. Parameter is NULL");
    for (const char *next = text; *next != '\0'; ++next) {
        int16_t result = c_putc(handle, static_cast<unsigned char>(*next));
        if (result < 0) return result;
        if (int16_t stop = cancelCheck(*port); stop != 0) return stop;
    }
    if (port->xlat.tx.endOfString != nullptr) port->xlat.tx.endOfString(handle);
    return 0;
}

KORLINK_API int16_t c_putn(PortHandle handle, int32_t count, const char *data) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_putn()", refusal);
    if (port == nullptr) return refusal;
    PortCall call(*port);
    if (data == nullptr)
        return reportArgError(KORLINK_E_BAD_ARG3, "c_putn()", "ERROR: BADPARM2. Parameter is NULL");
    if (count < 0) return KORLINK_E_BAD_ARG3;
    if (count == 0) return 0;
    return static_cast<int16_t>(
        writeBytes(*port, reinterpret_cast<const uint8_t *>(data), count));
}

KORLINK_API int16_t c_txcount(PortHandle handle) {
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_txcount()", refusal);
    if (port == nullptr) return refusal;
    return static_cast<int16_t>(transmitFree(*port));
}

KORLINK_API int16_t c_txflush(PortHandle handle, int16_t count) {
    (void)count;  // the serial device always purges the whole queue
    int16_t refusal = 0;
    Port *port = bytePort(handle, "c_txflush()", refusal);
    if (port == nullptr) return refusal;
    return static_cast<int16_t>(purgeTransmit(*port));
}

}  // extern "C"
