// The send loop: ZRQINIT until the receiver's ZRINIT, one ZFILE per queued
// file, data from wherever the receiver's ZRPOS asks (a resume included),
// streamed or in buffer-sized windows, then ZFIN and "OO".
#include "zmodem/zmodem_send.h"

#include "transfer/queued_file.h"
#include "zmodem/zmodem_file_info.h"
#include "zmodem/zmodem_session.h"

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace korlink {
namespace {

// A file the receiver took (ZRINIT after ZEOF) or skipped.
constexpr int32_t fileDone = 1;
// Between answers the sender looks at the reverse channel without waiting.
constexpr int32_t lookOnce = 0;
// How long a ZRINIT met while a ZFILE waits for its answer is given to be
// followed by that answer.
constexpr int32_t repeatedInitMs = 500;
// A streaming sender learns of lost data only from the receiver's ZRPOS.
// When little arrived since the last one, the subpackets get shorter, so
// that a noisy line still lets most of them through; when much did, they
// get longer again, up to the set length.
constexpr size_t shortestSubpacket = 64;
constexpr int64_t goodRunToGrow = 8;   // subpackets between two losses

class ZmodemSender {
public:
    ZmodemSender(ZmodemLine &line, SendQueue &queue)
        : m_line(line), m_link(line.link()), m_queue(queue), m_data(zmodemMaxSubpacket) {}

    int32_t run();

private:
    int32_t awaitReceiver();
    int32_t askEscapes();
    int32_t sendFile();
    int32_t offerFile(const std::vector<uint8_t> &info, uint8_t conversion);
    int32_t sendFrom(int64_t position);
    int32_t answerCrcRequest(uint32_t length);
    int32_t checkReverseChannel(int64_t &position);
    int32_t awaitAck(int64_t &position);
    int32_t awaitEndAnswer(int64_t &position);
    void endSession();
    // After a ZRINIT, often a second answer to the session's start: the
    // first byte of whatever follows within a moment (given back to the
    // reader), -1 when nothing does (the receiver wants the frame again).
    int moreComing();
    // One ZRPOS more: false once the receiver failed at one place too often.
    bool countPositionRequest(uint32_t position);
    bool seekTo(int64_t position);
    // The subpacket length after the receiver lost data at `position`.
    void adaptSubpackets(int64_t position);

    ZmodemLine &m_line;
    TransferLink &m_link;
    SendQueue &m_queue;
    std::vector<uint8_t> m_data;
    ZmodemHeader m_header;
    uint32_t m_window = 0;       // receiver's buffer, 0: stream
    bool m_streaming = true;
    int64_t m_position = 0;
    int64_t m_lastAsked = -1;   // position of the last ZRPOS
    size_t m_subpacketLength = 0;
    int64_t m_lengthSince = 0;   // where the current length took effect
};

int ZmodemSender::moreComing() {
    int next = m_link.waitByte(repeatedInitMs);
    if (next >= 0) m_line.reader().unread(next);
    return next;
}

// Errors in a row count the receiver's failures at one place: a ZRPOS
// further on shows progress, as a ZACK does.
bool ZmodemSender::countPositionRequest(uint32_t position) {
    if (static_cast<int64_t>(position) > m_lastAsked) m_line.resetErrors();
    m_lastAsked = position;
    return m_line.countError(ZM_BAD_CHECK, static_cast<intptr_t>(position));
}

int32_t ZmodemSender::awaitReceiver() {
    static const uint8_t hello[] = {'r', 'z', '\r'};
    m_line.sendRaw(hello, sizeof hello);
    m_line.sendHex(ZmodemHeader::at(ZRQINIT, 0));
    for (;;) {
        int got = m_line.readHeader(m_header);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        if (got == ZRINIT) {
            uint8_t flags = m_header.flag(0);
            m_window = static_cast<uint32_t>(m_header.bytes[0] | m_header.bytes[1] << 8);
            m_streaming = m_window == 0 && (flags & CANFDX) && (flags & CANOVIO);
            m_line.setCrc32((flags & CANFC32) && m_line.settings().crc32);
            if (flags & ESCCTL) m_line.setEscapeAll(true);
            return zmodemGoOn;
        }
        if (got == ZCHALLENGE) {
            m_line.sendHex(ZmodemHeader::at(ZACK, m_header.position()));
            continue;
        }
        if (got >= 0) got = ZM_GARBAGE;
        if (!m_line.countError(got, 0)) return ST_TIMEOUT;
        m_line.sendHex(ZmodemHeader::at(ZRQINIT, 0));
    }
}

// Asks the receiver to escape every control character too.
int32_t ZmodemSender::askEscapes() {
    static const uint8_t noAttention[] = {0};
    bool offer = true;
    for (;;) {
        if (offer) m_line.sendFrame(ZmodemHeader::withFlags(ZSINIT, TESCCTL), noAttention, 1, ZCRCW);
        int got = m_line.readHeader(m_header);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        if (got == ZACK) return zmodemGoOn;
        if (got == ZRINIT) {
            int more = moreComing();
            if (more < -1) return more;
            offer = more < 0;
            continue;
        }
        offer = true;
        if (got >= 0) got = ZM_GARBAGE;
        if (!m_line.countError(got, 0)) return ST_TIMEOUT;
    }
}

int32_t ZmodemSender::run() {
    int32_t result = awaitReceiver();
    if (result == zmodemGoOn && m_line.settings().escapeAll) result = askEscapes();
    while (result == zmodemGoOn && !m_queue.names.empty()) {
        m_lastAsked = -1;
        m_line.resetErrors();
        result = sendFile();
        releaseQueueFile(m_queue);
        if (!m_queue.names.empty()) m_queue.names.pop_front();
        m_line.resetErrors();
    }
    if (result == zmodemGoOn) endSession();
    return result;
}

int32_t ZmodemSender::sendFile() {
    int64_t modifiedLocal = 0;
    uint32_t mode = 0;
    if (!openQueuedFile(m_queue, modifiedLocal, mode)) return KORLINK_E_FILE;
    struct stat info {};
    fstat(m_queue.inputFd, &info);
    const std::string &path = m_queue.currentName;
    size_t slash = path.find_last_of('/');
    ZmodemFileInfo file{slash == std::string::npos ? path : path.substr(slash + 1), m_queue.currentSize,
                        static_cast<int64_t>(info.st_mtime), mode};
    m_link.report(ST_OPENING, reinterpret_cast<intptr_t>(path.c_str()));
    m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(path.c_str()));
    m_link.report(ST_FILE_LENGTH, static_cast<intptr_t>(file.length));
    m_link.report(ST_FILE_TIME, static_cast<intptr_t>(file.modified));
    m_link.report(ST_BYTE_COUNT, 0);
    int64_t bytesLeft = 0;
    for (const std::string &name : m_queue.names) {
        struct stat queued {};
        if (stat(name.c_str(), &queued) == 0) bytesLeft += queued.st_size;
    }
    std::vector<uint8_t> subpacket =
        buildZmodemFileInfo(file, static_cast<int>(m_queue.names.size()), bytesLeft);
    int32_t result = offerFile(subpacket, m_line.settings().resume ? ZCRESUM : ZCBIN);
    // 1: the receiver took the file's end (or skipped it), as Kermit's send tells.
    m_link.report(ST_FILE_CLOSED, result == fileDone ? 1 : 0);
    return result == fileDone ? zmodemGoOn : result;
}

int32_t ZmodemSender::offerFile(const std::vector<uint8_t> &info, uint8_t conversion) {
    bool offer = true;
    for (;;) {
        if (offer) m_line.sendFrame(ZmodemHeader::withFlags(ZFILE, conversion), info.data(), info.size(), ZCRCW);
        offer = true;
        int got;
        do {
            got = m_line.readHeader(m_header);
            if (got == ZCRC) got = answerCrcRequest(m_header.position());
        } while (got == ZCRC);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        if (got == ZRPOS) {
            m_lastAsked = m_header.position();
            return sendFrom(m_header.position());
        }
        if (got == ZSKIP) {
            m_link.report(ZST_SKIP, reinterpret_cast<intptr_t>(m_queue.currentName.c_str()));
            return fileDone;
        }
        if (got == ZRINIT) {
            int more = moreComing();
            if (more < -1) return more;
            offer = more < 0;
            continue;
        }
        // The answer to a ZSINIT sent twice: not an answer to the ZFILE.
        if (got == ZACK) {
            offer = false;
            continue;
        }
        if (got >= 0) got = ZM_GARBAGE;
        if (!m_line.countError(got, 0)) return ST_TIMEOUT;
    }
}

// The receiver checks its partial file against ours: the CRC-32 of the
// first `length` bytes (0: the whole file).
int32_t ZmodemSender::answerCrcRequest(uint32_t length) {
    uint32_t crc = zmodemCrc32Start;
    int64_t wanted = length == 0 ? m_queue.currentSize : length;
    if (!seekTo(0)) return KORLINK_E_FILE;
    while (wanted > 0) {
        ssize_t got = readQueuedBytes(m_queue, m_data.data(),
                                      static_cast<size_t>(std::min<int64_t>(wanted, zmodemMaxSubpacket)));
        if (got <= 0) break;
        crc = zmodemCrc32(crc, m_data.data(), static_cast<size_t>(got));
        wanted -= got;
    }
    m_line.sendHex(ZmodemHeader::at(ZCRC, ~crc));
    return ZCRC;
}

void ZmodemSender::adaptSubpackets(int64_t position) {
    const size_t configured = static_cast<size_t>(m_line.settings().subpacketLength);
    const int64_t arrived = position - m_lengthSince;
    if (arrived >= goodRunToGrow * static_cast<int64_t>(m_subpacketLength))
        m_subpacketLength = std::min(configured, 2 * m_subpacketLength);
    else
        m_subpacketLength = std::max(std::min(shortestSubpacket, configured), m_subpacketLength / 2);
    m_lengthSince = position;
}

bool ZmodemSender::seekTo(int64_t position) {
    if (position > m_queue.currentSize || !seekQueuedFile(m_queue, position)) return false;
    m_position = position;
    return true;
}

int32_t ZmodemSender::sendFrom(int64_t position) {
    m_subpacketLength = static_cast<size_t>(m_line.settings().subpacketLength);
    m_lengthSince = position;
    if (!seekTo(position)) return KORLINK_E_FILE;
    if (position > 0) m_link.report(ZST_RESUME, static_cast<intptr_t>(position));
    for (;;) {
        m_line.sendBinary(ZmodemHeader::at(ZDATA, static_cast<uint32_t>(m_position)));
        uint32_t sinceAck = 0;
        int32_t result = zmodemGoOn;
        bool restart = false;
        while (!restart) {
            size_t want = m_subpacketLength;
            if (m_window > 0) want = std::min<size_t>(want, m_window - sinceAck);
            ssize_t got = readQueuedBytes(m_queue, m_data.data(), want);
            if (got < 0) return KORLINK_E_FILE;
            bool atEnd = m_position + got >= m_queue.currentSize;
            sinceAck += static_cast<uint32_t>(got);
            uint8_t end = atEnd ? ZCRCE : !m_streaming && (m_window == 0 || sinceAck >= m_window) ? ZCRCW : ZCRCG;
            // Streamed subpackets share a write; the reverse channel is
            // looked at once they went out.
            bool written = true;
            if (end == ZCRCG) written = m_line.streamSubpacket(m_data.data(), static_cast<size_t>(got), want);
            else m_line.sendSubpacket(m_data.data(), static_cast<size_t>(got), end);
            if (m_line.outputStuck()) {
                m_link.report(ST_TIMEOUT, 0);
                return ST_TIMEOUT;
            }
            m_position += got;
            m_link.report(ST_BYTE_COUNT, static_cast<intptr_t>(m_position));
            if (!written) continue;
            int64_t asked = m_position;
            if (end == ZCRCW) {
                sinceAck = 0;
                result = awaitAck(asked);
            } else if (atEnd) {
                m_line.sendBinary(ZmodemHeader::at(ZEOF, static_cast<uint32_t>(m_position)));
                result = awaitEndAnswer(asked);
            } else {
                result = checkReverseChannel(asked);
            }
            if (result == fileDone) return fileDone;
            if (result != zmodemGoOn) return result;
            if (asked != m_position) {
                // The receiver lost data: go back to where it asks.
                m_link.report(ST_NAK_RECEIVED, static_cast<intptr_t>(asked));
                adaptSubpackets(asked);
                if (!seekTo(asked)) return KORLINK_E_FILE;
                restart = true;
            } else if (atEnd || end == ZCRCW) {
                // A ZCRCW ends the frame: the next data needs a ZDATA header.
                restart = true;
            }
        }
    }
}

// Headers that may come while data goes out: ZRPOS, ZACK, a cancel.
int32_t ZmodemSender::checkReverseChannel(int64_t &position) {
    while (c_rxcount(m_link.handle()) > 0) {
        int c = m_link.waitByte(lookOnce);
        if (c < -1) return c;
        if (c != ZPAD && c != ZDLE) continue;
        m_line.reader().unread(c);
        int got = m_line.readHeader(m_header);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        if (got == ZRPOS) {
            if (!countPositionRequest(m_header.position())) return ST_TIMEOUT;
            m_link.discardInput();
            position = m_header.position();
            return zmodemGoOn;
        }
        if (got == ZSKIP) {
            m_link.report(ZST_SKIP, reinterpret_cast<intptr_t>(m_queue.currentName.c_str()));
            return fileDone;
        }
    }
    return zmodemGoOn;
}

int32_t ZmodemSender::awaitAck(int64_t &position) {
    for (;;) {
        int got = m_line.readHeader(m_header);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        if (got == ZACK) {
            m_line.resetErrors();
            return zmodemGoOn;
        }
        if (got == ZRPOS) {
            if (!countPositionRequest(m_header.position())) return ST_TIMEOUT;
            position = m_header.position();
            return zmodemGoOn;
        }
        if (got == ZSKIP) return fileDone;
        if (got >= 0) got = ZM_GARBAGE;
        if (!m_line.countError(got, static_cast<intptr_t>(m_position))) return ST_TIMEOUT;
        if (got == ZM_TIMEOUT) {
            // The ZCRCW or its answer was lost: offer the data from here.
            position = m_position;
            return zmodemGoOn;
        }
    }
}

int32_t ZmodemSender::awaitEndAnswer(int64_t &position) {
    // Silence here is the receiver's own recovery after lost data, not a
    // failure at this place: it has a budget of its own, so that the
    // receiver's repeated ZRPOS keep the whole retry limit.
    int32_t silent = 0;
    for (;;) {
        int got = m_line.readHeader(m_header);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        if (got == ZM_TIMEOUT) {
            m_link.report(ST_TIMEOUT, ++silent);
            if (silent > m_line.settings().retryLimit) return ST_TIMEOUT;
            continue;
        }
        if (got == ZRINIT) return fileDone;
        if (got == ZSKIP) return fileDone;
        if (got == ZACK) continue;   // answers to ZCRCQ/ZCRCW still on the way
        if (got == ZRPOS) {
            if (!countPositionRequest(m_header.position())) return ST_TIMEOUT;
            position = m_header.position();
            return zmodemGoOn;
        }
        if (got >= 0) got = ZM_GARBAGE;
        if (!m_line.countError(got, static_cast<intptr_t>(m_position))) return ST_TIMEOUT;
        // A garbled answer gets the ZEOF again at once. Silence does not:
        // a receiver that lost data ignores a ZEOF, and one repeated faster
        // than its own time-out would keep it from asking with a ZRPOS.
        m_line.sendBinary(ZmodemHeader::at(ZEOF, static_cast<uint32_t>(m_position)));
    }
}

void ZmodemSender::endSession() {
    for (int attempt = 0; attempt <= m_line.settings().retryLimit; ++attempt) {
        m_line.sendHex(ZmodemHeader::at(ZFIN, 0));
        int got = m_line.readHeader(m_header);
        if (got == ZFIN || m_line.fatalResult(got) != 0) break;
    }
    static const uint8_t overAndOut[] = {'O', 'O'};
    m_line.sendRaw(overAndOut, sizeof overAndOut);
}

}  // namespace

int16_t sendZmodem(Port &io, PortHandle reportHandle, SendQueue &queue) {
    return runZmodemSession(io, reportHandle, queue.callback, [&](ZmodemLine &line) {
        ZmodemSender sender(line, queue);
        return ZmodemOutcome{sender.run(), true};
    });
}

}  // namespace korlink
