// The termios driver's receive buffer, writes and flow-control holds, and its
// operations table.
#include "device/device_termios.h"

#include "frame/library_state.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

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
        if (::write(port.fd, &byte, 1) != 1) port.lastError = errno;
    }
    if (flow.rxRts) switchLine(port, TIOCM_RTS, !hold);
    if (flow.rxDtr) switchLine(port, TIOCM_DTR, !hold);
    port.line.rxHeld = hold;
}

void holdIfFull(Port &port) {
    const FlowControl &flow = port.xlat.flow;
    const ReceiveBuffer &rx = *port.rx;
    if (flow.receiveSide() && !port.line.rxHeld &&
        rx.available() > rx.size() * flow.xoffPercent / 100)
        holdPeer(port, true);
}

bool waitOutput(Port &port) {
    pollfd entry{port.fd, POLLOUT, 0};
    int ready = poll(&entry, 1, 10);
    if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(entry.revents & POLLOUT)) {
        port.lastError = EIO;
        return false;
    }
    return true;
}

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
    ssize_t got = ::read(port.fd, rx.data.data() + rx.end, room);
    if (got < 0) {
        if (errno == EAGAIN || errno == EINTR) return true;
        port.lastError = errno;
        return false;
    }
    rx.end += takeOutFlowChars(port, rx.data.data() + rx.end, static_cast<int32_t>(got));
    holdIfFull(port);
    return true;
}

int readByte(Port &port) {
    ReceiveBuffer &rx = *port.rx;
    if (rx.available() == 0) topUp(port);
    if (rx.available() == 0) return -1;
    return rx.data[rx.position++];
}

bool pollInput(Port &port, int ms) {
    pollfd entry{port.fd, POLLIN, 0};
#ifdef KORLINK_VIRTUAL_TIME
    int ready = poll(&entry, 1, 0);
    if (ready == 0) passIdleTime(std::clamp(ms, 0, 10));
#else
    int ready = poll(&entry, 1, std::clamp(ms, 0, 10));
#endif
    // A hung-up tty polls readable but reads nothing: the hang-up decides.
    if (ready > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL))) {
        port.lastError = EIO;
        return false;
    }
    return true;
}

void resumeCheck(Port &port) {
    const FlowControl &flow = port.xlat.flow;
    const ReceiveBuffer &rx = *port.rx;
    if (port.line.rxHeld && rx.available() <= rx.size() * flow.xonPercent / 100)
        holdPeer(port, false);
}

namespace {
bool flowControlOn(const FlowControl &flow) { return flow.xonXoffOutput || flow.cts || flow.dsr; }
}  // namespace

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
        ssize_t sent = ::write(port.fd, data + done, count - done);
        if (sent > 0) {
            done += static_cast<int32_t>(sent);
            continue;
        }
        if (sent < 0 && errno != EAGAIN && errno != EINTR) {
            port.lastError = errno;
            return -1;
        }
        if (int16_t stop = cancelCheck(port); stop != 0) return stop;
        if (!waitOutput(port)) return -1;
    }
    return 0;
}

int32_t transmitQueued(Port &port) {
    int queued = 0;
    if (ioctl(port.fd, TIOCOUTQ, &queued) != 0) return 0;
    return queued;
}

namespace {

int unsupported(Port &) { return -1; }

int opWriteBlock(Port &port, const uint8_t *data, int32_t count) {
    int held = waitWhileHeld(port);
    return held != 0 ? held : writeRaw(port, data, count);
}

int opWriteString(Port &port, const char *text) {
    return opWriteBlock(port, reinterpret_cast<const uint8_t *>(text),
                        static_cast<int32_t>(std::strlen(text)));
}

// A byte is written once more than a quarter of the transmit queue is free.
// The device may accept bytes (poll says writable) long before its queue has
// drained that far, so the wait sleeps a few milliseconds between looks.
int opWriteByte(Port &port, uint8_t byte) {
    while (port.transmitSize - transmitQueued(port) <= port.transmitSize / 4) {
        if (int16_t stop = cancelCheck(port); stop != 0) return stop;
        if (!waitOutput(port)) return -1;
        passIdleTime(2);
    }
    return writeRaw(port, &byte, 1);
}

int32_t opReceiveCount(Port &port) {
    topUp(port);
    return port.rx->available();
}

int32_t opDiscard(Port &port, int32_t count) {
    int32_t dropped = 0;
    while ((count == 0 || dropped < count) && readByte(port) >= 0) ++dropped;
    return dropped;
}

int opPeek(Port &port, int32_t index) {
    const ReceiveBuffer &rx = *port.rx;
    if (index < 0) return -1;
    if (index >= rx.available()) topUp(port);
    if (index >= rx.available()) return -1;
    return rx.data[rx.position + index];
}

bool opByteWaiting(Port &port) { return opReceiveCount(port) > 0; }

int32_t opReadFlow(Port &port, int16_t item) {
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
int opSetReceiveFlow(Port &port, int16_t item, int32_t value) {
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
int opSetTransmitFlow(Port &port, int16_t item, int32_t value) {
    FlowControl &flow = port.xlat.flow;
    if (item != 103) return -1;
    flow.xonXoffOutput = value & 1;
    flow.cts = value & 2;
    flow.dsr = value & 4;
    if (!flow.xonXoffOutput) port.line.pausedByXoff = false;
    return 0;
}

int opPurgeTransmit(Port &port) {
    if (tcflush(port.fd, TCOFLUSH) == 0) return 0;
    port.lastError = errno;
    return -1;
}

int32_t opTransmitFree(Port &port) {
    int32_t queued = transmitQueued(port);
    // One byte still queued counts as an empty queue: hosts pace on the full size.
    if (queued == 1) return port.transmitSize;
    return std::max(port.transmitSize - queued, 0);  // the kernel queue may be larger
}

const DeviceOps kTermiosOps = {
    .writeBlock = opWriteBlock,
    .writeString = opWriteString,
    .readByte = readByte,
    .readByteAlt = readByte,
    .writeByte = opWriteByte,
    .writeByteAlt = opWriteByte,
    .closeDevice = closeDevice,
    .unsupported1 = unsupported,
    .unsupported2 = unsupported,
    .unsupported3 = unsupported,
    .readValue = readValue,
    .readFlow = opReadFlow,
    .readBaud = readBaud,
    .unsupported4 = unsupported,
    .empty1 = nullptr,
    .unsupported5 = unsupported,
    .empty2 = nullptr,
    .receiveCount = opReceiveCount,
    .discard = opDiscard,
    .discardAlt = opDiscard,
    .peek = opPeek,
    .byteWaiting = opByteWaiting,
    .byteWaitingAlt = opByteWaiting,
    .setValue = setValue,
    .setReceiveFlow = opSetReceiveFlow,
    .setBaud = setBaud,
    .setTransmitFlow = opSetTransmitFlow,
    .purgeTransmit = opPurgeTransmit,
    .transmitFree = opTransmitFree,
    .transmitFreeAlt = opTransmitFree,
    .flushTransmit = opPurgeTransmit,
};

}  // namespace

const DeviceOps &termiosOps() { return kTermiosOps; }

}  // namespace korlink
