#include "zmodem/zmodem_link.h"

namespace korlink {

ZmodemLine::ZmodemLine(Port &io, PortHandle reportHandle, StatusCallback callback,
                       const ZmodemSettings &settings)
    : m_link(io, reportHandle, callback, settings.timeoutMs), m_settings(settings),
      m_reader(*this, settings.timeoutMs), m_encoder(settings.escapeAll) {
    m_out.reserve(2 * zmodemMaxSubpacket + 64);
}

int ZmodemLine::next(int32_t timeoutMs) { return m_link.waitByte(timeoutMs); }

int ZmodemLine::flush() {
    int result = m_link.send(m_out.data(), m_out.size());
    m_out.clear();
    return result;
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
