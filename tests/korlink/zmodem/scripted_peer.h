// What the scripted peers on the in-memory line share: the library's output
// read back as a byte source for a ZMODEM reader, and frames built with the
// library's own encoder.
#pragma once

#include "zmodem/zmodem_frame.h"
#include "zmodem/zmodem_reader.h"

#include <string>
#include <vector>

namespace zmodemscript {

// What the port wrote since the last look, for a reader to parse.
class OutgoingSource : public korlink::ZmodemByteSource {
public:
    explicit OutgoingSource(const std::string &bytes) : m_bytes(bytes) {}
    int next(int32_t) override { return m_pos < m_bytes.size() ? static_cast<uint8_t>(m_bytes[m_pos++]) : -1; }

private:
    std::string m_bytes;
    size_t m_pos = 0;
};

inline std::string text(const std::vector<uint8_t> &bytes) { return {bytes.begin(), bytes.end()}; }

inline std::string hexHeader(const korlink::ZmodemHeader &header) {
    korlink::ZmodemEncoder encoder;
    std::vector<uint8_t> out;
    encoder.hexHeader(out, header);
    return text(out);
}

// A binary header with CRC-32.
inline std::string binaryHeader(const korlink::ZmodemHeader &header) {
    korlink::ZmodemEncoder encoder;
    std::vector<uint8_t> out;
    encoder.binaryHeader(out, header, true);
    return text(out);
}

// A binary header with one subpacket after it, both with CRC-32.
inline std::string frame(const korlink::ZmodemHeader &header, const std::string &payload, uint8_t end) {
    korlink::ZmodemEncoder encoder;
    std::vector<uint8_t> out;
    encoder.binaryHeader(out, header, true);
    encoder.subpacket(out, reinterpret_cast<const uint8_t *>(payload.data()), payload.size(), end, true);
    return text(out);
}

}  // namespace zmodemscript
