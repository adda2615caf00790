// The receiver of one XMODEM-family receive: the wait for each block's
// header, the end of a file and of the transfer (xmodem_receive.cpp), and
// reading, checking and storing a block (xmodem_receive_block.cpp).
#pragma once

#include "transfer/receive_file.h"
#include "transfer/transfer_link.h"
#include "xmodem/xmodem_settings.h"

#include <array>
#include <cstdint>
#include <string>

namespace korlink::xmodemreceive {

// After a refused block the rest of it may still be on its way; it is
// drained until the line has been quiet this long, so that none of its
// bytes is later taken for a header (an EOT or CAN among the data would end
// the transfer).
inline constexpr int32_t purgeQuietMs = 100;

// Stray bytes while a block is awaited are read on until the line has been
// quiet this long: a start character of ours echoed by the line is then not
// answered by another at once, so a sender slow to start is not asked for
// its first block many times over.
inline constexpr int32_t strayQuietMs = 1000;

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

}  // namespace korlink::xmodemreceive
