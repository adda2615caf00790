#include "kermit/kermit_receive.h"

#include "kermit/kermit_codec.h"
#include "kermit/kermit_link.h"
#include "kermit/kermit_params.h"
#include "transfer/file_names.h"
#include "transfer/transfer_link.h"
#include "transfer/receive_file.h"

#include <cstring>
#include <new>
#include <unistd.h>

namespace korlink {
namespace {

constexpr int32_t BATCH_DONE = 1;       // the peer's B: every file arrived
constexpr int32_t PORT_GONE = KORLINK_E_NULL_PORT;  // the host closed the port meanwhile
constexpr size_t maxNameLength = 260;
constexpr int32_t lingerMs = 500;

class KermitReceiver {
public:
    KermitReceiver(KermitLink &link, ReceiveFile &file) : m_link(link), m_file(file) {}

    int32_t run();

private:
    int32_t awaitSendInit();
    void answerSendInit(int sequence, int check);
    void lingerAfterBreak();
    int32_t awaitFileHeader();
    int32_t startFile();
    int32_t receiveData();
    int32_t storeData();
    int32_t endOfFile();
    int32_t endByWait(int result);
    int32_t peerError();
    int32_t abortWith(int32_t code, const char *text);
    int32_t refuseFile(const char *text) {
        m_link.report(ST_DISK, 0);
        return abortWith(ST_DISK, text);
    }
    void finishPartialFile(int32_t code);
    void advance() { m_sequence = (m_sequence + 1) & 63; }
    int previous() const { return (m_sequence + 63) & 63; }

