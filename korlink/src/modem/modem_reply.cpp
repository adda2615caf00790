// The result-code table and COMMModemParseReply.
#include "modem/modem_reply.h"

#include "frame/library_state.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace korlink {

namespace {

struct ResultCode {
    const char *verbose;
    int16_t number;       // also what the modem sends, digits and CR, with verbose results off
};

// Searched in this order: longer texts come before the texts they contain
// ("NO CARRIER" before "CARRIER ...").
constexpr ResultCode kResultCodes[] = {
    {"PROTOCOL:ERROR-CONTROL/AFT\r\n", 73},
    {"PROTOCOL:ERROR-CONTROL/LAP-B/HDX\r\n", 72},
    {"PROTOCOL:ERROR-CONTROL/LAP-B\r\n", 71},
    {"PROTOCOL:NONE\r\n", 70},
    {"CARRIER 9600", 50},
    {"CARRIER 2400", 47},
    {"CARRIER 1200", 46},
    {"CARRIER 300", 40},
    {"CONNECT 38400", 24},
    {"CONNECT 14400", 15},
    {"CONNECT 19200", 14},
    {"CONNECT 9600", 12},
    {"CONNECT 4800", 11},
    {"CONNECT 2400", 10},
    {"CONNECT 600", 9},
    {"NO ANSWER", 8},
    {"BUSY", 7},
    {"NO DIAL TONE", 6},
    {"NO DIALTONE", 6},
    {"CONNECT 1200", 5},
    {"ERROR", 4},
    {"NO CARRIER", 3},
    {"RING", 2},
    {"CONNECT", 1},
    {"OK", 0},
};

constexpr const char kConnect[] = "CONNECT";

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// Whether `text` occurs in the reply as a whole: no letter or digit right
// before or after it.
bool holdsWhole(const char *reply, size_t length, const char *text) {
    size_t size = std::strlen(text);
    const char *end = reply + length;
    for (const char *at = reply; at + size <= end; ++at) {
        at = static_cast<const char *>(memmem(at, static_cast<size_t>(end - at), text, size));
        if (at == nullptr) return false;
        bool startsWhole = at == reply || !isWordChar(at[-1]) || !isWordChar(text[0]);
        bool endsWhole = at + size == end || !isWordChar(at[size]) || !isWordChar(text[size - 1]);
        if (startsWhole && endsWhole) return true;
    }
    return false;
}

bool isTableNumber(long value) {
    for (const ResultCode &row : kResultCodes)
        if (row.number == value) return true;
    return false;
}

}  // namespace

int16_t numericReply(const char *reply, size_t length) {
    const char *end = reply + length;
    const char *line = reply;
    for (const char *p = reply; p < end; ++p) {
        if (*p == '\n') {
            line = p + 1;
        } else if (*p == '\r') {
            // A run of digits that is the whole line, ended by this CR.
            size_t digits = static_cast<size_t>(p - line);
            bool number = digits > 0 && digits <= 3 &&
                          std::all_of(line, p, [](char c) { return c >= '0' && c <= '9'; });
            if (number) {
                long value = std::strtol(std::string(line, p).c_str(), nullptr, 10);
                if (isTableNumber(value)) return static_cast<int16_t>(value);
            }
            line = p + 1;
        }
    }
    return -1;
}

int16_t classifyReply(const char *reply, size_t length) {
    for (const ResultCode &row : kResultCodes)
        if (holdsWhole(reply, length, row.verbose)) return row.number;
    return numericReply(reply, length);
}

int16_t classifyReply(const char *reply) { return classifyReply(reply, std::strlen(reply)); }

int32_t connectSpeed(int16_t number) {
    for (const ResultCode &row : kResultCodes) {
        if (row.number != number || std::strncmp(row.verbose, kConnect, sizeof kConnect - 1) != 0) continue;
        const char *digits = row.verbose + sizeof kConnect - 1;
        return *digits == ' ' ? static_cast<int32_t>(std::strtol(digits + 1, nullptr, 10)) : 0;
    }
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
