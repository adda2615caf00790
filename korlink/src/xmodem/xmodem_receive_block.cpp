// One block of an XMODEM-family receive: its number and complement, data and
// check, a repeated block dropped, the file started from block 0 or the
// first data block, the data stored, and the block's answer.
#include "xmodem/xmodem_block_receiver.h"

#include "transfer/file_names.h"
#include "xmodem/xmodem_header.h"

#include <algorithm>

namespace korlink::xmodemreceive {

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

}  // namespace korlink::xmodemreceive
