#include "archive/dates.h"

#include <cstdio>

namespace archive {

namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2037;
constexpr std::int64_t kDaySeconds = 86400;

// Days from 1970-01-01 to the date. The sampler's calendar makes every
// fourth year a leap year, which is the civil calendar from 1901 to 2099.
std::int64_t daysSince1970(int year, int month, int day) {
    static const int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    std::int64_t days = 365 * (year - kFirstYear) + (year - 1969) / 4;
    days += kDaysBefore[month - 1] + (month > 2 && year % 4 == 0 ? 1 : 0);
    return days + day - 1;
}

int daysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return kDays[month - 1] + (month == 2 && year % 4 == 0 ? 1 : 0);
}

} // namespace

std::optional<std::int64_t> stampOfDate(const std::string &text, RangeEnd end) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char separator = 0;
    int used = 0;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%n%c%2d:%2d%n:%2d%n", &year, &month, &day, &used,
                                   &separator, &hour, &minute, &used, &second, &used);
    if (fields < 3 || static_cast<std::size_t>(used) != text.size())
        return std::nullopt;
    if (fields > 3 && fields < 6)
        return std::nullopt;
    if (fields >= 6 && separator != ' ' && separator != 'T')
        return std::nullopt;
    if (year < kFirstYear || year > kLastYear || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59 || hour < 0 || minute < 0 ||
        second < 0)
        return std::nullopt;
    const std::int64_t midnight = daysSince1970(year, month, day) * kDaySeconds;
    if (fields == 3)
        return end == RangeEnd::From ? midnight : midnight + kDaySeconds - 1;
    const std::int64_t stamp = midnight + hour * 3600 + minute * 60 + second;
    // Without seconds, --to takes the whole minute.
    return fields == 6 && end == RangeEnd::To ? stamp + 59 : stamp;
}

} // namespace archive
