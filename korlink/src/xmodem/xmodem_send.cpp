#include "xmodem/xmodem_send.h"

#include "transfer/line_setup.h"
#include "transfer/transfer_link.h"
#include "transfer/queued_file.h"
#include "xmodem/xmodem_send_block.h"
#include "xmodem/xmodem_settings.h"

#include "device/device_io.h"
#include "frame/library_state.h"

#include <algorithm>
#include <cmath>

namespace korlink {
namespace {

constexpr int32_t READY = 0;
constexpr int32_t REPLY_NONE = 1;   // keep waiting: a CAN below the limit

// Receivers commonly discard their input right after they answer (an ACK, a
// start character). Over a line that delivers at once (a pseudo-terminal, a
// relay, a fast link) a block sent straight after the answer can reach such
// a receiver before that discard and vanish whole; the receiver then sits
// out its own time-out of several seconds before it asks again, and a busy
// machine makes this frequent. Two defences keep a send moving:
//  - a data block met by silence for as long as it needs on
//    the line plus the answer allowance is sent once more at once, without
//    waiting out the time-out. A receiver that did have the first copy
//    acknowledges the repeat as well; that extra ACK is taken in before the
//    next block goes out, so it is never read as the next block's
//    acknowledgement;
//  - a header block, the end of a file and the end of a batch, which come
//    where the receiver turns to a new phase, wait a grace first: a moment
//    in which the receiver finishes its discard.
// Both follow the receiver's pace, the time its answers take beyond the
// line time: the allowance is their smoothed mean plus four times their
// spread, between minAllowanceMs and maxAllowanceMs (the floor keeps a
// receiver that is only descheduled for a moment from drawing copies); the
// grace is the mean plus twice the spread, up to maxGraceMs. Both start at
// their maximum, so a slow receiver is never hurried before its pace is
// known.
constexpr double minAllowanceMs = 100;
constexpr double maxAllowanceMs = 250;
constexpr double maxGraceMs = 100;
constexpr int32_t eotPatienceMs = 1500;
// Attempts at the end of a file or batch: their silences bound how long a
// receiver that vanished with the last answer can hold the send.
constexpr int endAttempts = 3;

class AnswerPace {
public:
    // One answer that came `ms` after the block had left the line.
    void sample(double ms) {
        double error = ms - m_meanMs;
        m_meanMs += error / 8;
        m_spreadMs += (std::abs(error) - m_spreadMs) / 4;
    }
    int32_t allowanceMs() const {
        return static_cast<int32_t>(std::clamp(m_meanMs + 4 * m_spreadMs, minAllowanceMs, maxAllowanceMs));
    }
    int32_t graceMs() const { return static_cast<int32_t>(std::min(m_meanMs + 2 * m_spreadMs, maxGraceMs) + 0.5); }

private:
    double m_meanMs = 0;
    double m_spreadMs = maxAllowanceMs / 4;
};

class FileSender {
public:
    FileSender(TransferLink &link, XmodemSettings &settings, SendQueue &queue)
        : m_link(link), m_settings(settings), m_queue(queue), m_protocol(queue.protocol),
          m_blockSize(queue.protocol >= KORLINK_PROTO_XMODEM_1K ? 1024 : 128),
          m_canLimit(settings.canLimit) {}

    int16_t run();

private:
    int32_t awaitStart();
    int32_t readyFor(int byte);
    int assumedStart() const;
    int32_t sendFile();
    int32_t sendHeader();
    int32_t sendData();
    int32_t sendEot();
    int32_t sendEnd(const Block &end);
    int32_t sendUntilAccepted(const Block &block, bool headerBlock);
    struct Pending;
    void sendAttempt(const Block &block, Pending &pending, int32_t patienceMs);
    int awaitAnswer(const Block &block, int attempt, Pending &pending);
    int32_t takeExtraAcks(int owed);
    int32_t lineTimeMs(size_t blockLength) const;
    static int32_t slowLineTimeMs(int32_t lineMs);
    int32_t answerTo(int reply, int attempt);
    int32_t countCan();
    int32_t cancelSend();
    int32_t pollStreaming();
    void finishFile(int32_t code);
    void endBatch();
    bool batch() const { return m_protocol >= KORLINK_PROTO_YMODEM; }
    intptr_t position() const { return static_cast<intptr_t>(m_blockSize * m_blockNumber); }

