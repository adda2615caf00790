#include "ascii/ascii_send.h"

#include "ascii/ascii_output.h"
#include "ascii/ascii_settings.h"
#include "device/device_io.h"
#include "transfer/queued_file.h"
#include "transfer/transfer_link.h"

#include <algorithm>

namespace korlink {
namespace {

// The file bytes between two progress reports, and the pieces the file is
// read and written in: small enough that a cancel, a carrier loss or the
// peer's XOFF is seen within a moment even on a slow line.
constexpr size_t kReportStep = 256;
// How often the end of a file looks whether the transmit queue has drained.
constexpr int32_t kDrainLookMs = 5;
// A pty reports an empty queue at once but hands the bytes to its far end a
// moment later, and closing the port flushes what it has not handed over:
// the end of a file waits this long more.
constexpr int32_t kHandOverMs = 50;

class AsciiSender {
public:
    AsciiSender(const TransferLink &link, const AsciiSettings &settings, SendQueue &queue)
        : m_link(link), m_settings(settings), m_queue(queue) {}

    int16_t run();

private:
    int32_t sendFile();
    int32_t sendBytes(AsciiOutput &output);
    int32_t lineStop() const;
    int32_t drain() const;
    void finishFile(int32_t code);
    intptr_t sent() const { return static_cast<intptr_t>(m_count); }

    const TransferLink &m_link;
    const AsciiSettings &m_settings;
    SendQueue &m_queue;
    int64_t m_count = 0;           // bytes of the current file sent
};

int16_t AsciiSender::run() {
    Port &io = m_link.port();
    while (!m_queue.names.empty()) {
        int32_t code = sendFile();
        if (code == KORLINK_E_NULL_PORT) return KORLINK_E_NULL_PORT;
        finishFile(code);
        if (code != 0) break;
    }
    m_link.report(ST_FINISHED, 1);
    return io.lastError == 0 ? 0 : -1;
}

int32_t AsciiSender::sendFile() {
    m_count = 0;
    int64_t modified = 0;
    uint32_t mode = 0;
    if (!openQueuedFile(m_queue, modified, mode)) {
        m_link.report(ST_DISK, 0);
        return KORLINK_E_FILE;
    }
    reportQueuedFile(m_link, m_queue, modified);
    AsciiOutput output(m_link, m_settings);
    if (int32_t stop = sendBytes(output); stop != 0) return stop;
    if (int stop = output.finish(); stop != 0) return stop;
    if (m_settings.endChar >= 0) {
        if (int stop = output.putRaw(static_cast<uint8_t>(m_settings.endChar)); stop != 0) return stop;
    }
    return drain();
}

int32_t AsciiSender::sendBytes(AsciiOutput &output) {
    uint8_t piece[kReportStep];
    for (;;) {
        if (int32_t stop = lineStop(); stop != 0) return stop;
        ssize_t got = readQueuedBytes(m_queue, piece, sizeof piece);
        if (got < 0) return KORLINK_E_FILE;
        if (got == 0) return 0;
        if (int stop = output.put(piece, static_cast<size_t>(got)); stop != 0) return stop;
        m_count += got;
        m_link.report(ST_BYTE_COUNT, sent());
    }
}

// A cancel request or key, or the carrier gone while it is watched.
int32_t AsciiSender::lineStop() const {
    Port &io = m_link.port();
    if (int stop = m_link.pause(0); stop != 0) return stop;
    if (io.watchCarrier && !carrierPresent(io)) return KORLINK_E_CARRIER_LOST;
    return 0;
}

// A file has gone out once the transmit queue is empty: the host may close
// the port right after fsend returns. A queue that stands still for the
// time-out (held by flow control, a stalled device) ends the send.
int32_t AsciiSender::drain() const {
    Port &io = m_link.port();
    int32_t stillMs = 0;
    int32_t lastFree = -1;
    for (;;) {
        if (m_link.closed()) return KORLINK_E_NULL_PORT;
        int32_t free = transmitFree(io);
        if (free >= io.transmitSize) return m_link.pause(kHandOverMs);
        stillMs = free > lastFree ? 0 : stillMs + kDrainLookMs;
        lastFree = free;
        if (stillMs >= std::max<int32_t>(m_settings.timeoutMs, kDrainLookMs)) return ST_TIMEOUT;
        if (int32_t stop = lineStop(); stop != 0) return stop;
        if (int stop = m_link.pause(kDrainLookMs); stop != 0) return stop;
    }
}

void AsciiSender::finishFile(int32_t code) {
    bool opened = m_queue.inputFd >= 0;
    if (code == KORLINK_E_CANCELLED || code == KORLINK_E_CARRIER_LOST || code == ST_TIMEOUT) {
        // What is still queued would reach the receiver after the stop.
        c_txflush(m_link.handle(), 0);
        m_link.report(code, sent());
    }
    releaseQueueFile(m_queue);
    if (opened) m_link.report(ST_FILE_CLOSED, code == 0 ? 1 : 0);
    if (!m_queue.names.empty()) m_queue.names.pop_front();
    m_link.port().lastError = code;
}

}  // namespace

int16_t sendAscii(Port &io, PortHandle reportHandle, SendQueue &queue) {
    AsciiSettings *settings = ensureAsciiSettings(io);
    if (settings == nullptr) {
        io.lastError = KORLINK_E_NO_MEMORY;
        return -1;
    }
    io.lastError = 0;
    if (io.watchCarrier) settings->carrierWatch = true;
    bool watching = io.watchCarrier;
    io.watchCarrier = settings->carrierWatch;
    TransferLink link(io, reportHandle, queue.callback, settings->timeoutMs);
    int16_t result = AsciiSender(link, *settings, queue).run();
    if (result == KORLINK_E_NULL_PORT || io.closedByHost) return KORLINK_E_NULL_PORT;
    io.watchCarrier = watching;
    return result;
}

}  // namespace korlink
