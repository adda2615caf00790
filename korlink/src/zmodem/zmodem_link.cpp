#include "zmodem/zmodem_link.h"

#include "transfer/background.h"

#include <algorithm>
#include <poll.h>

namespace korlink {

namespace {
// The most one write gives the device: a UART's 4K queue polls writable
// once fewer than 256 bytes wait in it, so this much always finds room.
constexpr size_t outputPiece = 3840;
constexpr int32_t outputLookMs = 10;
}  // namespace

ZmodemLine::ZmodemLine(Port &io, PortHandle reportHandle, StatusCallback callback,
                       const ZmodemSettings &settings)
    : m_link(io, reportHandle, callback, settings.timeoutMs), m_settings(settings),
      m_reader(*this, settings.timeoutMs), m_encoder(settings.escapeAll) {
    m_out.reserve(2 * zmodemMaxSubpacket + 64);
}

int ZmodemLine::next(int32_t timeoutMs) { return m_link.waitByte(timeoutMs); }

// A line that takes no byte for a whole time-out is dead (the far end of a
// pty that nobody reads any more): output goes in pieces, each only once the
// device has room, so that a write never blocks for good.
int ZmodemLine::flush() {
    int result = 0;
    for (size_t done = 0; done < m_out.size() && result == 0;) {
        if (!outputMoves()) {
            result = ZM_TIMEOUT;
            m_outputStuck = true;
            break;
        }
        size_t part = std::min(m_out.size() - done, outputPiece);
        result = m_link.send(m_out.data() + done, part);
        done += part;
    }
    m_out.clear();
    return result;
}

bool ZmodemLine::outputMoves() {
    const int fd = m_link.port().fd;
    if (fd < 0 || m_link.closed()) return true;   // the in-memory line always takes bytes
    const uint32_t deadline = tickMs() + static_cast<uint32_t>(m_settings.timeoutMs);
    for (;;) {
        // Woken the moment the device has room: a sleep of fixed length
        // here would leave a fast line idle between pieces.
        pollfd entry{fd, POLLOUT, 0};
        if (poll(&entry, 1, outputLookMs) > 0) return true;
        if (static_cast<int32_t>(deadline - tickMs()) <= 0) return false;
        // A cancel meanwhile is left pending for the next wait to see.
        if (m_link.pause(0) != 0) {
            storeShared(m_link.port().cancelPending, true);
            return true;
        }
    }
}

int ZmodemLine::sendRaw(const uint8_t *data, size_t count) {
    m_out.insert(m_out.end(), data, data + count);
    return flush();
}

int ZmodemLine::sendHex(const ZmodemHeader &header) {
    m_encoder.hexHeader(m_out, header);
    return flush();
}

int ZmodemLine::sendBinary(const ZmodemHeader &header) {
    m_encoder.binaryHeader(m_out, header, m_crc32);
    return flush();
}

int ZmodemLine::sendSubpacket(const uint8_t *data, size_t count, uint8_t end) {
    m_encoder.subpacket(m_out, data, count, end, m_crc32);
    return flush();
}

bool ZmodemLine::streamSubpacket(const uint8_t *data, size_t count, size_t nextLength) {
    m_encoder.subpacket(m_out, data, count, ZCRCG, m_crc32);
    // Worst case of the next one: every byte escaped, the end and its CRC.
    const size_t nextAtMost = 2 * nextLength + 12;
    if (m_out.size() + nextAtMost <= outputPiece) return false;
    flush();   // a dead line shows in outputStuck()
    return true;
}

int ZmodemLine::sendFrame(const ZmodemHeader &header, const uint8_t *data, size_t count, uint8_t end) {
    m_encoder.binaryHeader(m_out, header, m_crc32);
    m_encoder.subpacket(m_out, data, count, end, m_crc32);
    return flush();
}

int ZmodemLine::readHeader(ZmodemHeader &header) {
    int got = m_reader.readHeader(header);
    if (got >= 0 && got != ZACK) m_link.report(ZST_FRAME, got);
    return got;
}

bool ZmodemLine::countError(int readResult, intptr_t count) {
    ++m_errors;
    if (readResult == ZM_TIMEOUT) m_link.report(ST_TIMEOUT, m_errors);
    else m_link.report(ST_BAD_CHECK, count);
    return m_errors <= m_settings.retryLimit;
}

int32_t ZmodemLine::fatalResult(int readResult) {
    if (readResult == ZM_CANCELLED) {
        m_link.report(ST_CANCELLED_REMOTE, 0);
        return ST_CANCELLED_REMOTE;
    }
    if (readResult < -100) return readResult;   // -123, -112, -102
    return 0;
}

}  // namespace korlink
