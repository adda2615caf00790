// Sampler time stamps (signed seconds since 1970-01-01 00:00:00, sampler local
// time) broken into calendar fields by the program's own calendar, and the
// text forms shown in grids, exports, reports and file names.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace trelm {

struct BrokenDownTime {
    std::int16_t second = 0;
    std::int16_t minute = 0;
    std::int16_t hour = 0;
    std::int16_t day = 1;       // 1..31
    std::int16_t month = 0;     // 0..11
    std::int16_t year = 70;     // years since 1900
    std::int16_t weekday = 4;   // 0 = Sunday
    std::int16_t dayOfYear = 0; // 0..365
};

// Negative stamps count as 0. Every fourth year from 1972 is a leap year,
// with no century rule: that is the sampler's calendar up to 2038.
BrokenDownTime BreakDownTime(std::int32_t t);
// The same with every moment of 1970 (and every negative stamp) in 2000,
// as the text forms below show them.
BrokenDownTime BreakDownForDisplay(std::int32_t t);

// MM/DD/YY hh:mm:ss; any moment of 1970 shows as year 00 (2000).
std::string FormatDateTimeShort(std::int32_t t);
// YYYY/MM/DD hh:mm:ss with the same 1970 substitution; used for file names.
std::string FormatDateTimeForName(std::int32_t t);
// hh:mm:ss
std::string FormatTimeOfDay(std::int32_t t);
// A duration in seconds as hh:mm:ss, hours unbounded (100:00:00).
std::string FormatElapsed(std::int32_t seconds);

// The date part of a FormatDateTimeShort text in the locale's short-date
// order (LC_TIME) with a four-digit year: 6/15/2005 in C/POSIX and en_US.
// Empty when the text is not of that form.
std::string DateOnly(std::string_view shortDateTime);
// The same with the order taken from a strftime date format such as
// "%d.%m.%Y"; a format without day, month and year gives M/D/YYYY.
std::string DateOnly(std::string_view shortDateTime, std::string_view dateFormat);

// A short-date order: the fields 'm', 'd', 'y' in their order and the
// literal texts around them, whole (multi-byte UTF-8 stays intact): before
// the first field, between the fields, after the last. "%Y年%m月%d日"
// gives "y", "m", "d" with "", "年", "月", "日".
struct DateOrder {
    std::string fields = "mdy";
    std::array<std::string, 4> texts = {"", "/", "/", ""};
};
// The order of a strftime date format as DateOnly reads it; M/D/YYYY when
// it cannot be read (no day, month and year each once, a field not written
// as a number, nothing between two fields).
DateOrder DateOrderOf(std::string_view dateFormat);
// The order of the current LC_TIME's short-date format.
DateOrder LocaleDateOrder();
// The date of a stamp as DateOnly(FormatDateTimeShort(t)) gives it for a
// locale of this order, without the text round trip; for writing many
// dates with one order.
std::string FormatDateOnly(std::int32_t t, const DateOrder &order);

// The number with at least `width` digits, zero-padded, a minus sign ahead of
// the digits when negative (-5 with width 2 gives -05).
std::string padded(long value, int width);

} // namespace trelm
