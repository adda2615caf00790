#include "reports/number_pattern.h"

#include <algorithm>
#include <cstdlib>

namespace trelm {

namespace {

bool isDigitPosition(char c) { return c == '0' || c == '#'; }

long powerOfTen(int exponent) {
    long result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

// |stored| / 10^decimals rounded to `places` decimals, as a whole count of
// 10^-places units; halves round away from zero.
unsigned long roundedUnits(long stored, int decimals, int places) {
    unsigned long magnitude = static_cast<unsigned long>(std::labs(stored));
    if (places >= decimals)
        return magnitude * static_cast<unsigned long>(powerOfTen(places - decimals));
    const unsigned long divisor = static_cast<unsigned long>(powerOfTen(decimals - places));
    return (magnitude + divisor / 2) / divisor;
}

// Lays `digits` into the digit positions of `part` from the right. Digits
// left over stand in front of the leftmost position; a "0" position without
// a digit prints 0, a "#" position prints nothing.
std::string fillInteger(std::string_view part, std::string_view digits) {
    std::string out;
    std::size_t next = digits.size();
    std::size_t leftmost = part.find_first_of("0#");
    for (std::size_t i = part.size(); i-- > 0;) {
        const char c = part[i];
        if (!isDigitPosition(c)) {
            out.insert(out.begin(), c);
            continue;
        }
        if (next > 0)
            out.insert(out.begin(), digits[--next]);
        else if (c == '0')
            out.insert(out.begin(), '0');
        if (i == leftmost && next > 0) {
            out.insert(0, digits.substr(0, next));
            next = 0;
        }
    }
    if (next > 0) // a part without digit positions still shows the number
        out.insert(0, digits.substr(0, next));
    return out;
}

// Lays `digits` (exactly as many as the part has digit positions) into the
// fraction part from the left; trailing "#" positions drop trailing zeros.
std::string fillFraction(std::string_view part, std::string_view digits) {
    std::size_t keep = digits.size();
    std::size_t position = part.size();
    while (keep > 0 && position > 0) {
        const char c = part[--position];
        if (!isDigitPosition(c))
            continue;
        if (c == '#' && digits[keep - 1] == '0')
            --keep;
        else
            break;
    }
    std::string out;
    std::size_t next = 0;
    for (char c : part) {
        if (!isDigitPosition(c))
            out += c;
        else if (next < keep)
            out += digits[next++];
        else
            ++next;
    }
    return out;
}

std::string formatDigits(std::string_view pattern, long stored, int decimals) {
    const std::size_t point = pattern.find('.');
    const std::string_view integerPart = pattern.substr(0, point);
    const std::string_view fractionPart = point == std::string_view::npos ? "" : pattern.substr(point + 1);
    int places = 0;
    for (char c : fractionPart)
        places += isDigitPosition(c) ? 1 : 0;

    const unsigned long units = roundedUnits(stored, decimals, places);
    const unsigned long scale = static_cast<unsigned long>(powerOfTen(places));
    const unsigned long whole = units / scale;
    std::string fraction = places > 0 ? std::to_string(units % scale) : "";
    fraction.insert(0, static_cast<std::size_t>(places) - fraction.size(), '0');
    // A whole part of zero has no digits of its own: "#" shows nothing for it.
    const std::string wholeDigits = whole == 0 ? "" : std::to_string(whole);

    std::string text = fillInteger(integerPart, wholeDigits);
    if (point != std::string_view::npos) {
        text += '.';
        text += fillFraction(fractionPart, fraction);
    }
    if (stored < 0 && units != 0) {
        // The minus sign goes after the pattern's leading literal characters.
        const std::size_t lead = pattern.find_first_of("0#.");
        const std::size_t literals = lead == std::string_view::npos ? pattern.size() : lead;
        text.insert(std::min(literals, text.size()), 1, '-');
    }
    return text;
}

std::string formatPlaceholders(std::string_view pattern, long stored, int decimals) {
    const std::string text = plainDecimal(stored, decimals);
    std::string out;
    std::size_t next = text.size();
    const std::size_t leftmost = pattern.find('@');
    for (std::size_t i = pattern.size(); i-- > 0;) {
        const char c = pattern[i];
        if (c != '@') {
            out.insert(out.begin(), c);
            continue;
        }
        out.insert(out.begin(), next > 0 ? text[--next] : ' ');
        if (i == leftmost && next > 0) {
            out.insert(0, text.substr(0, next));
            next = 0;
        }
    }
    return out;
}

} // namespace

std::string plainDecimal(long stored, int decimals) {
    const unsigned long magnitude = static_cast<unsigned long>(std::labs(stored));
    const unsigned long scale = static_cast<unsigned long>(powerOfTen(decimals));
    std::string text = std::to_string(magnitude / scale);
    std::string fraction = std::to_string(magnitude % scale);
    fraction.insert(0, static_cast<std::size_t>(decimals) - std::min<std::size_t>(fraction.size(), decimals), '0');
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (decimals > 0 && !fraction.empty())
        text += "." + fraction;
    return stored < 0 ? "-" + text : text;
}

std::string formatPattern(std::string_view pattern, long stored, int decimals) {
    if (pattern.find('@') != std::string_view::npos)
        return formatPlaceholders(pattern, stored, decimals);
    return formatDigits(pattern, stored, decimals);
}

} // namespace trelm
