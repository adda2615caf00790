#include "protocols.h"

#include <algorithm>

namespace korlinkxfer {
namespace {

void applyXmodem(PortHandle port, const TransferSettings &settings) {
    COMMXMODEMSet(port, 1, 0);
    if (settings.timeoutMs) COMMXMODEMSet(port, 203, settings.timeoutMs);
    if (settings.retries) COMMXMODEMSet(port, 207, settings.retries);
    if (settings.rename) COMMXMODEMSet(port, 112, 1);
    if (!settings.name.empty()) COMMXMODEMSet(port, 208, reinterpret_cast<intptr_t>(settings.name.c_str()));
}

// ASCII capture keeps its own settings: the time-out is the silence that
// ends the capture.
void applyAscii(PortHandle port, const TransferSettings &settings) {
    COMMASCIISet(port, 1, 0);
    if (settings.timeoutMs) COMMASCIISet(port, 203, settings.timeoutMs);
    if (settings.rename) COMMASCIISet(port, 112, 1);
    if (!settings.name.empty()) COMMASCIISet(port, 208, reinterpret_cast<intptr_t>(settings.name.c_str()));
}

// Kermit's packet waits count whole seconds (its TIME parameter).
void applyKermit(PortHandle port, const TransferSettings &settings) {
    if (settings.retries) COMMKermitSet(port, 207, settings.retries);
    if (settings.timeoutMs) {
        int seconds = (settings.timeoutMs + 999) / 1000;
        COMMKermitSet(port, 513, seconds);
        COMMKermitSet(port, 502, seconds);
    }
    if (settings.rename) COMMKermitSet(port, 112, 1);
    if (!settings.name.empty()) COMMKermitSet(port, 208, reinterpret_cast<intptr_t>(settings.name.c_str()));
}

const Protocol kProtocols[] = {
    {100, "ascii", false, "ASCII capture, receive only: raw text until the line is silent", applyAscii},
    {104, "kermit", true, "Kermit batch: names travel along; for 7-bit and control-eating lines", applyKermit},
    {105, "xmodem", true, "XMODEM, 128-byte blocks with a checksum", applyXmodem},
    {106, "xmodem-crc", true, "XMODEM-CRC, 128-byte blocks with a CRC", applyXmodem},
    {107, "xmodem-1k", true, "XMODEM-1K, 1024-byte blocks with a CRC", applyXmodem},
    {108, "ymodem", true, "YMODEM batch: names, lengths and times travel along", applyXmodem},
    {109, "ymodem-g", true, "YMODEM-G: a streaming batch for error-free lines", applyXmodem},
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
