#include "status_text.h"

namespace korlinkxfer {
namespace {

std::string number(intptr_t value) { return std::to_string(static_cast<long long>(value)); }

std::string nameOf(intptr_t param) {
    return param ? reinterpret_cast<const char *>(param) : "(none)";
}

std::string controlText(intptr_t param, bool sending) {
    switch (param) {
    case 1: return "Block header SOH (128-byte block)";
    case 2: return "Block header STX (1024-byte block)";
    case 4: return sending ? "End of file acknowledged" : "End of file (EOT) received";
    case 24: return "Cancel (CAN) received";
    case 105: return "Protocol: XMODEM with checksum";
    case 106: return "Protocol: XMODEM-CRC";
    case 107: return sending ? "Receiver asks for 1K blocks" : "Protocol: XMODEM-1K";
    case 108: return "Batch header block received";
    case 109: return "Receiver asks for YMODEM-G streaming";
    case 500: return "Receiver asks for the checksum (NAK)";
    case 501: return "Receiver asks for CRC ('C')";
    case 4018: return "Receiver cancelled before the start";
    default: return "Control event " + number(param);
    }
}

}  // namespace

bool isPerBlockReport(int32_t status, intptr_t param) {
    return status == 4009 || status == 4017 || status == 4023 || (status == 105 && (param == 1 || param == 2));
}

std::string describeStatus(int32_t status, intptr_t param, bool sending) {
    switch (status) {
    case 105: return controlText(param, sending);
    case 4001: return "Bad block number at byte " + number(param);
    case 4002: return "Check value (CRC/checksum) error at byte " + number(param);
    case 4003: return "I/O error writing to disk (" + number(param) + ")";
    case 4006: return "File time: " + number(param);
    case 4007: return "File closed";
    case 4008: return "File name: " + nameOf(param);
    case 4009: return "Bytes transferred: " + number(param);
    case 4012: return "Renamed incoming file to " + nameOf(param);
    case 4013: return param < 0 ? std::string("File length: not announced")
                                : "File length: " + number(param);
    case 4014: return (sending ? "Sending " : "Writing ") + nameOf(param);
    case 4015: return "Unexpected byte " + number(param) + " while waiting for a block";
    case 4016: return (sending ? "No answer, attempt " : "Time-out, retry ") + number(param);
    case 4018: return "Remote cancelled";
    case 4020: return "NAK received, sending again";
    case 4023: return "ACK sent at byte " + number(param);
    case 4025: return "NAK sent at byte " + number(param);
    case 4027: return "End of transfer";
    case 4028: return "Files queued: " + number(param);
    case -112: return "Carrier lost at byte " + number(param);
    case -123: return "Cancelled at byte " + number(param);
    default: return "Status " + number(status) + " (" + number(param) + ")";
    }
}

}  // namespace korlinkxfer
