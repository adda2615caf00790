#include "datafile/time_format.h"

#include <array>
#include <cstdlib>

namespace trelm {

namespace {

constexpr std::int32_t kSecondsPerDay = 86400;
constexpr std::int32_t kSecondsPerFourYears = 126230400; // 1461 days

// Day of year (from 0) of the last day of each month; entry 0 is -1.
constexpr std::array<int, 13> kNormalYearDays = {-1, 30, 58, 89, 119, 150, 180, 211, 242, 272, 303, 333, 364};
constexpr std::array<int, 13> kLeapYearDays = {-1, 30, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

// The years of a four-year cycle starting 1970 (normal, normal, leap,
// normal), indexed by their offset in the cycle: the seconds from the
// cycle's start to that year's start, and whether it is a leap year.
struct CycleYear {
    std::int32_t startSeconds;
    bool leap;
};
constexpr std::array<CycleYear, 4> kCycle = {{
    {0, false}, {31536000, false}, {63072000, true}, {94694400, false},
}};

} // namespace

BrokenDownTime BreakDownTime(std::int32_t t) {
    BrokenDownTime bt;
    // The weekday belongs to the given stamp. Floored division keeps it in
    // 0..6 for negative stamps too (truncating division would give -6..-1).
    const std::int32_t days = t / kSecondsPerDay - (t % kSecondsPerDay < 0 ? 1 : 0);
    bt.weekday = static_cast<std::int16_t>(((days + 4) % 7 + 7) % 7);

    const std::int32_t stamp = t < 0 ? 0 : t;
    std::int32_t rest = stamp % kSecondsPerFourYears;
    int year = 70 + 4 * (stamp / kSecondsPerFourYears);
    std::size_t y = kCycle.size() - 1;
    while (rest < kCycle[y].startSeconds)
        --y;
    year += static_cast<int>(y);
    rest -= kCycle[y].startSeconds;
    const auto &table = kCycle[y].leap ? kLeapYearDays : kNormalYearDays;

    const int dayOfYear = rest / kSecondsPerDay;
    const int secondOfDay = rest - kSecondsPerDay * dayOfYear;
    std::size_t m = 1;
    while (m < table.size() && table[m] < dayOfYear)
        ++m;
    bt.month = static_cast<std::int16_t>(m - 1);
    bt.day = static_cast<std::int16_t>(dayOfYear - table[m - 1]);
    bt.year = static_cast<std::int16_t>(year);
    bt.dayOfYear = static_cast<std::int16_t>(dayOfYear);
    bt.hour = static_cast<std::int16_t>(secondOfDay / 3600);
    bt.minute = static_cast<std::int16_t>((secondOfDay % 3600) / 60);
    bt.second = static_cast<std::int16_t>(secondOfDay % 60);
    return bt;
}

std::string padded(long value, int width) {
    std::string digits = std::to_string(std::labs(value));
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, width - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

BrokenDownTime BreakDownForDisplay(std::int32_t t) {
    BrokenDownTime bt = BreakDownTime(t);
    if (bt.year == 70)
        bt.year = 100;
    return bt;
}

namespace {

std::string clockText(const BrokenDownTime &bt) {
    return padded(bt.hour, 2) + ":" + padded(bt.minute, 2) + ":" + padded(bt.second, 2);
}

} // namespace

std::string FormatDateTimeShort(std::int32_t t) {
    const BrokenDownTime bt = BreakDownForDisplay(t);
    return padded(bt.month + 1, 2) + "/" + padded(bt.day, 2) + "/" + padded(bt.year - 100, 2) + " " +
           clockText(bt);
}

std::string FormatDateTimeForName(std::int32_t t) {
    const BrokenDownTime bt = BreakDownForDisplay(t);
    // A literal 2 and the years since 2000 in three digits (5 gives 2005).
    // Years 1971..1999 have a negative count; its sign goes ahead of the
    // whole year (1999 gives -2001), which keeps the name free of separators.
    const int sinceTwoThousand = bt.year - 100;
    const std::string year = (sinceTwoThousand < 0 ? "-2" : "2") + padded(std::abs(sinceTwoThousand), 3);
    return year + "/" + padded(bt.month + 1, 2) + "/" + padded(bt.day, 2) + " " + clockText(bt);
}

std::string FormatTimeOfDay(std::int32_t t) {
    return clockText(BreakDownTime(t));
}

std::string FormatElapsed(std::int32_t seconds) {
    // Truncating division: a negative duration shows its sign on each part.
    return padded(seconds / 3600, 2) + ":" + padded((seconds % 3600) / 60, 2) + ":" + padded(seconds % 60, 2);
}

} // namespace trelm
