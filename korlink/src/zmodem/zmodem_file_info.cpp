#include "zmodem/zmodem_file_info.h"

#include <algorithm>
#include <cstdio>

namespace korlink {
namespace {

constexpr int64_t maxLength = INT32_MAX;

// The next space-separated token from `pos` up to a NUL or the end.
std::string token(const uint8_t *data, size_t count, size_t &pos) {
    while (pos < count && data[pos] == ' ') ++pos;
    std::string text;
    while (pos < count && data[pos] != ' ' && data[pos] != 0) text.push_back(static_cast<char>(data[pos++]));
    return text;
}

// The digits of `text` in `base`, or -1 when it is empty, holds anything
// else or passes `limit`.
int64_t number(const std::string &text, int base, int64_t limit) {
    if (text.empty()) return -1;
    int64_t value = 0;
    for (char c : text) {
        int digit = c - '0';
        if (digit < 0 || digit >= base) return -1;
        value = value * base + digit;
        if (value > limit) return -1;
    }
    return value;
}

}  // namespace

ZmodemFileInfo parseZmodemFileInfo(const uint8_t *data, size_t count) {
    ZmodemFileInfo info;
    size_t pos = 0;
    while (pos < count && data[pos] != 0) info.name.push_back(static_cast<char>(data[pos++]));
    ++pos;
    info.length = number(token(data, count, pos), 10, maxLength);
    info.modified = std::max<int64_t>(number(token(data, count, pos), 8, INT64_C(077777777777)), 0);
    info.mode = static_cast<uint32_t>(std::max<int64_t>(number(token(data, count, pos), 8, 07777777), 0));
    return info;
}

std::vector<uint8_t> buildZmodemFileInfo(const ZmodemFileInfo &info, int filesLeft, int64_t bytesLeft) {
    std::vector<uint8_t> out(info.name.begin(), info.name.end());
    out.push_back(0);
    char text[96];
    int n = std::snprintf(text, sizeof text, "%lld %llo %o 0 %d %lld", static_cast<long long>(info.length),
                          static_cast<unsigned long long>(info.modified), info.mode, filesLeft,
                          static_cast<long long>(bytesLeft));
    out.insert(out.end(), text, text + n);
    out.push_back(0);
    return out;
}

}  // namespace korlink
