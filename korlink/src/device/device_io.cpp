// The receive buffer, writes and flow-control holds of every backend.
#include "device/device_io.h"

#include "device/device_ops.h"
#include "frame/library_state.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>

namespace korlink {

namespace {

// With XON/XOFF output pacing the peer's XON and XOFF are line control, not
// data: they are taken out of the received bytes and pause or resume output.
int32_t takeOutFlowChars(Port &port, uint8_t *bytes, int32_t count) {
    const FlowControl &flow = port.xlat.flow;
    if (!flow.xonXoffOutput) return count;
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (bytes[i] == flow.xoffChar) port.line.pausedByXoff = true;
        else if (bytes[i] == flow.xonChar) port.line.pausedByXoff = false;
        else bytes[kept++] = bytes[i];
    }
    return kept;
}

void holdPeer(Port &port, bool hold) {
    const FlowControl &flow = port.xlat.flow;
    if (flow.rxXon) {
        uint8_t byte = static_cast<uint8_t>(hold ? flow.xoffChar : flow.xonChar);
        port.ops->write(port, &byte, 1);
    }
    if (flow.rxRts) port.ops->switchLine(port, TIOCM_RTS, !hold);
    if (flow.rxDtr) port.ops->switchLine(port, TIOCM_DTR, !hold);
    port.line.rxHeld = hold;
}

void holdIfFull(Port &port) {
    const FlowControl &flow = port.xlat.flow;
    const ReceiveBuffer &rx = *port.rx;
    if (flow.receiveSide() && !port.line.rxHeld &&
        rx.available() > rx.size() * flow.xoffPercent / 100)
        holdPeer(port, true);
}

bool flowControlOn(const FlowControl &flow) { return flow.xonXoffOutput || flow.cts || flow.dsr; }

}  // namespace

bool topUp(Port &port) {
    ReceiveBuffer &rx = *port.rx;
    if (rx.position == rx.end) {
        rx.position = rx.end = 0;
    } else if (rx.end == rx.size() && rx.position > 0) {
        std::memmove(rx.data.data(), rx.data.data() + rx.position, rx.available());
        rx.end -= rx.position;
        rx.position = 0;
    }
    int32_t room = std::min(rx.size() - rx.end, 32767 - rx.end);
    if (room <= 0) return true;
    int32_t got = port.ops->read(port, rx.data.data() + rx.end, room);
    if (got < 0) return false;
    rx.end += takeOutFlowChars(port, rx.data.data() + rx.end, got);
    holdIfFull(port);
    return true;
}

int readByte(Port &port) {
    ReceiveBuffer &rx = *port.rx;
    if (rx.available() == 0) topUp(port);
    if (rx.available() == 0) return -1;
    return rx.data[rx.position++];
}

int takeBufferedByte(Port &port) {
    ReceiveBuffer &rx = *port.rx;
    if (rx.available() == 0) return -1;
    resumeCheck(port);
    return rx.data[rx.position++];
}

int peekByte(Port &port, int32_t index) {
    const ReceiveBuffer &rx = *port.rx;
    if (index < 0) return -1;
    if (index >= rx.available()) topUp(port);
    if (index >= rx.available()) return -1;
    return rx.data[rx.position + index];
}

int32_t receiveCount(Port &port) {
    topUp(port);
    return port.rx->available();
}

int32_t discardBytes(Port &port, int32_t count) {
    int32_t dropped = 0;
    while ((count == 0 || dropped < count) && readByte(port) >= 0) ++dropped;
    return dropped;
}

bool pollInput(Port &port, int ms) { return port.ops->waitInput(port, std::clamp(ms, 0, 10)); }

void resumeCheck(Port &port) {
    const FlowControl &flow = port.xlat.flow;
    const ReceiveBuffer &rx = *port.rx;
    if (port.line.rxHeld && rx.available() <= rx.size() * flow.xonPercent / 100)
        holdPeer(port, false);
}

int waitWhileHeld(Port &port) {
    const FlowControl &flow = port.xlat.flow;
    // Without output flow control nothing can hold output: no read, no wait.
    if (flow.suspended || !flowControlOn(flow)) return 0;
    for (;;) {
        if (!topUp(port)) return -1;
        // Lines a pty cannot report (-1) never hold output.
        bool held = (flow.xonXoffOutput && port.line.pausedByXoff) ||
                    (flow.cts && modemLine(port, TIOCM_CTS) == 0) ||
                    (flow.dsr && modemLine(port, TIOCM_DSR) == 0);
        if (!held) return 0;
        if (int16_t stop = cancelCheck(port); stop != 0) return stop;
        if (port.watchCarrier && !carrierPresent(port)) return KORLINK_E_CARRIER_LOST;
        if (!pollInput(port, 10)) return -1;
        // A host pump may lift the suspension meanwhile (transmit item 121).
        if (flow.suspended) return 0;
    }
}

int writeRaw(Port &port, const uint8_t *data, int32_t count) {
    int32_t done = 0;
    while (done < count) {
        int32_t sent = port.ops->write(port, data + done, count - done);
        if (sent > 0) {
            done += sent;
            continue;
        }
        if (sent < 0) return -1;
        if (int16_t stop = cancelCheck(port); stop != 0) return stop;
        if (!port.ops->waitOutput(port)) return -1;
    }
    return 0;
}