    KermitLink &m_link;
    ReceiveFile &m_file;
    int m_sequence = 0;
    int64_t m_byteCount = 0;
    int64_t m_unusedRoom = 0;
    int m_filesStarted = 0;
    std::string m_name;
};

int32_t KermitReceiver::run() {
    Port &io = m_link.port();
    c_rxflush(handleOf(&io), 0);
    if (io.xlat.flow.xonXoffOutput) {
        char xon = 17;
        c_putn(handleOf(&io), 1, &xon);
    }
    // Send-Init packets and their answers always carry a type-1 check.
    m_link.inUse().chkt = '1';
    int32_t code = awaitSendInit();
    while (code == 0) {
        code = awaitFileHeader();
        if (code == 0) code = receiveData();
    }
    if (code == BATCH_DONE) lingerAfterBreak();
    return code == BATCH_DONE ? 0 : code;
}

// The answer to B is the last packet of the transfer: the line stays with
// this side a moment longer, so that the answer is not cut off when the
// host closes the port at once, and a B repeated because the answer was
// lost is answered again.
void KermitReceiver::lingerAfterBreak() {
    uint32_t end = tickMs() + lingerMs;
    for (int32_t left; (left = static_cast<int32_t>(end - tickMs())) > 0;) {
        int type = m_link.readPacketWithin(left);
        if (type == 'B') m_link.resendLast();
        else if (type < -1) return;
    }
}

int32_t KermitReceiver::awaitSendInit() {
    KermitSettings &settings = m_link.settings();
    for (int attempt = 1; attempt <= settings.retryLimit; ++attempt) {
        int type = m_link.readPacket();
        if (type == 'S') {
            m_sequence = m_link.sequence();
            m_link.report(KST_SEND_INIT, m_sequence);
            int check = applyPeerParams(settings, m_link.data(), m_link.dataLength(), InitFrom::Sender);
            answerSendInit(m_sequence, check);
            // Every packet after the exchange carries the agreed check.
            m_link.inUse().chkt = static_cast<int16_t>(check);
            advance();
            return 0;
        }
        if (type == 'E') return peerError();
        if (type < -1) return endByWait(type);
        m_link.report(ST_TIMEOUT, attempt);
    }
    return ST_TIMEOUT;
}

// The Y that answers an S: this side's parameters and the agreed check type.
void KermitReceiver::answerSendInit(int sequence, int check) {
    uint8_t init[9];
    size_t length = buildSendInit(m_link.settings(), check, init);
    m_link.sendInitPacket('Y', sequence, init, length);
}

int32_t KermitReceiver::awaitFileHeader() {
    int bad = 0;
    for (;;) {
        int type = m_link.readPacket();
        if (type < -1) return endByWait(type);
        int seq = m_link.sequence();
        if (type == 'E') return peerError();
        if (type == 'B') {
            m_link.sendPacket('Y', seq);
            m_link.report(KST_BREAK, 0);
            return BATCH_DONE;
        }
        if (type == 'F' && seq == m_sequence) return startFile();
        if (type == 'S') {
            answerSendInit(seq, m_link.inUse().chkt);  // our answer to it was lost
        } else if (type == 'Z' || (type >= 0 && type != 'Q' && seq == previous())) {
            m_link.sendPacket('Y', seq);  // the last file's end again
        } else {
            m_link.sendPacket('N', m_sequence);
        }
        if (++bad > m_link.settings().retryLimit) return ST_TIMEOUT;
    }
}

// The F packet: the file's name, the rename rule, the output file.
int32_t KermitReceiver::startFile() {
    KermitSettings &settings = m_link.settings();
    m_link.report(KST_FILE_HEADER, m_sequence);
    m_byteCount = 0;
    m_unusedRoom = 0;
    bool unnamed = false;
    if (!settings.fileName.empty()) {
        // A second file under the host's one name would overwrite the first.
        if (m_filesStarted > 0) {
            m_link.report(KST_ONE_FILE_ONLY, reinterpret_cast<intptr_t>(settings.fileName.c_str()));
            return abortWith(KST_ONE_FILE_ONLY, "Only one file expected");
        }
        m_name = settings.fileName;
    } else {
        int length = decodeData(receivingPrefixes(settings), m_link.data(), m_link.dataLength(),
                                settings.decoded.data(), settings.decoded.size());
        std::string sent(reinterpret_cast<const char *>(settings.decoded.data()),
                         length > 0 ? static_cast<size_t>(length) : 0);
        if (sent.size() > maxNameLength) sent.resize(maxNameLength);
        // Whatever the peer names, the file lands in the receive folder; a
        // name with nothing usable left ("..", empty) still names a file,
        // stored under a generated name that overwrites nothing.
        m_name = bareFileName(sent);
        unnamed = m_name.empty();
        if (unnamed) m_name = unnamedFileName;
    }
    m_link.report(ST_OPENING, reinterpret_cast<intptr_t>(m_name.c_str()));
    if (settings.rename || unnamed) {
        std::string original = m_name;
        // With every .DL0 to .DL9 taken the file is refused rather than
        // written over an existing one.
        if (applyRenameRule(m_name) != 0) {
            m_name = original;
            return refuseFile("No free file name");
        }
        if (m_name != original) {
            m_link.report(ST_RENAMED, reinterpret_cast<intptr_t>(m_name.c_str()));
            m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(m_name.c_str()));
        }
    }
    if (!m_file.open(m_name)) return refuseFile("Cannot create file");
    ++m_filesStarted;
    m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(m_name.c_str()));
    m_link.sendPacket('Y', m_sequence);
    advance();
    return 0;
}

int32_t KermitReceiver::receiveData() {
    int bad = 0;
    int32_t code = 0;
    while (code == 0) {
        int type = m_link.readPacket();
        if (type < -1) { code = endByWait(type); break; }
        int seq = m_link.sequence();
        if (type == 'E') { code = peerError(); break; }
        if (type == 'A') {
            m_link.report(KST_ABORT_PACKET, static_cast<intptr_t>(m_byteCount));
            code = KST_ABORT_PACKET;
            break;
        }
        bool packet = type >= 0 && type != 'Q';
        if (packet && seq == previous()) {
            m_link.sendPacket('Y', seq);   // our answer was lost: not written twice
            continue;
        }
        if (packet && seq == m_sequence && type == 'D') {
            code = storeData();
            if (code == 0) { bad = 0; continue; }
            if (code != kermitBadPacket) break;
            code = 0;                      // malformed data: asked for again
        } else if (packet && seq == m_sequence && type == 'Z') {
            return endOfFile();
        }
        if (++bad > m_link.settings().retryLimit) { code = ST_TIMEOUT; break; }
        m_link.sendPacket('N', m_sequence);
    }
    if (code != PORT_GONE) finishPartialFile(code);
    return code;
}

