#include "xmodem/xmodem_receive.h"

#include "transfer/file_names.h"
#include "xmodem/xmodem_header.h"
#include "transfer/line_setup.h"
#include "transfer/transfer_link.h"
#include "transfer/receive_file.h"
#include "xmodem/xmodem_settings.h"

#include <algorithm>
#include <array>
#include <new>

namespace korlink {
namespace {

// After a refused block the rest of it may still be on its way; it is
// drained until the line has been quiet this long, so that none of its
// bytes is later taken for a header (an EOT or CAN among the data would end
// the transfer).
constexpr int32_t purgeQuietMs = 100;

// Stray bytes while a block is awaited are read on until the line has been
// quiet this long: a start character of ours echoed by the line is then not
// answered by another at once, so a sender slow to start is not asked for
// its first block many times over.
constexpr int32_t strayQuietMs = 1000;

class BlockReceiver {
public:
    BlockReceiver(TransferLink &link, XmodemSettings &settings, ReceiveFile &file, int16_t protocol)
        : m_link(link), m_settings(settings), m_file(file), m_protocol(protocol),
          m_crc(protocol != KORLINK_PROTO_XMODEM),
          m_startChar(protocol == KORLINK_PROTO_XMODEM     ? uint8_t{NAK}
                      : protocol == KORLINK_PROTO_YMODEM_G ? uint8_t{'G'}
                                                           : uint8_t{'C'}) {}

    int32_t run();

private:
    bool awaitHeader();
    void startBlock(int header);
    int skipStrayBytes();
    bool countHeaderEvent();
    static bool isHeaderControl(int byte);
    void handleEot();
    bool endsShort();
    void endByWait(int result);
    void readBlock();
    bool readByte(int &byte);
    bool checkComplement(int complement) const;
    bool readData();
    void dropRepeatedBlock();
    void startFile();
    bool storeData();
    void acknowledge();
    void refuse(int32_t status, intptr_t param);
    void sendNak();
    int purgeInput() const;
    int32_t protocolSeen() const;

    TransferLink &m_link;
    XmodemSettings &m_settings;
    ReceiveFile &m_file;
    int16_t m_protocol;
    bool m_crc;                  // check function: CRC-16, else the 8-bit sum
    uint8_t m_startChar;         // what asks the sender for the first blocks