int writeBytes(Port &port, const uint8_t *data, int32_t count) {
    int held = waitWhileHeld(port);
    return held != 0 ? held : writeRaw(port, data, count);
}

// A byte is written once more than a quarter of the transmit queue is free.
// The device may accept bytes (poll says writable) long before its queue has
// drained that far, so the wait sleeps a few milliseconds between looks.
int writeByte(Port &port, uint8_t byte) {
    while (port.transmitSize - port.ops->transmitQueued(port) <= port.transmitSize / 4) {
        if (int16_t stop = cancelCheck(port); stop != 0) return stop;
        if (!port.ops->waitOutput(port)) return -1;
        passIdleTime(2);
    }
    return writeRaw(port, &byte, 1);
}

int32_t transmitFree(Port &port) {
    int32_t queued = port.ops->transmitQueued(port);
    // One byte still queued counts as an empty queue: hosts pace on the full size.
    if (queued == 1) return port.transmitSize;
    return std::max(port.transmitSize - queued, 0);  // the kernel queue may be larger
}

int purgeTransmit(Port &port) { return port.ops->purgeTransmit(port); }

namespace {
// What a close allows beyond the line time of the queue: the driver's hand
// over to the UART and the UART's own buffer (16 bytes at 300 baud fit).
constexpr uint32_t kDrainMarginMs = 600;
// How often a draining close looks at the queue again.
constexpr int kDrainStepMs = 10;
constexpr int32_t kDefaultBaud = 9600;
}  // namespace

uint32_t drainLimitMs(int32_t queued, int32_t baud, int bitsPerByte) {
    if (queued <= 0) return 0;
    if (baud <= 0) baud = kDefaultBaud;
    uint64_t lineMs = (static_cast<uint64_t>(queued) * bitsPerByte * 1000 + baud - 1) / baud;
    return static_cast<uint32_t>(std::min<uint64_t>(lineMs, UINT32_MAX - kDrainMarginMs)) + kDrainMarginMs;
}

int lineBitsPerByte(const Port &port) {
    const termios &block = port.deviceSettings;
    int dataBits = 8;
    switch (block.c_cflag & CSIZE) {
    case CS5: dataBits = 5; break;
    case CS6: dataBits = 6; break;
    case CS7: dataBits = 7; break;
    default: break;
    }
    int parityBits = (block.c_cflag & PARENB) ? 1 : 0;
    int stopBits = (block.c_cflag & CSTOPB) ? 2 : 1;
    return 1 + dataBits + parityBits + stopBits;
}

bool drainTransmit(Port &port) {
    int32_t queued = port.ops->transmitQueued(port);
    if (queued <= 0) return true;
    uint32_t deadline = tickMs() + drainLimitMs(queued, port.baud, lineBitsPerByte(port));
    while (!tickReached(deadline)) {
        passIdleTime(kDrainStepMs);
        if (port.ops->transmitQueued(port) <= 0) return true;
    }
    return false;
}

int32_t modemLine(Port &port, int bit) { return port.ops->modemLine(port, bit); }

bool carrierPresent(Port &port) { return modemLine(port, TIOCM_CAR) != 0; }

int32_t readFlow(Port &port, int16_t item) {
    const FlowControl &flow = port.xlat.flow;
    switch (item) {
    case 103: return (flow.rxXon ? 1 : 0) | (flow.rxRts ? 2 : 0) | (flow.rxDtr ? 4 : 0);
    case 105: return flow.xoffPercent;
    case 110: return flow.xonPercent;
    case 120: return flow.xoffChar;
    case 121: return flow.xonChar;
    default: return -1;
    }
}

// Item 103 takes bit 0 XON/XOFF, bit 1 RTS, bit 2 DTR.
int setReceiveFlow(Port &port, int16_t item, int32_t value) {
    FlowControl &flow = port.xlat.flow;
    switch (item) {
    case 103:
        if (port.line.rxHeld) holdPeer(port, false);
        flow.rxXon = value & 1;
        flow.rxRts = value & 2;
        flow.rxDtr = value & 4;
        return 0;
    case 105: if (value < 1 || value > 100) return -1; flow.xoffPercent = value; return 0;
    case 110: if (value < 0 || value > 99) return -1; flow.xonPercent = value; return 0;
    case 120: flow.xoffChar = value & 0xFF; return 0;
    case 121: flow.xonChar = value & 0xFF; return 0;
    default: return -1;
    }
}

// Item 103 takes bit 0 XON/XOFF pacing, bit 1 CTS, bit 2 DSR.
int setTransmitFlow(Port &port, int16_t item, int32_t value) {
    FlowControl &flow = port.xlat.flow;
    if (item != 103) return -1;
    flow.xonXoffOutput = value & 1;
    flow.cts = value & 2;
    flow.dsr = value & 4;
    if (!flow.xonXoffOutput) port.line.pausedByXoff = false;
    return 0;
}

}  // namespace korlink
