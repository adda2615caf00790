#include "kermit/kermit_send.h"

#include "kermit/kermit_codec.h"
#include "kermit/kermit_link.h"
#include "kermit/kermit_params.h"
#include "transfer/transfer_link.h"
#include "transfer/queued_file.h"

#include <cstring>
#include <new>
#include <vector>

namespace korlink {
namespace {

constexpr int32_t PORT_GONE = KORLINK_E_NULL_PORT;

// The bytes of the file being sent, read ahead far enough that a run of up
// to 94 equal bytes is seen whole.
class FileWindow {
public:
    explicit FileWindow(SendQueue &queue) : m_queue(queue), m_bytes(8192) {}

    // Fills up the look-ahead; false on a read error.
    bool refill();
    const uint8_t *data() const { return m_bytes.data() + m_start; }
    size_t available() const { return m_end - m_start; }
    void consume(size_t count) { m_start += count; }

private:
    SendQueue &m_queue;
    std::vector<uint8_t> m_bytes;
    size_t m_start = 0;
    size_t m_end = 0;
    bool m_atEnd = false;
};

bool FileWindow::refill() {
    if (m_atEnd || available() >= 512) return true;
    std::memmove(m_bytes.data(), m_bytes.data() + m_start, available());
    m_end -= m_start;
    m_start = 0;
    ssize_t got = readQueuedBytes(m_queue, m_bytes.data() + m_end, m_bytes.size() - m_end);
    if (got < 0) return false;
    m_end += static_cast<size_t>(got);
    m_atEnd = m_end < m_bytes.size();
    return true;
}

class KermitSender {
public:
    KermitSender(KermitLink &link, SendQueue &queue) : m_link(link), m_queue(queue) {}

    int32_t run();

private:
    int32_t sendInit();
    int32_t sendFile();
    int32_t sendHeader();
    int32_t sendData();
    int32_t exchange(char type, const uint8_t *data, size_t length);
    int32_t stopByWait(int result);
    int32_t peerError();
    void sendError(const char *text);
    void closeFile(bool confirmed);