    uint32_t m_expected = 0;     // expected block number n
    int m_retries = 0;           // r
    bool m_batch = false;
    int64_t m_announced = -1;    // announced length, -1 unknown
    int64_t m_byteCount = 0;
    int32_t m_done = 0;
    bool m_cancelSent = false;
    size_t m_blockSize = 128;
    std::string m_name;
    std::array<uint8_t, 1024> m_block{};
};

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

// Reads one byte inside a block; false when the block cannot go on (a
// time-out refuses it, a cancel or carrier loss ends the transfer).
bool BlockReceiver::readByte(int &byte) {
    byte = m_link.waitByte();
    if (byte >= 0) return true;
    if (byte == -1) refuse(ST_TIMEOUT, m_retries);
    else endByWait(byte);
    return false;
}

void BlockReceiver::readBlock() {
    int number = 0;
    if (!readByte(number)) return;
    if (m_expected == 0 && number == 0) {
        m_batch = true;
        m_link.report(ST_CONTROL, 108);
    } else if (m_expected == 0 && number == 1) {
        m_link.report(ST_CONTROL, protocolSeen());
        m_expected = 1;
    } else if (m_expected > 0 && static_cast<uint32_t>(number) == ((m_expected - 1) & 0xFF)) {
        dropRepeatedBlock();
        return;
    } else if (static_cast<uint32_t>(number) != (m_expected & 0xFF)) {
        refuse(ST_BAD_NUMBER, static_cast<intptr_t>(m_byteCount));
        return;
    }
    int complement = 0;
    if (!readByte(complement)) return;
    if (!checkComplement(complement)) {
        refuse(ST_BAD_NUMBER, static_cast<intptr_t>(m_byteCount));
        return;
    }
    if (!readData()) return;
    bool firstOfFile = m_batch ? m_expected == 0 : m_expected == 1;
    if (firstOfFile) {
        startFile();
        if (m_done != 0) return;
    }
    if (m_expected >= 1 && !storeData()) return;
    acknowledge();
}

bool BlockReceiver::checkComplement(int complement) const {
    if (m_batch && m_expected == 0) return complement == 255;
    if (!m_batch) return complement == static_cast<int>(~m_expected & 0xFF);
    return true;
}

// Data bytes and their check value.
bool BlockReceiver::readData() {
    for (size_t i = 0; i < m_blockSize; ++i) {
        int byte = 0;
        if (!readByte(byte)) return false;
        m_block[i] = static_cast<uint8_t>(byte);
    }
    uint16_t check = blockCheck(m_block.data(), m_blockSize, m_crc);
    int high = 0;
    if (!readByte(high)) return false;
    bool good;
    if (m_crc) {
        int low = 0;
        if (!readByte(low)) return false;
        good = ((high << 8) | low) == check;
    } else {
        good = high == (check & 0xFF);
    }
    if (!good) refuse(ST_BAD_CHECK, static_cast<intptr_t>(m_byteCount));
    return good;
}

// The sender did not see our acknowledgement and sent the last block again:
// drop all of it (complement, data, check) and acknowledge it once more.
void BlockReceiver::dropRepeatedBlock() {
    size_t rest = 1 + m_blockSize + (m_crc ? 2 : 1);
    for (size_t i = 0; i < rest; ++i) {
        int byte = m_link.waitByte();
        if (byte == -1) break;
        if (byte < -1) { endByWait(byte); return; }
    }
    m_link.report(ST_ACK_SENT, static_cast<intptr_t>(m_byteCount));
    m_link.send(ACK);
}

void BlockReceiver::startFile() {
    m_byteCount = 0;
    m_name = m_settings.fileName;
    bool nameChanged = false;
    if (m_batch) {
        BatchHeader header = parseBatchHeader(m_block.data(), m_blockSize);
        // A name the folder cannot take ("..", "sub/", control bytes, too
        // long) still names a file: it is stored under a generated or
        // shortened name, never dropped or refused.
        if (!m_settings.hasFlag(XMODEM_FLAG_NAME_FIXED))
            m_name = header.endsBatch ? std::string() : storedFileName(header.name, nameChanged);
        m_announced = header.length;
        m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(m_name.c_str()));
        m_link.report(ST_FILE_LENGTH, static_cast<intptr_t>(m_announced));
        m_link.report(ST_FILE_TIME, static_cast<intptr_t>(header.modified));
        if (header.endsBatch) {
            m_link.send(ACK);
            m_done = ST_ACK_SENT;
            return;
        }
    }
    m_link.report(ST_OPENING, reinterpret_cast<intptr_t>(m_name.c_str()));
    if (m_batch && m_announced >= 0 &&
        (m_announced > maxAnnouncedLength || !enoughFreeSpace(m_announced))) {
        m_link.report(ST_DISK, 0);
        m_done = ST_DISK;
        return;
    }
    if (m_settings.hasFlag(XMODEM_FLAG_RENAME) || nameChanged) {
        applyRenameRule(m_name);  // all ten taken: the name ending in 9 is used
        m_link.report(ST_RENAMED, reinterpret_cast<intptr_t>(m_name.c_str()));
        m_link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(m_name.c_str()));
    }
    if (!m_file.open(m_name)) {
        m_link.report(ST_DISK, 0);
        m_done = ST_DISK;
    }
}

// Appends the block's data: all of it in plain mode (the sender's padding
// included), in batch mode only up to the announced length when one was given.
bool BlockReceiver::storeData() {
    size_t count = m_blockSize;
    if (m_batch && m_announced >= 0)
        count = static_cast<size_t>(std::clamp<int64_t>(m_announced - m_byteCount, 0, count));
    if (count == 0) return true;
    if (!m_file.append(m_block.data(), count)) {
        // Data that did not reach the disk must not end in a reported success.
        m_link.report(ST_DISK, 0);
        m_done = ST_DISK;
        return false;
    }
    m_byteCount += static_cast<int64_t>(count);
    return true;
}

void BlockReceiver::acknowledge() {
    if (m_protocol != KORLINK_PROTO_YMODEM_G) {
        m_link.report(ST_ACK_SENT, static_cast<intptr_t>(m_byteCount));
        m_link.send(ACK);
    }
    m_link.report(ST_BYTE_COUNT, static_cast<intptr_t>(m_byteCount));
    m_retries = 0;
    ++m_expected;
}

void BlockReceiver::refuse(int32_t status, intptr_t param) {
    m_link.report(status, param);
    sendNak();
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

}  // namespace

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
        BlockReceiver receiver(link, *settings, file, protocol);
        int32_t done = receiver.run();
        io.lastError = done == ST_ACK_SENT ? 0 : done;
        return done;
    } catch (const std::bad_alloc &) {
        return io.lastError = KORLINK_E_NO_MEMORY;
    }
}

}  // namespace korlink
