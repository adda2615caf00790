// The receive loop: ZRINIT until a ZFILE comes, one file at a time with
// ZRPOS recovery and resume, ZFIN and "OO" at the end.
#include "zmodem/zmodem_receive.h"

#include "transfer/file_names.h"
#include "transfer/receive_file.h"
#include "zmodem/zmodem_file_info.h"
#include "zmodem/zmodem_session.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace korlink {
namespace {

// How long the end waits for the sender's "OO".
constexpr int32_t overAndOutMs = 1000;

class ZmodemReceiver {
public:
    ZmodemReceiver(ZmodemLine &line, Port &io, int32_t bufferSize)
        : m_line(line), m_link(line.link()), m_file(io, bufferSize), m_data(zmodemMaxSubpacket) {}

    // 0 when the batch went through, else the code that ended it.
    int32_t run();
    // True once the sender ended the session (ZFIN): nothing to cancel.
    bool ended() const { return m_ended; }

private:
    void sendReceiverInit();
    int32_t receiveFile();
    int32_t openFile(const ZmodemFileInfo &info, bool senderAsksResume);
    int32_t receiveData();
    int32_t endFile();
    // ZRPOS at the byte count; after an error also reported with 4025.
    void askPosition(bool afterError = true);
    void finish();

    ZmodemLine &m_line;
    TransferLink &m_link;
    ReceiveFile m_file;
    std::vector<uint8_t> m_data;
    ZmodemHeader m_header;
    std::string m_name;
    int64_t m_announced = -1;
    int64_t m_modified = 0;
    int64_t m_count = 0;
    int32_t m_failure = 0;      // a file that failed while the batch went on
    bool m_ended = false;
};

void ZmodemReceiver::sendReceiverInit() {
    const ZmodemSettings &settings = m_line.settings();
    uint8_t flags = CANFDX | CANOVIO;
    if (settings.crc32) flags |= CANFC32;
    if (settings.escapeAll) flags |= ESCCTL;
    ZmodemHeader header = ZmodemHeader::withFlags(ZRINIT, flags);
    header.bytes[0] = static_cast<uint8_t>(settings.receiveBuffer);
    header.bytes[1] = static_cast<uint8_t>(settings.receiveBuffer >> 8);
    m_line.sendHex(header);
}

int32_t ZmodemReceiver::run() {
    m_link.report(ST_BYTE_COUNT, 0);
    sendReceiverInit();
    for (;;) {
        size_t count = 0;
        int got = m_line.readHeader(m_header);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        switch (got) {
        case ZRQINIT:
            break;
        case ZSINIT:
            // The sender asks for escaped controls; its attention string is
            // not used.
            if (m_line.readSubpacket(m_data.data(), count) < 0) break;
            if (m_header.flag(0) & TESCCTL) m_line.setEscapeAll(true);
            m_line.sendHex(ZmodemHeader::at(ZACK, 1));
            continue;
        case ZFILE: {
            int32_t result = receiveFile();
            if (result != zmodemGoOn) return result;
            m_line.resetErrors();
            break;
        }
        case ZFIN:
            m_ended = true;
            finish();
            return m_failure;
        case ZFREECNT:
            m_line.sendHex(ZmodemHeader::at(ZACK, 0));
            continue;
        default:
            // Time-outs, damage and frames that make no sense here: ask again.
            if (got >= 0) got = ZM_GARBAGE;
            if (!m_line.countError(got, 0)) return ST_TIMEOUT;
            break;
        }
        sendReceiverInit();
    }
}

void ZmodemReceiver::finish() {
    m_line.sendHex(ZmodemHeader::at(ZFIN, 0));
    // "OO" ends the session; a sender that leaves it out loses nothing.
    for (int seen = 0; seen < 2;) {
        int c = m_link.waitByte(overAndOutMs);
        if (c < 0) break;
        if (c == 'O') ++seen;
    }
}

int32_t ZmodemReceiver::receiveFile() {
    size_t count = 0;
    int end = m_line.readSubpacket(m_data.data(), count);
    if (int32_t fatal = m_line.fatalResult(end); fatal != 0) return fatal;
    if (end < 0) return m_line.countError(end, 0) ? zmodemGoOn : ST_TIMEOUT;
    bool senderAsksResume = m_header.flag(0) == ZCRESUM;
    ZmodemFileInfo info = parseZmodemFileInfo(m_data.data(), count);
    int32_t opened = openFile(info, senderAsksResume);
    if (opened == ST_DISK) {
        // This file cannot be taken; the rest of the batch still can.
        m_failure = ST_DISK;
        m_line.sendHex(ZmodemHeader::at(ZSKIP, 0));
        m_link.report(ZST_SKIP, reinterpret_cast<intptr_t>(m_name.c_str()));
        return zmodemGoOn;
    }
    return receiveData();
}

int32_t ZmodemReceiver::openFile(const ZmodemFileInfo &info, bool senderAsksResume) {
    bool changed = false;
    m_name = storedFileName(info.name, changed);
    m_announced = info.length;
    m_modified = info.modified;
    m_count = 0;
    m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(m_name.c_str()));
    m_link.report(ST_FILE_LENGTH, static_cast<intptr_t>(m_announced));
    m_link.report(ST_FILE_TIME, static_cast<intptr_t>(m_modified));
    const ZmodemSettings &settings = m_line.settings();
    // A partial file of this name: ask for the rest only.
    if (!changed && m_announced > 0 && (settings.resume || senderAsksResume)) {
        struct stat existing {};
        if (lstat(m_name.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) && existing.st_size > 0 &&
            existing.st_size < m_announced && m_file.openToContinue(m_name, m_count)) {
            m_link.report(ST_OPENING, reinterpret_cast<intptr_t>(m_name.c_str()));
            m_link.report(ZST_RESUME, static_cast<intptr_t>(m_count));
            return zmodemGoOn;
        }
    }
    if (m_announced > 0 && !enoughFreeSpace(m_announced)) {
        m_link.report(ST_DISK, 0);
        return ST_DISK;
    }
    if (settings.rename || changed) {
        applyRenameRule(m_name);  // all ten taken: the name ending in 9 is used
        m_link.report(ST_RENAMED, reinterpret_cast<intptr_t>(m_name.c_str()));
        m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(m_name.c_str()));
    }
    m_link.report(ST_OPENING, reinterpret_cast<intptr_t>(m_name.c_str()));
    if (!m_file.open(m_name)) {
        m_link.report(ST_DISK, 0);
        return ST_DISK;
    }
    return zmodemGoOn;
}

