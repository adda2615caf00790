// The words every front end gives a status report or result code of the
// library, in one table: one row per code, keyed by korlink.h's names, one
// column per kind of wording. The window's transfer message log, the report
// lines korlink-xfer prints on receive and on send, and korlink-xfer's
// meaning of a result or last-error code all read their texts here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "korlink.h"

namespace korlink::common {

// Status codes the window has words for that korlink.h does not name: the
// reports of transfer families this library does not carry, kept so the
// window's message log reads as it always has.
enum : int32_t {
    kStatusEnqReceived = 3043,
    kStatusSeqNumber = 3045,
    kStatusSeqSent = 3048,
    kStatusWaitingForHost = 3049,
    kStatusByteCountB = 4010,  // further byte counts, counted like 4009
    kStatusByteCountC = 4011,
    kStatusAckReceived = 4019,
    kStatusRecoveryAt = 4021,
    kStatusCalibrating = 4022,
    kStatusTransmitDraining = 4024,
    kStatusWindowSize = 4026,
};

// What a wording does with the report's parameter.
enum class Shows {
    Unworded,  // this front end has no words for the code
    Nothing,   // the code adds no line at all
    Text,      // the text alone
    Number,    // before + the parameter in decimal + after
    Name,      // before + the file name the parameter designates, or `absent`
    Date,      // before + the parameter as a UTC date, or `absent` when <= 0
    Length,    // before + the parameter in decimal, or `absent` when < 0
    Frame,     // before + the name of the ZMODEM frame type the parameter is
};

struct Wording {
    Shows shows = Shows::Unworded;
    const char *before = "";
    const char *after = "";
    const char *absent = "";
};

struct StatusRow {
    int32_t code;
    Wording window;         // trelmlink's message log
    Wording received;       // korlink-xfer's report line while receiving
    Wording sent;           // ... while sending; Unworded: as received
    const char *meaning;    // korlink-xfer's meaning as a result; nullptr: none
    bool everyBlock;        // korlink-xfer prints it only with --verbose
};

// Rows for the parameters of KORLINK_STATUS_RECOGNISED: what was seen.
struct RecognisedRow {
    intptr_t param;
    Wording window;
    Wording received;
    Wording sent;
    bool everyBlock;
};

// The row of a status or result code; nullptr for a code without one.
const StatusRow *statusRow(int32_t code);

// The row of a KORLINK_STATUS_RECOGNISED parameter; nullptr when none.
const RecognisedRow *recognisedRow(intptr_t param);

// Every row, for tests that walk the table.
std::span<const StatusRow> statusRows();

// The wording of one side of korlink-xfer: `sent` unless it is Unworded.
const Wording &sideWording(const Wording &received, const Wording &sent, bool sending);

// The line a wording makes of a parameter: nothing for Shows::Nothing and
// for a frame type out of range, an empty text for Shows::Unworded.
std::optional<std::string> wordingText(const Wording &wording, intptr_t param);

// Seconds since 1970 as a UTC date and time, "2005-06-15 12:30:05".
std::string dateText(int64_t seconds);

}  // namespace korlink::common