    KermitLink &m_link;
    SendQueue &m_queue;
    int m_sequence = 0;
    int64_t m_byteCount = 0;
};

int32_t KermitSender::run() {
    int32_t code = sendInit();
    bool skipped = false;
    while (code == 0 && !m_queue.names.empty()) {
        code = sendFile();
        // A file whose name cannot go out is left out; the batch goes on and
        // its end says that not every file went.
        if (code == KST_NAME_TOO_LONG) {
            skipped = true;
            code = 0;
        }
    }
    if (code == 0) {
        m_link.report(KST_BREAK, 0);
        code = exchange('B', nullptr, 0);
    }
    if (code == 0 && skipped) code = KST_NAME_TOO_LONG;
    if (code != PORT_GONE) m_link.report(ST_FINISHED, 1);
    return code;
}

int32_t KermitSender::sendInit() {
    KermitSettings &settings = m_link.settings();
    // Send-Init packets and their answers always carry a type-1 check.
    settings.inUse.chkt = '1';
    m_link.report(KST_SEND_INIT, 0);
    uint8_t init[9];
    size_t length = buildSendInit(settings, offeredCheck(settings), init);
    int32_t code = exchange('S', init, length);
    if (code == 0)
        settings.inUse.chkt = static_cast<int16_t>(
            applyPeerParams(settings, m_link.data(), m_link.dataLength(), InitFrom::Receiver));
    return code;
}

int32_t KermitSender::sendFile() {
    int64_t modified = 0;
    uint32_t mode = 0;
    m_byteCount = 0;
    if (!openQueuedFile(m_queue, modified, mode)) {
        sendError("Cannot open file");
        closeFile(false);
        return KORLINK_E_FILE;
    }
    m_link.report(ST_OPENING, reinterpret_cast<intptr_t>(m_queue.currentName.c_str()));
    int32_t code = sendHeader();
    if (code == 0) {
        const char *name = m_queue.currentName.c_str();
        m_link.report(KST_FILE_HEADER, 0);
        m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(name));
        m_link.report(ST_FILE_LENGTH, static_cast<intptr_t>(m_queue.currentSize));
        m_link.report(ST_FILE_TIME, static_cast<intptr_t>(modified));
        code = sendData();
    }
    if (code == 0) {
        m_link.report(KST_END_OF_FILE, 0);
        code = exchange('Z', nullptr, 0);
    }
    if (code != PORT_GONE) closeFile(code == 0);
    return code;
}

// The F packet: the name without drive or directory, whole. A name that
// does not fit one packet is refused (4103 with the name) rather than cut.
int32_t KermitSender::sendHeader() {
    const std::string &path = m_queue.currentName;
    size_t cut = path.find_last_of(":\\/");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    uint8_t encoded[kermitMaxLen];
    size_t consumed = 0;
    size_t length = encodeData(sendingPrefixes(m_link.settings()),
                               reinterpret_cast<const uint8_t *>(name.data()), name.size(), encoded,
                               m_link.dataRoom(), consumed);
    if (consumed < name.size()) {
        m_link.report(KST_NAME_TOO_LONG, reinterpret_cast<intptr_t>(path.c_str()));
        return KST_NAME_TOO_LONG;
    }
    return exchange('F', encoded, length);
}

int32_t KermitSender::sendData() {
    m_link.report(ST_BYTE_COUNT, 0);
    m_link.report(KST_DATA_PHASE, 0);
    FileWindow window(m_queue);
    KermitPrefixes prefixes = sendingPrefixes(m_link.settings());
    uint8_t encoded[kermitMaxLen];
    for (;;) {
        if (!window.refill()) {
            sendError("File read error");
            return KORLINK_E_FILE;
        }
        size_t consumed = 0;
        size_t length = encodeData(prefixes, window.data(), window.available(), encoded,
                                   m_link.dataRoom(), consumed);
        if (consumed == 0) return 0;
        int32_t code = exchange('D', encoded, length);
        if (code != 0) return code;
        window.consume(consumed);
        m_byteCount += static_cast<int64_t>(consumed);
        m_link.report(ST_BYTE_COUNT, static_cast<intptr_t>(m_byteCount));
    }
}

// Sends a packet until the peer acknowledges it: 0, or the code that ends
// the send. A Y for another packet is ignored once per attempt; an N for
// the next packet means the peer already has this one.
int32_t KermitSender::exchange(char type, const uint8_t *data, size_t length) {
    int limit = m_link.settings().retryLimit;
    for (int attempt = 1; attempt <= limit; ++attempt) {
        if (attempt == 1) m_link.sendPacket(type, m_sequence, data, length);
        else m_link.resendLast();
        for (bool staleSeen = false;;) {
            int reply = m_link.readAnswer();
            if (reply < -1) return stopByWait(reply);
            int seq = m_link.sequence();
            int next = (m_sequence + 1) & 63;
            if ((reply == 'Y' && seq == m_sequence) || (reply == 'N' && seq == next)) {
                m_sequence = next;
                return 0;
            }
            if (reply == 'E') return peerError();
            if (reply == 'N') {
                m_link.report(ST_NAK_RECEIVED, attempt);
                break;
            }
            if (reply == 'Y' && !staleSeen) {
                staleSeen = true;
                continue;
            }
            m_link.report(ST_TIMEOUT, attempt);
            break;
        }
    }
    return ST_TIMEOUT;
}

int32_t KermitSender::stopByWait(int result) {
    if (result == PORT_GONE) return PORT_GONE;
    m_link.report(result, static_cast<intptr_t>(m_byteCount));
    if (result == KORLINK_E_CANCELLED) sendError("User intervention");
    return result;
}

int32_t KermitSender::peerError() {
    m_link.report(KST_ERROR_PACKET, 0);
    sendError("Transfer cancelled by the receiver");
    return ST_CANCELLED_REMOTE;
}

void KermitSender::sendError(const char *text) {
    m_link.sendPacket('E', m_sequence, reinterpret_cast<const uint8_t *>(text), std::strlen(text));
    m_link.report(KST_ERROR_PACKET, 0);
}

// 4007 carries 1 when the receiver acknowledged the end of the file.
void KermitSender::closeFile(bool confirmed) {
    releaseQueueFile(m_queue);
    m_link.report(ST_FILE_CLOSED, confirmed ? 1 : 0);
    if (!m_queue.names.empty()) m_queue.names.pop_front();
}

}  // namespace

int16_t sendKermit(Port &io, PortHandle reportHandle, SendQueue &queue) {
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
        KermitLink link(io, reportHandle, queue.callback, *settings);
        KermitSender sender(link, queue);
        int32_t code = sender.run();
        if (code == PORT_GONE) return -1;
        io.lastError = code;
        return code == 0 ? 0 : -1;
    } catch (const std::bad_alloc &) {
        io.lastError = KORLINK_E_NO_MEMORY;
        return -1;
    }
}

}  // namespace korlink
