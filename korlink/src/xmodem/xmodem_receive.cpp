// The flow of an XMODEM-family receive: the start character, the wait for
// each block's header and its events, the end of a file and of a batch, and
// the transfer's end. Reading and storing a block is in
// xmodem_receive_block.cpp.
#include "xmodem/xmodem_receive.h"

#include "transfer/line_setup.h"
#include "xmodem/xmodem_block_receiver.h"

#include <algorithm>
#include <new>

namespace korlink {
namespace xmodemreceive {

int32_t BlockReceiver::run() {
    m_link.discardInput();
    m_link.report(ST_BYTE_COUNT, 0);
    while (m_done == 0) {
        if (m_link.closed()) m_done = KORLINK_E_NULL_PORT;
        else if (awaitHeader()) readBlock();
    }
    if (m_link.closed()) {
        // Closed by the host: nothing more goes through the port.
        m_file.close();
        return KORLINK_E_NULL_PORT;
    }
    if (m_done == ST_ACK_SENT) ms_pause(500);
    else if (!m_cancelSent) m_link.sendCancelSequence();
    m_link.discardInput();
    // Blocks acknowledged to the sender are on disk in the partial file that
    // an early end leaves behind, not lost with the buffer.
    m_file.flush();
    m_file.close();
    m_link.report(ST_FINISHED, 1);
    return m_done;
}

// One header event; true when SOH or STX started a block.
bool BlockReceiver::awaitHeader() {
    if (m_expected < 2) m_link.send(m_startChar);
    int byte = m_link.waitByte();
    if (byte >= 0 && !isHeaderControl(byte)) {
        // A run of stray bytes is one header event, whatever its length: a
        // line that echoes our start character then ends after the retry
        // limit instead of answering itself forever, and a damaged block
        // costs one retry. A control byte ending the run is still acted on
        // (as a further event); quiet ends the run as a time-out would.
        if (m_expected < 2) m_link.report(ST_UNEXPECTED, byte);
        byte = skipStrayBytes();
        if (byte >= 0 && !countHeaderEvent()) return false;
    }
    switch (byte) {
    case SOH:
    case STX: startBlock(byte); break;
    case EOT:
        handleEot();  // the end of a file inside a batch counts as a retry too
        break;
    case CAN:
        m_link.report(ST_CONTROL, CAN);
        m_done = ST_CANCELLED_REMOTE;
        m_link.sendCancelSequence();
        m_cancelSent = true;
        break;
    case -1:
        if (m_retries != 0) m_link.report(ST_TIMEOUT, m_retries);
        if (m_expected >= 2) sendNak();
        break;
    default: endByWait(byte); return false;  // cancelled, carrier lost, closed
    }
    if (m_done != 0 || !countHeaderEvent()) return false;
    return byte == SOH || byte == STX;
}

// Counts a header event; false (ending the transfer with 4016) when the
// retry limit was already reached.
bool BlockReceiver::countHeaderEvent() {
    if (m_retries >= m_settings.retryLimit) {
        m_done = ST_TIMEOUT;
        return false;
    }
    ++m_retries;
    return true;
}

bool BlockReceiver::isHeaderControl(int byte) {
    return byte == SOH || byte == STX || byte == EOT || byte == CAN;
}

void BlockReceiver::startBlock(int header) {
    m_blockSize = header == STX ? 1024 : 128;
    m_link.report(ST_CONTROL, header);
}

// Reads on past stray bytes until the line has been quiet for strayQuietMs
// (-1), a control byte the header wait acts on arrives, or a wait is stopped (-123,
// -112, -102); bounded by the time-out however much keeps coming.
int BlockReceiver::skipStrayBytes() {
    uint32_t start = tickMs();
    while (tickMs() - start < static_cast<uint32_t>(m_link.timeoutMs())) {
        int byte = m_link.waitByte(strayQuietMs);
        if (byte < 0 || isHeaderControl(byte)) return byte;
    }
    return -1;
}

void BlockReceiver::handleEot() {
    m_link.report(ST_CONTROL, EOT);
    // An EOT before any block still leaves the file the transfer names,
    // freshly written and empty: an older file of that name must not be
    // taken for this transfer's data.
    if (!m_batch && !m_file.isOpen()) {
        startFile();
        if (m_done != 0) return;
    }
    if (!m_file.flush()) {
        m_link.report(ST_DISK, static_cast<intptr_t>(m_byteCount));
        m_done = ST_DISK;
        return;
    }
    int closed = m_file.close();
    if (closed != 0) { m_done = closed; return; }
    bool shortFile = endsShort();
    m_link.report(ST_FILE_CLOSED, 0);
    if (shortFile) return;
    m_link.send(ACK);
    if (!m_batch) { m_done = ST_ACK_SENT; return; }
    m_expected = 0;
    m_retries = 0;
    m_link.report(ST_BYTE_COUNT, 0);
    if (int stop = m_link.pause(1000); stop != 0) endByWait(stop);
}

// A batch file is as long as its header announced: one that ends before
// is not taken as complete. The partial file stays under its name; the
// sender is refused with the cancel sequence at the end of the loop.
bool BlockReceiver::endsShort() {
    if (!m_batch || m_announced < 0 || m_byteCount >= m_announced) return false;
    m_link.report(ST_SHORT_FILE, static_cast<intptr_t>(m_byteCount));
    m_done = ST_SHORT_FILE;
    return true;
}

// A wait ended by the user's cancel, a carrier loss or the host's close ends
// the transfer; only a cancel is answered with the cancel sequence.
void BlockReceiver::endByWait(int result) {
    m_link.report(result, static_cast<intptr_t>(m_byteCount));
    m_done = result;
    if (result == KORLINK_E_CANCELLED) {
        m_link.sendCancelSequence();
        m_cancelSent = true;
    }
}

// Asks for the expected block again, once the line has gone quiet.
void BlockReceiver::sendNak() {
    m_link.report(ST_NAK_SENT, static_cast<intptr_t>(m_blockSize * m_expected));
    if (int stop = purgeInput(); stop != 0) {
        endByWait(stop);
        return;
    }
    m_link.send(NAK);
}

// Drains the line until it is quiet; a cancel, carrier loss or close met
// meanwhile is returned (-123, -112, -102), else 0.
int BlockReceiver::purgeInput() const {
    m_link.discardInput();
    uint32_t start = tickMs();
    while (tickMs() - start < static_cast<uint32_t>(m_link.timeoutMs())) {
        int byte = m_link.waitByte(purgeQuietMs);
        if (byte == -1) break;
        if (byte < -1) return byte;
        m_link.discardInput();
    }
    return 0;
}

int32_t BlockReceiver::protocolSeen() const {
    if (m_blockSize == 1024) return KORLINK_PROTO_XMODEM_1K;
    return m_crc ? KORLINK_PROTO_XMODEM_CRC : KORLINK_PROTO_XMODEM;
}

}  // namespace xmodemreceive

int32_t receiveXmodemFamily(Port &io, PortHandle reportHandle, int16_t protocol,
                            int32_t bufferSize, StatusCallback callback) {
    io.lastError = 0;
    XmodemSettings *settings = ensureXmodemSettings(io);
    if (!settings) return io.lastError = KORLINK_E_NO_MEMORY;
    TransferLineSetup line(io);
    if (!line.saved()) return io.lastError = KORLINK_E_NO_MEMORY;
    // A streaming sender can only be held by the driver's receive flow control.
    if (protocol == KORLINK_PROTO_YMODEM_G && !io.xlat.flow.receiveSide()) io.xlat.flow.rxXon = true;
    try {
        ReceiveFile file(io, bufferSize);
        TransferLink link(io, reportHandle, callback, settings->timeoutMs);
        xmodemreceive::BlockReceiver receiver(link, *settings, file, protocol);
        int32_t done = receiver.run();
        io.lastError = done == ST_ACK_SENT ? 0 : done;
        return done;
    } catch (const std::bad_alloc &) {
        return io.lastError = KORLINK_E_NO_MEMORY;
    }
}

}  // namespace korlink
