#include "protocols.h"

#include <algorithm>

namespace korlinkxfer {
namespace {

const Protocol kProtocols[] = {
    {105, "xmodem", "XMODEM, 128-byte blocks with a checksum"},
    {106, "xmodem-crc", "XMODEM-CRC, 128-byte blocks with a CRC"},
    {107, "xmodem-1k", "XMODEM-1K, 1024-byte blocks with a CRC"},
    {108, "ymodem", "YMODEM batch: names, lengths and times travel along"},
    {109, "ymodem-g", "YMODEM-G: a streaming batch for error-free lines"},
};

}  // namespace

const Protocol *findProtocol(const std::string &text) {
    for (const Protocol &protocol : kProtocols)
        if (text == protocol.name || text == std::to_string(protocol.code)) return &protocol;
    return nullptr;
}

std::string protocolHelp() {
    std::string text;
    for (const Protocol &protocol : kProtocols) {
        std::string left = "  " + std::to_string(protocol.code) + " or " + protocol.name;
        left.resize(std::max<size_t>(left.size() + 1, 22), ' ');
        text += left + protocol.summary + "\n";
    }
    return text;
}

std::string protocolChoices() {
    std::string text;
    for (const Protocol &protocol : kProtocols) {
        if (!text.empty()) text += ", ";
        text += std::to_string(protocol.code) + "/" + protocol.name;
    }
    return text;
}

}  // namespace korlinkxfer