void ZmodemReceiver::askPosition(bool afterError) {
    if (afterError) m_link.report(ST_NAK_SENT, static_cast<intptr_t>(m_count));
    m_line.sendHex(ZmodemHeader::at(ZRPOS, static_cast<uint32_t>(m_count)));
}

int32_t ZmodemReceiver::receiveData() {
    m_link.report(ST_BYTE_COUNT, static_cast<intptr_t>(m_count));
    askPosition(false);
    for (;;) {
        int got = m_line.readHeader(m_header);
        if (int32_t fatal = m_line.fatalResult(got); fatal != 0) return fatal;
        if (got == ZEOF && m_header.position() == static_cast<uint32_t>(m_count)) return endFile();
        if (got == ZDATA && m_header.position() == static_cast<uint32_t>(m_count)) {
            for (;;) {
                size_t count = 0;
                int end = m_line.readSubpacket(m_data.data(), count);
                if (int32_t fatal = m_line.fatalResult(end); fatal != 0) return fatal;
                if (end < 0) {
                    if (!m_line.countError(end, static_cast<intptr_t>(m_count))) return ST_TIMEOUT;
                    askPosition();
                    break;
                }
                if (m_announced >= 0 && m_count + static_cast<int64_t>(count) > m_announced) {
                    // Keep what fits the announced length; the rest is a lie.
                    m_file.append(m_data.data(), static_cast<size_t>(m_announced - m_count));
                    m_file.flush();
                    m_file.close();
                    m_link.report(ZST_LONG_FILE, static_cast<intptr_t>(m_announced));
                    return ZST_LONG_FILE;
                }
                if (!m_file.append(m_data.data(), count)) {
                    m_link.report(ST_DISK, static_cast<intptr_t>(m_count));
                    return ST_DISK;
                }
                m_count += static_cast<int64_t>(count);
                m_line.resetErrors();
                m_link.report(ST_BYTE_COUNT, static_cast<intptr_t>(m_count));
                // A cancel asked for while the sender keeps the line full is
                // seen here: the reads above never have to wait for a byte.
                if (__atomic_exchange_n(&m_link.port().cancelPending, false, __ATOMIC_ACQ_REL))
                    return KORLINK_E_CANCELLED;
                if (end == ZCRCW || end == ZCRCQ) {
                    m_line.sendHex(ZmodemHeader::at(ZACK, static_cast<uint32_t>(m_count)));
                    m_link.report(ST_ACK_SENT, static_cast<intptr_t>(m_count));
                }
                if (end == ZCRCW || end == ZCRCE) break;
            }
            continue;
        }
        if (got == ZFILE) {
            // Our ZRPOS was lost: the sender still offers the file.
            size_t count = 0;
            m_line.readSubpacket(m_data.data(), count);
        }
        // Anything else (a frame at another position included) counts as
        // an error, so a storm of headers ends like a dead line.
        if (got >= 0) got = ZM_GARBAGE;
        if (!m_line.countError(got, static_cast<intptr_t>(m_count))) return ST_TIMEOUT;
        askPosition();
    }
}

int32_t ZmodemReceiver::endFile() {
    bool written = m_file.flush();
    bool closed = m_file.close() == 0;
    if (m_modified > 0) {
        timespec times[2] = {{static_cast<time_t>(m_modified), 0}, {static_cast<time_t>(m_modified), 0}};
        utimensat(AT_FDCWD, m_name.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    m_link.report(ST_FILE_CLOSED, static_cast<intptr_t>(m_count));
    if (!written || !closed) {
        m_link.report(ST_DISK, static_cast<intptr_t>(m_count));
        m_failure = ST_DISK;
    } else if (m_announced >= 0 && m_count < m_announced) {
        m_link.report(ST_SHORT_FILE, static_cast<intptr_t>(m_count));
        m_failure = ST_SHORT_FILE;
    }
    return zmodemGoOn;
}

}  // namespace

int16_t receiveZmodem(Port &io, PortHandle reportHandle, int32_t bufferSize, StatusCallback callback) {
    return runZmodemSession(io, reportHandle, callback, [&](ZmodemLine &line) {
        line.setCrc32(false);   // the receiver's own headers are hex
        ZmodemReceiver receiver(line, io, bufferSize);
        int32_t code = receiver.run();
        return ZmodemOutcome{code, !receiver.ended()};
    });
}

}  // namespace korlink
