#include "retrieval/transfer_status.h"

#include <array>
#include <cstring>
#include <map>

namespace trelm::retrieval {

namespace {

thread_local TransferLog *t_active = nullptr;

constexpr std::array<const char *, 20> kZmodemFrames = {
    "ZRQINIT", "ZRINIT", "ZSINIT", "ZACK", "ZFILE",  "ZSKIP", "ZNAK",       "ZABORT",  "ZFIN", "ZRPOS",
    "ZDATA",   "ZEOF",   "ZFERR",  "ZCRC", "ZCHALLENGE", "ZCOMPL", "ZCAN", "ZFREECNT", "ZCMD", "ZSTDERR"};

// Messages that are the same text whatever the parameter.
const std::map<std::int32_t, const char *> &fixedMessages() {
    static const std::map<std::int32_t, const char *> table = {
        {0, "File Transfer Successful"},
        {3043, "ENQ Received"},
        {3048, "SEQ Packet Sent"},
        {3049, "Waiting for Host"},
        {4001, "Bad Packet Number"},
        {4002, "CRC Error"},
        {4003, "I/O Error Writing to Disk"},
        {4015, "Unrecognized Character Received"},
        {4018, "Remote Cancelled"},
        {4019, "ACK Packet Received"},
        {4020, "NAK Packet Received"},
        {4023, "ACK Packet Sent"},
        {4024, "Waiting for Transmit Buffer to Empty"},
        {4025, "NAK Packet Sent"},
        {4027, "End of Transfer of This File"},
        {-123, "User cancelled"},
    };
    return table;
}

// Messages that carry the parameter in decimal: text before and after it.
const std::map<std::int32_t, std::pair<const char *, const char *>> &numberMessages() {
    static const std::map<std::int32_t, std::pair<const char *, const char *>> table = {
        {3045, {"Received SEQ number ", ""}},
        {4004, {"Attempting Download Resume at ", " bytes"}},
        {4016, {"Remote did not Start. Attempt ", ""}},
        {4021, {"File Recovery at ", " bytes"}},
        {4022, {"At ", " bytes. Calibrating..."}},
        {4026, {"Window Size ", ""}},
        {-112, {"Connection lost at ", " bytes"}},
    };
    return table;
}

// Kermit packet types by status code 4096 + n.
constexpr std::array<const char *, 7> kPacketTypes = {"ABORT", "BREAK", "DATA", "ERROR",
                                                      "FILE HEADER", "SEND-INIT", "END-OF-FILE"};

// A file name the library designates by address; empty for a null one. The
// name is read up to its NUL, at most 260 characters.
std::string designatedName(std::intptr_t param) {
    const char *name = reinterpret_cast<const char *>(param);
    return name ? std::string(name, strnlen(name, 260)) : std::string();
}

} // namespace

std::optional<std::string> statusMessage(std::int32_t status, std::intptr_t param) {
    const std::string number = std::to_string(param);
    switch (status) {
    case 4006: case 4008: case 4009: case 4010: case 4011: case 4013:
        return std::nullopt;
    case 105:
        return param == 4 ? "Final ACK Received" : "";
    case 110:
        if (param < 0 || param >= static_cast<std::intptr_t>(kZmodemFrames.size()))
            return std::nullopt;
        return std::string("Received ") + kZmodemFrames[static_cast<std::size_t>(param)];
    case 4012:
        return "Renamed incoming file to " + designatedName(param);
    default:
        break;
    }
    if (const auto fixed = fixedMessages().find(status); fixed != fixedMessages().end())
        return fixed->second;
    if (const auto withNumber = numberMessages().find(status); withNumber != numberMessages().end())
        return withNumber->second.first + number + withNumber->second.second;
    if (status >= 4096 && status < 4096 + static_cast<std::int32_t>(kPacketTypes.size()))
        return "Packet " + number + " type: " + kPacketTypes[static_cast<std::size_t>(status - 4096)];
    return "";
}

std::string traceLine(PortHandle port, std::int32_t status, std::intptr_t param) {
    // The handle in decimal, as the dialog has always shown it.
    return "X_Status: hP=" + std::to_string(reinterpret_cast<std::intptr_t>(port)) +
           " nStatus=" + std::to_string(status) + " dwParm=" + std::to_string(param);
}

int X_Status(PortHandle hPort, std::int32_t nStatus, std::intptr_t dwparam) {
    if (t_active)
        t_active->report(hPort, nStatus, dwparam);
    return 0;
}

TransferLog::TransferLog(RetrievalUi &ui) : m_ui(ui), m_outer(t_active) { t_active = this; }

TransferLog::~TransferLog() { t_active = m_outer; }

void TransferLog::report(PortHandle port, std::int32_t status, std::intptr_t param) {
    m_ui.appendMessageLog(traceLine(port, status, param));
    if (status == 4009 || status == 4010 || status == 4011) {
        m_bytes = param;
        m_ui.setBytesTransferred(param);
        return;
    }
    if (status == 4013)
        m_announcedLength = param;
    if (const std::optional<std::string> message = statusMessage(status, param))
        m_ui.appendMessageLog(*message);
}

} // namespace trelm::retrieval
