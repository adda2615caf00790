// What every transfer protocol shares: the control bytes, and the line a
// transfer talks over (byte waits with the settings' time-out, raw output,
// status reports, the cancel sequence).
#pragma once

#include "frame/port.h"
#include "transfer/checks.h"
#include "transfer/transfer_status.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

enum ControlByte : uint8_t {
    SOH = 1, STX = 2, EOT = 4, ACK = 6, BS = 8, NAK = 21, CAN = 24, SUB = 26
};

class TransferLink {
public:
    // `io` is the port the protocol works on (the host's port or a private
    // copy); reports name `reportHandle`, the handle the host knows.
    TransferLink(Port &io, PortHandle reportHandle, StatusCallback callback, int32_t timeoutMs)
        : m_io(io), m_reportHandle(reportHandle), m_callback(callback), m_timeoutMs(timeoutMs) {}

    Port &port() const { return m_io; }
    PortHandle handle() const { return handleOf(&m_io); }
    int32_t timeoutMs() const { return m_timeoutMs; }

    // True once the host closed the port from its pump or a callback: from
    // then on nothing goes through the port, nothing is reported, and every
    // wait gives -102 at once.
    bool closed() const { return m_io.closedByHost; }

    // The next byte, -1 at time-out, -123 cancelled, -112 carrier lost,
    // -102 port closed by the host.
    int waitByte() const;
    int waitByte(int32_t timeoutMs) const;

    // Pauses `ms` with the pump running: 0, or -123 as soon as a cancel
    // request or the cancel key comes (-102 for a closed port). Input is left
    // alone.
    int pause(int32_t ms) const;

    // Raw output: no translation, no pacing characters inserted. A cancel
    // key seen while output had to wait stays pending for the next wait.
    int send(uint8_t byte) const;
    int send(const uint8_t *data, size_t count) const;
    void discardInput() const;

    void report(int32_t status, intptr_t param) const;

    // Pause 500 ms, then five CAN and five backspace bytes.
    void sendCancelSequence() const;

private:
    Port &m_io;
    PortHandle m_reportHandle;
    StatusCallback m_callback;
    int32_t m_timeoutMs;
};

}  // namespace korlink
