// The result-code table and COMMModemParseReply.
#include "modem/modem_reply.h"

#include "frame/library_state.h"

#include <cstring>

namespace korlink {

namespace {

struct ResultCode {
    const char *verbose;
    const char *numeric;  // what the modem sends with verbose results off
    int16_t number;
};

// Searched in this order: longer texts come before the texts they contain
// ("CONNECT 9600" before "CONNECT", "NO CARRIER" before "CARRIER ...").
constexpr ResultCode kResultCodes[] = {
    {"PROTOCOL:ERROR-CONTROL/AFT\r\n", "73\r", 73},
    {"PROTOCOL:ERROR-CONTROL/LAP-B/HDX\r\n", "72\r", 72},
    {"PROTOCOL:ERROR-CONTROL/LAP-B\r\n", "71\r", 71},
    {"PROTOCOL:NONE\r\n", "70\r", 70},
    {"CARRIER 9600", "50\r", 50},
    {"CARRIER 2400", "47\r", 47},
    {"CARRIER 1200", "46\r", 46},
    {"CARRIER 300", "40\r", 40},
    {"CONNECT 38400", "24\r", 24},
    {"CONNECT 14400", "15\r", 15},
    {"CONNECT 19200", "14\r", 14},
    {"CONNECT 9600", "12\r", 12},
    {"CONNECT 4800", "11\r", 11},
    {"CONNECT 2400", "10\r", 10},
    {"CONNECT 600", "9\r", 9},
    {"NO ANSWER", "8\r", 8},
    {"BUSY", "7\r", 7},
    {"NO DIAL TONE", "6\r", 6},
    {"NO DIALTONE", "6\r", 6},
    {"CONNECT 1200", "5\r", 5},
    {"ERROR", "4\r", 4},
    {"NO CARRIER", "3\r", 3},
    {"RING", "2\r", 2},
    {"CONNECT", "1\r", 1},
    {"OK", "0\r", 0},
};

}  // namespace

int16_t classifyReply(const char *reply) {
    for (const ResultCode &row : kResultCodes)
        if (std::strstr(reply, row.verbose) != nullptr) return row.number;
    for (const ResultCode &row : kResultCodes)
        if (std::strstr(reply, row.numeric) != nullptr) return row.number;
    return -1;
}

}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t COMMModemParseReply(const char *text) {
    if (text == nullptr)
        return reportArgError(KORLINK_E_NULL_PORT, "COMMModemParseReply()", "ERROR: BADPARM0. Parameter is NULL");
    return classifyReply(text);
}

}  // extern "C"