// A D packet with the expected sequence number: 0, kermitBadPacket when its
// data cannot be decoded, or 4003 when it cannot be written.
int32_t KermitReceiver::storeData() {
    KermitSettings &settings = m_link.settings();
    int length = decodeData(receivingPrefixes(settings), m_link.data(), m_link.dataLength(),
                            settings.decoded.data(), settings.decoded.size());
    if (length < 0) return kermitBadPacket;
    int64_t unused = static_cast<int64_t>(m_link.dataRoom()) - static_cast<int64_t>(m_link.dataLength());
    m_link.sendPacket('Y', m_sequence);
    advance();
    if (!m_file.append(settings.decoded.data(), static_cast<size_t>(length))) {
        m_link.report(ST_DISK, static_cast<intptr_t>(m_byteCount));
        return abortWith(ST_DISK, "Disk write failed");
    }
    m_byteCount += length;
    m_unusedRoom += unused > 0 ? unused : 0;
    m_link.report(ST_BYTE_COUNT, static_cast<intptr_t>(m_byteCount));
    m_link.report(KST_UNUSED_ROOM, static_cast<intptr_t>(m_unusedRoom));
    return 0;
}

int32_t KermitReceiver::endOfFile() {
    m_link.sendPacket('Y', m_sequence);
    advance();
    bool written = m_file.flush();
    bool closed = m_file.close() == 0;
    if (!written || !closed) {
        m_link.report(ST_DISK, static_cast<intptr_t>(m_byteCount));
        return abortWith(ST_DISK, "Disk write failed");
    }
    m_link.report(ST_FILE_CLOSED, reinterpret_cast<intptr_t>(m_name.c_str()));
    return 0;
}

// After a data phase that did not end with Z: what arrived is written out
// and the file closed; a cancel, carrier loss or used-up retries remove it
// unless the host keeps partial files. The peer's A or E packet leaves it.
void KermitReceiver::finishPartialFile(int32_t code) {
    if (!m_file.isOpen()) return;
    if (!m_file.flush()) m_link.report(ST_DISK, static_cast<intptr_t>(m_byteCount));
    m_file.close();
    bool interrupted = code == KORLINK_E_CANCELLED || code == KORLINK_E_CARRIER_LOST || code == ST_TIMEOUT;
    if (interrupted && !m_link.settings().keepPartial) ::unlink(m_name.c_str());
}

// A wait ended by the user's cancel or a carrier loss ends the transfer.
int32_t KermitReceiver::endByWait(int result) {
    if (result == PORT_GONE) return PORT_GONE;   // nothing of the port may be touched
    if (result == KORLINK_E_CANCELLED) {
        static const char text[] = "User intervention";
        m_link.sendPacket('E', m_sequence, reinterpret_cast<const uint8_t *>(text), sizeof text - 1);
        m_link.report(KST_ERROR_PACKET, 0);
        m_link.readPacket();                     // its answer, if one comes
    }
    m_link.report(result, static_cast<intptr_t>(m_byteCount));
    return result;
}

int32_t KermitReceiver::peerError() {
    m_link.sendPacket('Y', m_link.sequence());
    m_link.report(KST_ERROR_PACKET, 0);
    return ST_CANCELLED_REMOTE;
}

// Tells the peer why the transfer stops (an E packet) and ends with `code`.
int32_t KermitReceiver::abortWith(int32_t code, const char *text) {
    m_link.sendPacket('E', m_sequence, reinterpret_cast<const uint8_t *>(text), std::strlen(text));
    m_link.report(KST_ERROR_PACKET, 0);
    return code;
}

}  // namespace

int16_t receiveKermit(Port &io, PortHandle reportHandle, int32_t bufferSize, StatusCallback callback) {
    io.lastError = 0;
    KermitSettings *settings = ensureKermitSettings(io);
    if (!settings) {
        io.lastError = KORLINK_E_NO_MEMORY;
        return -1;
    }
    KermitLineSetup line(io);
    if (!line.saved()) {
        io.lastError = KORLINK_E_NO_MEMORY;
        return -1;
    }
    try {
        ReceiveFile file(io, bufferSize);
        KermitLink link(io, reportHandle, callback, *settings);
        KermitReceiver receiver(link, file);
        int32_t code = receiver.run();
        if (code == PORT_GONE) return -1;
        io.lastError = code;
        return code == 0 ? 0 : -1;
    } catch (const std::bad_alloc &) {
        io.lastError = KORLINK_E_NO_MEMORY;
        return -1;
    }
}

}  // namespace korlink
