// What the XMODEM-family engines share: the control bytes, the line a
// transfer talks over (byte waits with the settings' time-out, raw output,
// status reports, the cancel sequence) and the line set-up for a transfer.
#pragma once

#include "frame/port.h"
#include "transfer/checks.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

enum ControlByte : uint8_t {
    SOH = 1, STX = 2, EOT = 4, ACK = 6, BS = 8, NAK = 21, CAN = 24, SUB = 26
};

// Status codes reported through the callback.
enum TransferStatus : int32_t {
    ST_CONTROL = 105,
    ST_BAD_NUMBER = 4001,
    ST_BAD_CHECK = 4002,
    ST_DISK = 4003,
    ST_FILE_TIME = 4006,
    ST_FILE_CLOSED = 4007,
    ST_FILE_NAME = 4008,
    ST_BYTE_COUNT = 4009,
    ST_RENAMED = 4012,
    ST_FILE_LENGTH = 4013,
    ST_OPENING = 4014,
    ST_UNEXPECTED = 4015,
    ST_TIMEOUT = 4016,
    ST_CANCELLED_REMOTE = 4018,
    ST_FILE_SENT = 4019,
    ST_NAK_RECEIVED = 4020,
    ST_ACK_SENT = 4023,
    ST_NAK_SENT = 4025,
    ST_FINISHED = 4027,
    ST_QUEUED = 4028
};

// The file buffer size of a transfer (receive: the output buffer; send: the
// read buffer): the request clamped to 2048..36608 bytes.
inline constexpr int32_t minFileBuffer = 2048;
inline constexpr int32_t maxFileBuffer = 36608;
inline size_t fileBufferSize(int32_t requested) {
    return static_cast<size_t>(requested < minFileBuffer   ? minFileBuffer
                               : requested > maxFileBuffer ? maxFileBuffer
                                                           : requested);
}

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

// Puts the line into the binary state a transfer needs and restores it when
// the transfer ends: 8 data bits, no parity, one stop bit; transmit and
// receive options off; no XON/XOFF output pacing (the data holds those bytes).
// When the option state cannot be saved, nothing is changed and saved() is
// false: the transfer must not run.
class TransferLineSetup {
public:
    explicit TransferLineSetup(Port &io);
    ~TransferLineSetup();
    TransferLineSetup(const TransferLineSetup &) = delete;
    TransferLineSetup &operator=(const TransferLineSetup &) = delete;

    bool saved() const { return m_savedXlat; }

private:
    Port &m_io;
    bool m_savedXlat = false;
    int32_t m_dataBits = -1;
    int32_t m_parity = -1;
    int32_t m_stopBits = -1;
};

}  // namespace korlink
