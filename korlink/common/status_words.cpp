#include "common/status_words.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>

namespace korlink::common {

namespace {

constexpr Wording text(const char *words) { return {Shows::Text, words}; }
constexpr Wording number(const char *before, const char *after = "") { return {Shows::Number, before, after}; }
constexpr Wording name(const char *before, const char *absent) { return {Shows::Name, before, "", absent}; }
constexpr Wording date(const char *before, const char *absent) { return {Shows::Date, before, "", absent}; }
constexpr Wording length(const char *before, const char *absent) { return {Shows::Length, before, "", absent}; }
constexpr Wording frame(const char *before) { return {Shows::Frame, before}; }
constexpr Wording kNoLine{Shows::Nothing};
constexpr Wording kUnworded{};

// korlink-xfer names a missing file name so; the window leaves it empty.
constexpr const char *kNoName = "(none)";

// Control bytes a receive reports as recognised.
constexpr intptr_t kSoh = 0x01;
constexpr intptr_t kStx = 0x02;
constexpr intptr_t kEot = 0x04;
constexpr intptr_t kCan = 0x18;

// Columns: code, window, received, sent, meaning, every block.
const std::array kStatusRows = {
    StatusRow{KORLINK_OK, text("File Transfer Successful"), kUnworded, kUnworded, "success", false},
    StatusRow{KORLINK_E_TIMEOUT, kUnworded, kUnworded, kUnworded, "failed", false},
    StatusRow{KORLINK_E_NULL_PORT, kUnworded, kUnworded, kUnworded, "no such port", false},
    StatusRow{KORLINK_E_BAD_ARG2, kUnworded, kUnworded, kUnworded, "bad argument", false},
    StatusRow{KORLINK_E_BAD_ARG3, kUnworded, kUnworded, kUnworded, "bad argument", false},
    StatusRow{KORLINK_E_REGISTERED, kUnworded, kUnworded, kUnworded, "port already open", false},
    StatusRow{KORLINK_E_CARRIER_LOST, number("Connection lost at ", " bytes"), number("Carrier lost at byte "),
              kUnworded, "carrier lost", false},
    StatusRow{KORLINK_E_FILE, kUnworded, kUnworded, kUnworded, "file cannot be opened", false},
    StatusRow{KORLINK_E_DEVICE, kUnworded, kUnworded, kUnworded, "device cannot be opened", false},
    StatusRow{KORLINK_E_NO_MEMORY, kUnworded, kUnworded, kUnworded, "out of memory", false},
    StatusRow{KORLINK_E_LOCKED, kUnworded, kUnworded, kUnworded, "port busy with a background transfer", false},
    StatusRow{KORLINK_E_CANCELLED, text("User cancelled"), number("Cancelled at byte "), kUnworded, "cancelled",
              false},
    StatusRow{KORLINK_STATUS_ZMODEM_FRAME, frame("Received "), frame("Frame received: "), kUnworded, nullptr, false},
    StatusRow{kStatusEnqReceived, text("ENQ Received"), kUnworded, kUnworded, nullptr, false},
    StatusRow{kStatusSeqNumber, number("Received SEQ number "), kUnworded, kUnworded, nullptr, false},
    StatusRow{kStatusSeqSent, text("SEQ Packet Sent"), kUnworded, kUnworded, nullptr, false},
    StatusRow{kStatusWaitingForHost, text("Waiting for Host"), kUnworded, kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_BAD_BLOCK_NUMBER, text("Bad Packet Number"), number("Bad block number at byte "),
              kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_BAD_CHECK, text("CRC Error"), number("Check value (CRC/checksum) error at byte "),
              kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_FILE_FAILED, text("I/O Error Writing to Disk"), number("I/O error writing to disk (", ")"),
              kUnworded, "disk full, or the file cannot be created or written", false},
    StatusRow{KORLINK_STATUS_RESUME_AT, number("Attempting Download Resume at ", " bytes"),
              number("Resuming at byte "), number("Resuming at byte "), nullptr,
              false},
    StatusRow{KORLINK_STATUS_FILE_TIME, kNoLine, date("File time: ", "not given"), kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_FILE_CLOSED, kUnworded, text("File closed"), kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_FILE_NAME, kNoLine, name("File name: ", kNoName), kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_BYTE_COUNT, kNoLine, number("Bytes transferred: "), kUnworded, nullptr, true},
    StatusRow{kStatusByteCountB, kNoLine, kUnworded, kUnworded, nullptr, false},
    StatusRow{kStatusByteCountC, kNoLine, kUnworded, kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_RENAMED, name("Renamed incoming file to ", ""), name("Renamed incoming file to ", kNoName),
              kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_FILE_LENGTH, kNoLine, length("File length: ", "not announced"), kUnworded, nullptr,
              false},
    StatusRow{KORLINK_STATUS_FILE_OPENING, kUnworded, name("Writing ", kNoName), name("Sending ", kNoName), nullptr,
              false},
    StatusRow{KORLINK_STATUS_UNEXPECTED_BYTE, text("Unrecognized Character Received"),
              number("Unexpected byte ", " while waiting for a block"), kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_TIMEOUT, number("Remote did not Start. Attempt "), number("Time-out, retry "),
              number("No answer, attempt "), "no answer from the other side", false},
    StatusRow{KORLINK_STATUS_DATA_ROOM, kUnworded, number("Unused packet room so far: "), kUnworded, nullptr, true},
    StatusRow{KORLINK_STATUS_REMOTE_CANCEL, text("Remote Cancelled"), text("Remote cancelled"), kUnworded,
              "cancelled by the other side", false},
    StatusRow{kStatusAckReceived, text("ACK Packet Received"), kUnworded, kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_NAK_RECEIVED, text("NAK Packet Received"), text("NAK received, sending again"),
              kUnworded, nullptr, false},
    StatusRow{kStatusRecoveryAt, number("File Recovery at ", " bytes"), kUnworded, kUnworded, nullptr, false},
    StatusRow{kStatusCalibrating, number("At ", " bytes. Calibrating..."), kUnworded, kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_ACK_SENT, text("ACK Packet Sent"), number("ACK sent at byte "), kUnworded, nullptr,
              true},
    StatusRow{kStatusTransmitDraining, text("Waiting for Transmit Buffer to Empty"), kUnworded, kUnworded, nullptr,
              false},
    StatusRow{KORLINK_STATUS_NAK_SENT, text("NAK Packet Sent"), number("NAK sent at byte "), kUnworded, nullptr,
              false},
    StatusRow{kStatusWindowSize, number("Window Size "), kUnworded, kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_TRANSFER_END, text("End of Transfer of This File"), text("End of transfer"), kUnworded,
              nullptr, false},
    StatusRow{KORLINK_STATUS_SEND_START, kUnworded, number("Files queued: "), kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_SHORT_FILE, number("File Shorter than Announced at ", " bytes"),
              number("File ended before its announced length at byte "), kUnworded,
              "file shorter than its announced length", false},
    StatusRow{KORLINK_STATUS_END_UNCONFIRMED, text("End of File not Confirmed"),
              number("End not confirmed by the receiver after byte "), kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_LONG_FILE, number("File Longer than Announced; Kept ", " bytes"),
              number("More data than announced; kept the announced ", " bytes"), kUnworded,
              "the sender sent more than the length it announced", false},
    StatusRow{KORLINK_STATUS_SKIPPED, name("File Skipped: ", ""), name("Skipped: ", kNoName),
              name("Skipped by the receiver: ", kNoName), nullptr, false},
    StatusRow{KORLINK_STATUS_KERMIT_ABORT, number("Packet ", " type: ABORT"), text("Abort packet received"),
              kUnworded, "aborted by the other side", false},
    StatusRow{KORLINK_STATUS_KERMIT_BREAK, number("Packet ", " type: BREAK"), text("End of batch"), kUnworded,
              nullptr, false},
    StatusRow{KORLINK_STATUS_KERMIT_DATA, number("Packet ", " type: DATA"), kUnworded, text("Data phase begins"),
              nullptr, false},
    StatusRow{KORLINK_STATUS_KERMIT_ERROR, number("Packet ", " type: ERROR"), text("Error packet exchanged"),
              kUnworded, nullptr, false},
    StatusRow{KORLINK_STATUS_KERMIT_FILE, number("Packet ", " type: FILE HEADER"), number("File header, packet "),
              text("File header acknowledged"), nullptr, false},
    StatusRow{KORLINK_STATUS_KERMIT_SEND_INIT, number("Packet ", " type: SEND-INIT"),
              number("Send-Init received, packet "), text("Send-Init sent"), nullptr, false},
    StatusRow{KORLINK_STATUS_KERMIT_EOF, number("Packet ", " type: END-OF-FILE"), kUnworded,
              text("End of file sent"), nullptr, false},
    StatusRow{KORLINK_STATUS_KERMIT_NAME_TOO_LONG, name("File name too long for a packet, left out: ", ""),
              kUnworded, name("File name too long for a packet, left out: ", kNoName),
              "a file name too long for a Kermit packet (that file was left out)", false},
    StatusRow{KORLINK_STATUS_KERMIT_ONE_FILE_ONLY, name("Second file refused; one name only: ", ""),
              name("Second file refused; every file would be stored as ", kNoName), kUnworded,
              "the other side sent more than one file, and one name was given for all", false},
};

// Columns: parameter, window, received, sent, every block.
const std::array kRecognisedRows = {
    RecognisedRow{kSoh, kUnworded, text("Block header SOH (128-byte block)"), kUnworded, true},
    RecognisedRow{kStx, kUnworded, text("Block header STX (1024-byte block)"), kUnworded, true},
    RecognisedRow{kEot, text("Final ACK Received"), text("End of file (EOT) received"),
                  text("End of file acknowledged"), false},
    RecognisedRow{kCan, kUnworded, text("Cancel (CAN) received"), kUnworded, false},
    RecognisedRow{KORLINK_PROTO_XMODEM, kUnworded, text("Protocol: XMODEM with checksum"), kUnworded, false},
    RecognisedRow{KORLINK_PROTO_XMODEM_CRC, kUnworded, text("Protocol: XMODEM-CRC"), kUnworded, false},
    RecognisedRow{KORLINK_PROTO_XMODEM_1K, kUnworded, text("Protocol: XMODEM-1K"), text("Sending 1K blocks"), false},
    RecognisedRow{KORLINK_START_BATCH_HEADER, kUnworded, text("Batch header block received"), kUnworded, false},
    RecognisedRow{KORLINK_PROTO_YMODEM_G, kUnworded, text("Receiver asks for YMODEM-G streaming"), kUnworded, false},
    RecognisedRow{KORLINK_START_CHECKSUM, kUnworded, text("Receiver asks for the checksum (NAK)"), kUnworded, false},
    RecognisedRow{KORLINK_START_CRC, kUnworded, text("Receiver asks for CRC ('C')"), kUnworded, false},
    RecognisedRow{KORLINK_STATUS_REMOTE_CANCEL, kUnworded, text("Receiver cancelled before the start"), kUnworded,
                  false},
};

constexpr std::array<const char *, 20> kZmodemFrames = {
    "ZRQINIT", "ZRINIT", "ZSINIT", "ZACK", "ZFILE",  "ZSKIP", "ZNAK",       "ZABORT",  "ZFIN", "ZRPOS",
    "ZDATA",   "ZEOF",   "ZFERR",  "ZCRC", "ZCHALLENGE", "ZCOMPL", "ZCAN", "ZFREECNT", "ZCMD", "ZSTDERR"};

// A file name the library designates by address, read up to its NUL and at
// most this long: longer than any file name the library passes on.
constexpr std::size_t kNameLimit = 260;

std::string decimal(intptr_t value) { return std::to_string(static_cast<long long>(value)); }

}  // namespace

const StatusRow *statusRow(int32_t code) {
    const auto row = std::find_if(kStatusRows.begin(), kStatusRows.end(),
                                  [code](const StatusRow &candidate) { return candidate.code == code; });
    return row == kStatusRows.end() ? nullptr : &*row;
}

const RecognisedRow *recognisedRow(intptr_t param) {
    const auto row = std::find_if(kRecognisedRows.begin(), kRecognisedRows.end(),
                                  [param](const RecognisedRow &candidate) { return candidate.param == param; });
    return row == kRecognisedRows.end() ? nullptr : &*row;
}

std::span<const StatusRow> statusRows() { return kStatusRows; }

const Wording &sideWording(const Wording &received, const Wording &sent, bool sending) {
    return sending && sent.shows != Shows::Unworded ? sent : received;
}

std::string dateText(int64_t seconds) {
    // The batch header carries the sender's clock reading: shown as it is.
    time_t value = static_cast<time_t>(seconds);
    struct tm parts {};
    char text[32];
    if (!gmtime_r(&value, &parts) || !std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts))
        return decimal(static_cast<intptr_t>(seconds));
    return text;
}

std::optional<std::string> wordingText(const Wording &wording, intptr_t param) {
    const std::string before = wording.before;
    switch (wording.shows) {
    case Shows::Unworded: return std::string();
    case Shows::Nothing: return std::nullopt;
    case Shows::Text: return before;
    case Shows::Number: return before + decimal(param) + wording.after;
    case Shows::Name: {
        const char *designated = reinterpret_cast<const char *>(param);
        return before + (designated ? std::string(designated, strnlen(designated, kNameLimit)) : wording.absent);
    }
    case Shows::Date: return before + (param > 0 ? dateText(param) : std::string(wording.absent));
    case Shows::Length: return before + (param < 0 ? std::string(wording.absent) : decimal(param));
    case Shows::Frame:
        if (param < 0 || param >= static_cast<intptr_t>(kZmodemFrames.size())) return std::nullopt;
        return before + kZmodemFrames[static_cast<std::size_t>(param)];
    }
    return std::string();
}

}  // namespace korlink::common