    TransferLink &m_link;
    XmodemSettings &m_settings;
    SendQueue &m_queue;
    int16_t m_protocol;
    size_t m_blockSize;
    int16_t m_canLimit;
    bool m_crc = true;
    int m_canCount = 0;
    uint32_t m_blockNumber = 0;
    AnswerPace m_answers;
};

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

// A block (or EOT) on its way: when its latest attempt went out, the line
// time it needs at the port's rate, the silence after which a copy goes out
// once more, and how many copies the receiver may still answer.
struct FileSender::Pending {
    uint32_t sentAt = 0;
    int32_t lineMs = 0;
    int32_t silenceMs = 0;
    int32_t patienceMs = 0;   // the part of the silence beyond the line time
    uint32_t deadline = 0;
    int unanswered = 0;
    bool repeated = false;
};

// Sends a block until the receiver accepts it. Block 0 is accepted by ACK
// followed by 'C', or by 'G' alone (a streaming receiver acknowledges
// nothing). A 'C' alone is a receiver still asking for block 0: it did not
// get it, and data sent now would be taken for a header and end its batch.
int32_t FileSender::sendUntilAccepted(const Block &block, bool headerBlock) {
    Pending pending;
    for (int attempt = 1; attempt <= m_settings.retryLimit; ++attempt) {
        sendAttempt(block, pending, m_answers.allowanceMs());
        int32_t code;
        do {
            int reply = headerBlock ? m_link.waitByte() : awaitAnswer(block, attempt, pending);
            // A lone 'C' after the header only repeats the receiver's request
            // for it: the header is sent again. 'G' accepts it and streams.
            if (headerBlock && reply == 'G') return READY;
            if (headerBlock && reply == ACK) {
                reply = m_link.waitByte();  // the 'C' for the data; a cancel still stops
                if (reply == 'C') return READY;
                if (reply >= -1) return ST_TIMEOUT;
            }
            if (reply == ACK || reply == NAK) --pending.unanswered;
            code = answerTo(reply, attempt);
        } while (code == REPLY_NONE);
        if (code == READY && pending.unanswered > 0) code = takeExtraAcks(pending.unanswered);
        if (code != ST_TIMEOUT) return code;  // READY or a stop
    }
    return ST_TIMEOUT;
}

// Sends an attempt of `block`; a silence of its line time plus `patienceMs`
// brings the first repeat.
void FileSender::sendAttempt(const Block &block, Pending &pending, int32_t patienceMs) {
    m_link.send(block.bytes, block.length);
    pending.sentAt = tickMs();
    pending.lineMs = lineTimeMs(block.length);
    pending.patienceMs = patienceMs;
    pending.silenceMs = slowLineTimeMs(pending.lineMs) + patienceMs;
    pending.deadline = pending.sentAt + static_cast<uint32_t>(m_link.timeoutMs());
    pending.repeated = false;
    ++pending.unanswered;
}

// The receiver's next answer to a data block, -1 when the attempt's time-out
// passes first. Each silence as long as the block needs on the
// line plus the answer allowance sends the block once more (reported as a
// time-out of this attempt), and the next allowance is twice as long:
// a receiver still busy is not flooded, and a copy lost again is still
// repeated well before the time-out.
int FileSender::awaitAnswer(const Block &block, int attempt, Pending &pending) {
    for (;;) {
        int32_t left = static_cast<int32_t>(pending.deadline - tickMs());
        if (left <= 0) return -1;
        int reply = m_link.waitByte(std::min(pending.silenceMs, left));
        if (reply == ACK && !pending.repeated) {
            int32_t took = static_cast<int32_t>(tickMs() - pending.sentAt) - pending.lineMs;
            m_answers.sample(std::max(took, 0));
        }
        if (reply != -1 || tickReached(pending.deadline)) return reply;
        m_link.report(ST_TIMEOUT, attempt);
        m_link.send(block.bytes, block.length);
        pending.repeated = true;
        ++pending.unanswered;
        pending.patienceMs *= 2;
        pending.silenceMs = slowLineTimeMs(lineTimeMs(block.length)) + pending.patienceMs;
    }
}

// After an accepted block, the receiver may still answer the copies it had
// beyond the one it acknowledged: up to `owed` answers are taken in as they
// come, until the line has been quiet for the answer allowance, so that none
// is read as the next block's answer. A cancel still stops the send. Bounded
// by the time-out however much arrives.
int32_t FileSender::takeExtraAcks(int owed) {
    uint32_t deadline = tickMs() + static_cast<uint32_t>(m_link.timeoutMs());
    while (owed > 0 && !tickReached(deadline)) {
        int byte = m_link.waitByte(m_answers.allowanceMs());
        if (byte == -1) break;
        if (byte == ACK || byte == NAK) --owed;
        if (byte == KORLINK_E_CANCELLED || byte == KORLINK_E_CARRIER_LOST) return answerTo(byte, 0);
        if (byte != CAN) continue;
        int32_t code = countCan();
        if (code != REPLY_NONE) return code;
    }
    m_canCount = 0;
    return READY;
}

// Milliseconds a just sent block needs on the line at the port's rate (10
// bits a byte): the whole block, since a device that takes it into its queue
// at once (a pseudo-terminal, a USB adapter, a relay) still delivers it at
// the line's pace; more when the transmit queue holds more than the block.
int32_t FileSender::lineTimeMs(size_t blockLength) const {
    Port &io = m_link.port();
    int32_t free = transmitFree(io);
    size_t queued = free <= 0 ? 0 : static_cast<size_t>(std::max(io.transmitSize - free, 0));
    int32_t baud = io.baud > 0 ? io.baud : 9600;
    return static_cast<int32_t>(std::max(blockLength, queued) * 10 * 1000 / static_cast<size_t>(baud));
}

// A line slower than its nominal rate (a modem's or a relay's own pacing)
// adds to the line time in proportion: an eighth more is allowed before a
// copy goes out.
int32_t FileSender::slowLineTimeMs(int32_t lineMs) { return lineMs + lineMs / 8; }

// The receiver's reply to a data block or EOT: READY (ACK), ST_TIMEOUT
// (send again), REPLY_NONE (wait on) or a code that stops the send.
int32_t FileSender::answerTo(int reply, int attempt) {
    if (reply != CAN) m_canCount = 0;
    switch (reply) {
    case ACK: return READY;
    case NAK:
        m_link.discardInput();
        m_link.report(ST_NAK_RECEIVED, 0);
        return ST_TIMEOUT;
    case CAN: return countCan();
    case KORLINK_E_CANCELLED: return cancelSend();
    case KORLINK_E_CARRIER_LOST:
    case KORLINK_E_NULL_PORT: return reply;
    default:
        m_link.report(ST_TIMEOUT, attempt);
        return ST_TIMEOUT;
    }
}

// The user's cancel: what is still queued for output is dropped, then the
// cancel sequence tells the receiver.
int32_t FileSender::cancelSend() {
    if (!m_link.closed()) c_txflush(m_link.handle(), 0);
    m_link.sendCancelSequence();
    return KORLINK_E_CANCELLED;
}

int32_t FileSender::countCan() {
    if (++m_canCount < m_canLimit) return REPLY_NONE;
    m_link.sendCancelSequence();
    m_link.report(ST_CANCELLED_REMOTE, 0);
    return ST_CANCELLED_REMOTE;
}

// A streaming send does not wait; it only looks at what the receiver sent:
// more CANs than the limit in a row stop it, and so does the cancel key.
int32_t FileSender::pollStreaming() {
    for (;;) {
        int byte = m_link.waitByte(0);
        if (byte == -1) return READY;
        if (byte == KORLINK_E_CANCELLED) return cancelSend();
        if (byte < -1) return byte;  // carrier lost, port closed
        m_canCount = byte == CAN ? m_canCount + 1 : 0;
        if (m_canCount > m_canLimit) {
            m_link.report(ST_CANCELLED_REMOTE, 0);
            return ST_CANCELLED_REMOTE;
        }
    }
}

// The end of the file, sent once every data block was acknowledged: the
// file is through, so the end is tried only endAttempts times, each after a
// silence of eotPatienceMs (some receivers answer only after draining the
// line for a second). A receiver that had the end and exits at once may
// flush its answer away (lrzsz's rx does): silence after the last attempt
// ends the file as sent, reported as unconfirmed. A receiver that keeps
// answering anything but ACK fails the file with 4016. A stray copy is
// harmless: a plain receiver has ended, and a batch receiver waiting for the
// next header acknowledges it again.
int32_t FileSender::sendEot() {
    if (int stop = m_link.pause(m_answers.graceMs()); stop != 0) return answerTo(stop, 0);
    Block eot;
    eot.bytes[0] = EOT;
    eot.length = 1;
    int32_t code = sendEnd(eot);
    if (code == READY) m_link.report(ST_CONTROL, EOT);
    return code == READY || code == ST_END_UNCONFIRMED ? ST_FILE_SENT : code;
}

// Sends the end of a file or of a batch up to endAttempts times; READY on
// its ACK, ST_END_UNCONFIRMED (reported) on silence after the last attempt,
// else ST_TIMEOUT or the code that stopped the send.
int32_t FileSender::sendEnd(const Block &end) {
    int32_t patience = std::max(m_answers.allowanceMs(), eotPatienceMs);
    int attempts = std::min<int>(m_settings.retryLimit, endAttempts);
    Pending pending;
    bool silent = false;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        sendAttempt(end, pending, patience);
        pending.deadline = pending.sentAt + static_cast<uint32_t>(pending.silenceMs);
        int reply;
        int32_t code;
        do {
            reply = awaitAnswer(end, attempt, pending);
            code = answerTo(reply, attempt);
        } while (code == REPLY_NONE);
        if (code != ST_TIMEOUT) return code;
        silent = reply == -1;
    }
    if (!silent) return ST_TIMEOUT;
    m_link.report(ST_END_UNCONFIRMED, position());
    return ST_END_UNCONFIRMED;
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

}  // namespace

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
    FileSender sender(link, *settings, queue);
    return sender.run();
}

}  // namespace korlink
