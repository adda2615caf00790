// How a block of an XMODEM-family send is answered: its attempts, the copies
// sent into a silence (timed by the block's line time and the receiver's
// pace, xmodem_send_pace.h), the extra answers those copies draw, and the
// end of a file or batch tried a bounded number of times.
#include "xmodem/xmodem_file_sender.h"

#include "device/device_io.h"
#include "frame/library_state.h"

#include <algorithm>

namespace korlink::xmodemsend {

// Sends a block until the receiver accepts it. Block 0 is accepted by ACK
// followed by 'C', or by 'G' alone (a streaming receiver acknowledges
// nothing). A 'C' alone is a receiver still asking for block 0: it did not
// get it, and data sent now would be taken for a header and end its batch.
int32_t FileSender::sendUntilAccepted(const Block &block, bool headerBlock) {
    Pending pending;
    for (int attempt = 1; attempt <= m_settings.retryLimit; ++attempt) {
        sendAttempt(block, pending, m_answers.allowanceMs(lineTimeMs(block.length)));
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
        if (code == READY && pending.unanswered > 0) code = takeExtraAcks(pending);
        if (code != ST_TIMEOUT) return code;  // READY or a stop
    }
    return ST_TIMEOUT;
}

// Sends an attempt of `block`; a silence of its line time plus `patienceMs`
// brings the first repeat.
void FileSender::sendAttempt(const Block &block, Pending &pending, int32_t patienceMs) {
    m_link.send(block.bytes, block.length);
    pending.sentAt = tickMs();
    pending.lastCopyAt = pending.sentAt;
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
        pending.lastCopyAt = tickMs();
        pending.repeated = true;
        ++pending.unanswered;
        pending.patienceMs *= 2;
        pending.silenceMs = slowLineTimeMs(lineTimeMs(block.length)) + pending.patienceMs;
    }
}

// After an accepted block, the receiver may still answer the copies it had
// beyond the one it acknowledged: those answers are taken in as they come,
// so that none is read as the next block's answer. The latest copy needs
// its line time to reach the receiver, so the wait lasts until the copy
// could have been answered (its line time plus the answer allowance) and
// then until the line has been quiet for the allowance. A cancel still
// stops the send. Bounded by the time-out however much arrives.
int32_t FileSender::takeExtraAcks(const Pending &pending) {
    int owed = pending.unanswered;
    uint32_t deadline = tickMs() + static_cast<uint32_t>(m_link.timeoutMs());
    int32_t allowance = m_answers.allowanceMs(pending.lineMs);
    uint32_t quietFrom = pending.lastCopyAt + static_cast<uint32_t>(slowLineTimeMs(pending.lineMs));
    bool answered = false;
    while (owed > 0 && !tickReached(deadline)) {
        int32_t copyOnItsWay = std::max(static_cast<int32_t>(quietFrom - tickMs()), 0);
        int byte = m_link.waitByte(copyOnItsWay + allowance);
        if (byte == -1) break;
        if (byte == ACK || byte == NAK) answered = --owed == 0;
        if (byte == KORLINK_E_CANCELLED || byte == KORLINK_E_CARRIER_LOST) return answerTo(byte, 0);
        if (byte != CAN) continue;
        int32_t code = countCan();
        if (code != REPLY_NONE) return code;
    }
    m_answers.copiesAnswered(answered);
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
    int32_t patience = std::max(m_answers.allowanceMs(lineTimeMs(end.length)), eotPatienceMs);
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

}  // namespace korlink::xmodemsend
