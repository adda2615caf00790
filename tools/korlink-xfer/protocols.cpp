#include "protocols.h"

#include <algorithm>

namespace korlinkxfer {
namespace {

void applyXmodem(PortHandle port, const TransferSettings &settings) {
    COMMXMODEMSet(port, KORLINK_XMODEM_CREATE, 0);
    if (settings.timeoutMs) COMMXMODEMSet(port, KORLINK_XMODEM_TIMEOUT_MS, settings.timeoutMs);
    if (settings.retries) COMMXMODEMSet(port, KORLINK_XMODEM_RETRY_LIMIT, settings.retries);
    if (settings.rename) COMMXMODEMSet(port, KORLINK_XMODEM_RENAME, 1);
    if (!settings.name.empty())
        COMMXMODEMSet(port, KORLINK_XMODEM_FILE_NAME, reinterpret_cast<intptr_t>(settings.name.c_str()));
}

// The ASCII protocol keeps its own settings: the time-out is the silence
// that ends a capture, and the longest a send's output may stand still.
void applyAscii(PortHandle port, const TransferSettings &settings) {
    COMMASCIISet(port, KORLINK_ASCII_CREATE, 0);
    if (settings.timeoutMs) COMMASCIISet(port, KORLINK_ASCII_TIMEOUT_MS, settings.timeoutMs);
    if (settings.rename) COMMASCIISet(port, KORLINK_ASCII_RENAME, 1);
    if (!settings.name.empty())
        COMMASCIISet(port, KORLINK_ASCII_FILE_NAME, reinterpret_cast<intptr_t>(settings.name.c_str()));
}

// Kermit's packet waits count whole seconds (its TIME parameter).
void applyKermit(PortHandle port, const TransferSettings &settings) {
    if (settings.retries) COMMKermitSet(port, KORLINK_KERMIT_RETRY_LIMIT, settings.retries);
    if (settings.timeoutMs) {
        int seconds = (settings.timeoutMs + 999) / 1000;
        COMMKermitSet(port, KORLINK_KERMIT_ASK_TIME, seconds);
        COMMKermitSet(port, KORLINK_KERMIT_USED_TIME, seconds);
    }
    if (settings.rename) COMMKermitSet(port, KORLINK_KERMIT_RENAME, 1);
    if (!settings.name.empty())
        COMMKermitSet(port, KORLINK_KERMIT_FILE_NAME, reinterpret_cast<intptr_t>(settings.name.c_str()));
}

// ZMODEM resumes only when asked on the command line: without --resume a
// receive writes every file afresh.
void applyZmodem(PortHandle port, const TransferSettings &settings) {
    COMMZMODEMSet(port, KORLINK_ZMODEM_CREATE, 0);
    if (settings.timeoutMs) COMMZMODEMSet(port, KORLINK_ZMODEM_TIMEOUT_MS, settings.timeoutMs);
    if (settings.retries) COMMZMODEMSet(port, KORLINK_ZMODEM_RETRY_LIMIT, settings.retries);
    if (settings.rename) COMMZMODEMSet(port, KORLINK_ZMODEM_RENAME, 1);
    COMMZMODEMSet(port, KORLINK_ZMODEM_RESUME, settings.resume ? 1 : 0);
}

const Protocol kProtocols[] = {
    {KORLINK_PROTO_ASCII, "ascii", true, "ASCII: sends bytes as they are, captures until silence", applyAscii},
    {KORLINK_PROTO_KERMIT, "kermit", true, "Kermit batch: names travel along; for 7-bit and control-eating lines",
     applyKermit},
    {KORLINK_PROTO_XMODEM, "xmodem", true, "XMODEM, 128-byte blocks with a checksum", applyXmodem},
    {KORLINK_PROTO_XMODEM_CRC, "xmodem-crc", true, "XMODEM-CRC, 128-byte blocks with a CRC", applyXmodem},
    {KORLINK_PROTO_XMODEM_1K, "xmodem-1k", true, "XMODEM-1K, 1024-byte blocks with a CRC", applyXmodem},
    {KORLINK_PROTO_YMODEM, "ymodem", true, "YMODEM batch: names, lengths and times travel along", applyXmodem},
    {KORLINK_PROTO_YMODEM_G, "ymodem-g", true, "YMODEM-G: a streaming batch for error-free lines", applyXmodem},
    {KORLINK_PROTO_ZMODEM, "zmodem", true, "ZMODEM batch: streaming with error recovery; --resume", applyZmodem},
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
