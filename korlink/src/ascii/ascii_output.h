// The output stage of an ASCII send: a file's bytes through the record's
// line-ending mode, then onto the line with its pacing.
#pragma once

#include "ascii/ascii_settings.h"
#include "transfer/transfer_link.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korlink {

// One per file: the line-ending mode needs the byte before, and a CR sent
// last waits for the next byte to tell whether it ended a line.
class AsciiOutput {
public:
    AsciiOutput(const TransferLink &link, const AsciiSettings &settings);

    // Sends `count` file bytes, translated and paced. 0, or what stopped
    // the output: -123 cancelled, -112 carrier lost, -102 port closed by the
    // host, -1 device failure.
    int put(const uint8_t *data, size_t count);

    // Ends the file: the line pause of a CR that ended it. 0 or as put.
    int finish();

    // Sends one byte as it is, unpaced (the end character after a file).
    int putRaw(uint8_t byte);

private:
    int putPlain(const uint8_t *data, size_t count);
    int putPaced(const uint8_t *data, size_t count);
    int emitPaced(int byte);
    int pauseAfterLineEnd();

    const TransferLink &m_link;
    int16_t m_lineEnding;
    int32_t m_lineDelayMs;
    int32_t m_charDelayMs;
    int m_previous = -1;           // the file byte before, as read
    bool m_crPending = false;      // a CR went out; its line pause waits for the next byte
    std::vector<uint8_t> m_translated;
};

}  // namespace korlink
