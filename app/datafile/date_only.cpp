// DateOnly: the date of a FormatDateTimeShort text in the locale's short-date
// order. Only the order of day, month and year and the texts around them are taken
// from the locale (nl_langinfo(D_FMT) of the current LC_TIME); the numbers
// themselves are always plain digits without leading zeros and a four-digit
// year, so C/POSIX and en_US give M/D/YYYY (6/15/2005). FormatDateOnly
// gives the same text straight from a stamp.
#include "datafile/time_format.h"

#include <charconv>
#include <langinfo.h>
#include <optional>
#include <string>
#include <utility>

namespace trelm {

namespace {

struct ShortDate {
    int month;
    int day;
    int year; // four digits
};

std::optional<int> readNumber(std::string_view &text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{})
        return std::nullopt;
    text.remove_prefix(end - text.data());
    return value;
}

bool readChar(std::string_view &text, char expected) {
    if (text.empty() || text.front() != expected)
        return false;
    text.remove_prefix(1);
    return true;
}

// Reads "MM/DD/YY", ignoring the time that follows. The two-digit year is
// signed: FormatDateTimeShort writes the years 1971..1999 as -29..-01. Year
// 2000 + YY maps them back to their true year (-01 is 1999) and 00..38 to
// 2000..2038, so every stamp the sampler can store gets its real year.
std::optional<ShortDate> parseShortDate(std::string_view text) {
    const auto month = readNumber(text);
    if (!month || !readChar(text, '/'))
        return std::nullopt;
    const auto day = readNumber(text);
    if (!day || !readChar(text, '/'))
        return std::nullopt;
    const auto year = readNumber(text);
    if (!year || (!text.empty() && text.front() != ' '))
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *year < -99 || *year > 999)
        return std::nullopt;
    return ShortDate{*month, *day, 2000 + *year};
}

// The date's fields in the order's sequence, with the order's texts.
std::string joined(const ShortDate &date, const DateOrder &order) {
    std::string text = order.texts[0];
    for (std::size_t i = 0; i < order.fields.size(); ++i) {
        const char field = order.fields[i];
        text += std::to_string(field == 'd' ? date.day : field == 'm' ? date.month : date.year);
        text += order.texts[i + 1];
    }
    return text;
}

// The field a conversion writes as a number, or 0 for any other.
char fieldOf(char conversion) {
    switch (conversion) {
    case 'd':
    case 'e':
        return 'd';
    case 'm':
        return 'm';
    case 'y':
    case 'Y':
        return 'y';
    default:
        return 0;
    }
}

std::optional<DateOrder> readDateOrder(std::string_view format) {
    if (format == "%D")
        format = "%m/%d/%y";
    else if (format == "%F")
        format = "%Y-%m-%d";
    DateOrder order{"", {}};
    std::string literal;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            literal += format[i];
            continue;
        }
        if (++i < format.size() && (format[i] == 'E' || format[i] == 'O'))
            ++i; // the alternative-digits modifiers change no order
        if (i >= format.size())
            return std::nullopt;
        if (format[i] == '%') {
            literal += '%';
            continue;
        }
        const char field = fieldOf(format[i]);
        if (field == 0 || order.fields.size() == 3 || order.fields.find(field) != std::string::npos)
            return std::nullopt;
        order.texts[order.fields.size()] = std::move(literal);
        literal.clear();
        order.fields += field;
    }
    order.texts[3] = std::move(literal);
    if (order.fields.size() != 3 || order.texts[1].empty() || order.texts[2].empty())
        return std::nullopt;
    return order;
}

} // namespace

DateOrder DateOrderOf(std::string_view format) {
    return readDateOrder(format).value_or(DateOrder{});
}

DateOrder LocaleDateOrder() {
    return DateOrderOf(nl_langinfo(D_FMT));
}

std::string DateOnly(std::string_view shortDateTime) {
    return DateOnly(shortDateTime, nl_langinfo(D_FMT));
}

std::string DateOnly(std::string_view shortDateTime, std::string_view dateFormat) {
    const auto date = parseShortDate(shortDateTime);
    if (!date)
        return {};
    return joined(*date, DateOrderOf(dateFormat));
}

std::string FormatDateOnly(std::int32_t t, const DateOrder &order) {
    // FormatDateTimeShort writes the year as YY = year - 100 and DateOnly
    // reads it back as 2000 + YY: the display year, 1900 + bt.year.
    const BrokenDownTime bt = BreakDownForDisplay(t);
    return joined(ShortDate{bt.month + 1, bt.day, 1900 + bt.year}, order);
}

} // namespace trelm
