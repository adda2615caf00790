// The flow of an XMODEM-family send: the receiver's start, each file (its
// header block, data blocks and end of file) and the end of a batch. How a
// block is answered and repeated is in xmodem_send_answers.cpp.
#include "xmodem/xmodem_send.h"

#include "transfer/line_setup.h"
#include "transfer/queued_file.h"
#include "xmodem/xmodem_file_sender.h"

#include "device/device_io.h"
#include "frame/library_state.h"

namespace korlink {
namespace xmodemsend {

int16_t FileSender::run() {
    Port &io = m_link.port();
    while (!m_queue.names.empty()) {
        int32_t start = awaitStart();
        if (start != READY) { io.lastError = start; break; }
        int32_t code = sendFile();
        finishFile(code);
        if (code != ST_FILE_SENT) break;
        if (m_queue.names.empty() && batch()) endBatch();
    }
    m_link.report(ST_FINISHED, 1);
    return io.lastError == 0 ? 0 : -1;
}

int32_t FileSender::awaitStart() {
    int32_t outcome = ST_TIMEOUT;
    for (int attempt = 1; attempt <= m_settings.retryLimit && outcome == ST_TIMEOUT; ++attempt) {
        int byte = m_link.waitByte();
        if (byte == CAN) {
            m_link.report(ST_CONTROL, ST_CANCELLED_REMOTE);
            outcome = ST_CANCELLED_REMOTE;
        } else if (byte < -1) {  // cancelled, carrier lost, port closed by the host
            m_link.report(byte, 0);
            outcome = byte;
        } else if (byte == NAK || byte == 'C' || byte == 'G') {
            outcome = readyFor(byte);
        } else {
            m_link.report(ST_TIMEOUT, attempt);
            if (m_settings.hasFlag(XMODEM_FLAG_NO_START_WAIT)) outcome = readyFor(assumedStart());
        }
    }
    m_link.discardInput();
    return outcome;
}

// Without the receiver's start character, the one the protocol asked for
// stands in for it (a streaming send stays streaming).
int FileSender::assumedStart() const {
    if (m_protocol == KORLINK_PROTO_XMODEM) return NAK;
    return m_protocol == KORLINK_PROTO_YMODEM_G ? 'G' : 'C';
}

int32_t FileSender::readyFor(int byte) {
    m_crc = byte != NAK;
    // Only a receiver asking with 'G' streams; to any other the send waits
    // for each block's answer.
    if (byte != 'G' && m_protocol == KORLINK_PROTO_YMODEM_G) m_protocol = KORLINK_PROTO_YMODEM;
    if (byte == NAK) {
        m_link.report(ST_CONTROL, 500);
    } else if (byte == 'C') {
        m_link.report(ST_CONTROL, 501);
        if (m_protocol == KORLINK_PROTO_XMODEM_1K) m_link.report(ST_CONTROL, KORLINK_PROTO_XMODEM_1K);
    } else {
        // The receiver streams: no acknowledgements, output paced by XON/XOFF.
        m_protocol = KORLINK_PROTO_YMODEM_G;
        m_blockSize = 1024;
        m_link.report(ST_CONTROL, KORLINK_PROTO_YMODEM_G);
        m_link.port().xlat.flow.xonXoffOutput = true;
        if (m_canLimit == defaultCanLimit) m_canLimit = 1;
    }
    return READY;
}

int32_t FileSender::sendFile() {
    int64_t modified = 0;
    uint32_t mode = 0;
    if (!openQueuedFile(m_queue, modified, mode)) return KORLINK_E_FILE;
    reportQueuedFile(m_link, m_queue, modified);
    m_canCount = 0;
    m_blockNumber = 0;
    if (batch()) {
        if (int stop = m_link.pause(m_answers.graceMs()); stop != 0) return answerTo(stop, 0);
        Block header;
        buildHeaderBlock(header, m_queue.currentName, m_queue.currentSize, modified, mode, m_crc);
        int32_t code = sendUntilAccepted(header, true);
        if (code != READY) return code;
        // The header's length 0 says it all: a padding block would arrive
        // as data at a receiver that keeps whole blocks.
        if (m_queue.currentSize == 0) return sendEot();
    }
    int32_t code = sendData();
    return code == READY ? sendEot() : code;
}

int32_t FileSender::sendData() {
    Block block;
    do {
        ++m_blockNumber;
        if (!buildDataBlock(m_queue, block, m_blockSize, m_blockNumber, m_crc, m_settings.padByte))
            return KORLINK_E_FILE;
        int32_t code;
        if (m_protocol == KORLINK_PROTO_YMODEM_G) {
            m_link.send(block.bytes, block.length);
            code = pollStreaming();
        } else {
            code = sendUntilAccepted(block, false);
        }
        if (code != READY) return code;
        m_link.report(ST_BYTE_COUNT, position());
    } while (!block.last);
    return READY;
}

void FileSender::finishFile(int32_t code) {
    if (code == KORLINK_E_CANCELLED || code == KORLINK_E_CARRIER_LOST) {
        // After a cancel the output was purged before the cancel sequence,
        // which must not be purged in turn.
        if (code == KORLINK_E_CARRIER_LOST && !m_link.closed()) c_txflush(m_link.handle(), 0);
        m_link.report(code, position());
    }
    releaseQueueFile(m_queue);
    m_link.report(ST_FILE_CLOSED, 0);
    if (!m_queue.names.empty()) m_queue.names.pop_front();
    // After the last file of a batch the receiver's next 'C' asks for the
    // block that ends the batch: endBatch must still see it.
    bool endsBatch = code == ST_FILE_SENT && m_queue.names.empty() && batch();
    if ((code != ST_FILE_SENT || m_queue.names.empty()) && !endsBatch) m_link.discardInput();
    m_link.port().lastError = code == ST_FILE_SENT ? 0 : code;
}

// The empty block 0 after the receiver's next 'C' ends the batch; it is
// tried like the end of a file. A cancel or carrier loss meanwhile ends the
// send with that code, and so does a receiver that answers it with anything
// but ACK.
void FileSender::endBatch() {
    int stop = 0;
    for (int attempt = 1; attempt <= m_settings.retryLimit && stop == 0; ++attempt) {
        int byte = m_link.waitByte();
        if (byte == 'C' || byte == 'G' || byte == NAK) break;
        if (byte < -1) stop = byte;
    }
    if (stop == 0) stop = m_link.pause(m_answers.graceMs());
    if (stop != 0) {
        if (stop == KORLINK_E_CANCELLED) cancelSend();
        m_link.report(stop, position());
        m_link.port().lastError = stop;
        return;
    }
    Block empty;
    buildHeaderBlock(empty, std::string(), 0, 0, 0, m_crc);
    int32_t code = sendEnd(empty);
    if (code < -1) m_link.report(code, position());
    if (code != READY && code != ST_END_UNCONFIRMED) m_link.port().lastError = code;
}

}  // namespace xmodemsend

int16_t sendXmodemFamily(Port &io, PortHandle reportHandle, SendQueue &queue) {
    XmodemSettings *settings = ensureXmodemSettings(io);
    if (!settings) return KORLINK_E_NO_MEMORY;
    if (io.watchCarrier) settings->flags |= XMODEM_FLAG_ITEM111;
    io.lastError = 0;
    TransferLineSetup line(io);
    if (!line.saved()) {
        io.lastError = KORLINK_E_NO_MEMORY;
        return -1;
    }
    TransferLink link(io, reportHandle, queue.callback, settings->timeoutMs);
    xmodemsend::FileSender sender(link, *settings, queue);
    return sender.run();
}

}  // namespace korlink
