#include "ascii/ascii_output.h"

#include "byteio/byte_common.h"

namespace korlink {

namespace {

constexpr int CR = '\r';
constexpr int LF = '\n';

}  // namespace

AsciiOutput::AsciiOutput(const TransferLink &link, const AsciiSettings &settings)
    : m_link(link), m_lineEnding(settings.lineEnding), m_lineDelayMs(settings.lineDelayMs),
      m_charDelayMs(settings.charDelayMs) {}

int AsciiOutput::put(const uint8_t *data, size_t count) {
    if (m_charDelayMs > 0 || m_lineDelayMs > 0) return putPaced(data, count);
    return putPlain(data, count);
}

// Unpaced: the translated bytes leave in one write, as fast as the line
// takes them (output flow control still holds them).
int AsciiOutput::putPlain(const uint8_t *data, size_t count) {
    if (m_lineEnding == KORLINK_EOL_UNCHANGED) return m_link.send(data, count);
    m_translated.clear();
    for (size_t i = 0; i < count; ++i) {
        LineEndingResult ending = translateLineEnding(m_lineEnding, m_previous, data[i]);
        m_previous = data[i];
        if (ending.first >= 0) m_translated.push_back(static_cast<uint8_t>(ending.first));
        if (ending.second >= 0) m_translated.push_back(static_cast<uint8_t>(ending.second));
    }
    return m_translated.empty() ? 0 : m_link.send(m_translated.data(), m_translated.size());
}

int AsciiOutput::putPaced(const uint8_t *data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        LineEndingResult ending = translateLineEnding(m_lineEnding, m_previous, data[i]);
        m_previous = data[i];
        for (int byte : {ending.first, ending.second}) {
            if (byte < 0) continue;
            if (int stop = emitPaced(byte); stop != 0) return stop;
        }
    }
    return 0;
}

// A line ends with an LF, or with a CR that no LF follows: the pause of a CR
// waits for the next byte, so a CR LF pair pauses once, after its LF.
int AsciiOutput::emitPaced(int byte) {
    if (m_crPending && byte != LF) {
        if (int stop = pauseAfterLineEnd(); stop != 0) return stop;
    }
    m_crPending = false;
    if (int stop = m_link.send(static_cast<uint8_t>(byte)); stop != 0) return stop;
    if (m_charDelayMs > 0) {
        if (int stop = m_link.pause(m_charDelayMs); stop != 0) return stop;
    }
    if (byte == LF) return pauseAfterLineEnd();
    m_crPending = byte == CR;
    return 0;
}

int AsciiOutput::pauseAfterLineEnd() {
    m_crPending = false;
    return m_lineDelayMs > 0 ? m_link.pause(m_lineDelayMs) : 0;
}

int AsciiOutput::finish() { return m_crPending ? pauseAfterLineEnd() : 0; }

int AsciiOutput::putRaw(uint8_t byte) { return m_link.send(byte); }

}  // namespace korlink
