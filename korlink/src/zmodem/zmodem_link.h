// The line of a ZMODEM transfer: frames out through the transfer link with
// this side's escaping, frames in through the reader, and the reports and
// error count both directions share.
#pragma once

#include "transfer/transfer_link.h"
#include "zmodem/zmodem_reader.h"
#include "zmodem/zmodem_settings.h"

#include <cstdint>
#include <vector>

namespace korlink {

// Status codes of the ZMODEM engines (the shared ones are in transfer/transfer_status.h).
enum ZmodemStatus : int32_t {
    ZST_FRAME = KORLINK_STATUS_ZMODEM_FRAME,
    ZST_RESUME = KORLINK_STATUS_RESUME_AT,
    ZST_SKIP = KORLINK_STATUS_SKIPPED,
    ZST_LONG_FILE = KORLINK_STATUS_LONG_FILE
};

// Outcomes of a transfer step besides the shared status codes: going on.
inline constexpr int32_t zmodemGoOn = 0;

class ZmodemLine : private ZmodemByteSource {
public:
    ZmodemLine(Port &io, PortHandle reportHandle, StatusCallback callback, const ZmodemSettings &settings);

    TransferLink &link() { return m_link; }
    ZmodemReader &reader() { return m_reader; }
    const ZmodemSettings &settings() const { return m_settings; }

    void setEscapeAll(bool on) { m_encoder.setEscapeAll(on); }
    void setCrc32(bool on) { m_crc32 = on; }
    bool crc32() const { return m_crc32; }

    // Bytes as they are ("rz\r", "OO").
    int sendRaw(const uint8_t *data, size_t count);
    // Header and subpacket output; the result of the port write.
    int sendHex(const ZmodemHeader &header);
    int sendBinary(const ZmodemHeader &header);
    int sendSubpacket(const uint8_t *data, size_t count, uint8_t end);
    // A ZCRCG subpacket of a stream: it joins those queued before it and
    // goes out once the next of `nextLength` bytes could not join them in
    // one write (any other output takes the queue along too). True when it
    // went out.
    bool streamSubpacket(const uint8_t *data, size_t count, size_t nextLength);
    // A binary header with one subpacket after it, in one write.
    int sendFrame(const ZmodemHeader &header, const uint8_t *data, size_t count, uint8_t end);

    // Reports every header but ZACK (110 with its type).
    int readHeader(ZmodemHeader &header);
    int readSubpacket(uint8_t *data, size_t &count) { return m_reader.readSubpacket(data, count); }

    // One more error in a row; false once the retry limit is passed. Time-outs
    // report 4016, damaged frames 4002 with `count`.
    bool countError(int readResult, intptr_t count);
    void resetErrors() { m_errors = 0; }

    // True once output stood still for a whole time-out: the line is dead.
    bool outputStuck() const { return m_outputStuck; }

    // Maps a read result that ends the transfer (peer cancel, user cancel,
    // carrier loss, port closed) to its code; 0 for one that does not.
    int32_t fatalResult(int readResult);

private:
    int next(int32_t timeoutMs) override;
    int flush();
    bool outputMoves();

    TransferLink m_link;
    const ZmodemSettings &m_settings;
    ZmodemReader m_reader;
    ZmodemEncoder m_encoder;
    std::vector<uint8_t> m_out;
    bool m_crc32 = false;
    int m_errors = 0;
    bool m_outputStuck = false;
};

}  // namespace korlink
