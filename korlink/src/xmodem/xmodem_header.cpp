#include "xmodem/xmodem_header.h"

#include "transfer/file_names.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace korlink {
namespace {

// Reads a token from `pos` up to a NUL or space (or the end of the block).
std::string readToken(const uint8_t *data, size_t size, size_t &pos) {
    std::string token;
    while (pos < size && data[pos] != 0 && data[pos] != ' ') token.push_back(static_cast<char>(data[pos++]));
    return token;
}

// Digits in `base`, saturating at `limit`; -1 when the token is empty or holds
// anything else.
int64_t parseNumber(const std::string &token, int base, int64_t limit) {
    if (token.empty()) return -1;
    int64_t value = 0;
    for (char c : token) {
        if (c < '0' || c >= '0' + base) return -1;
        value = std::min(limit, value * base + (c - '0'));
    }
    return value;
}

}  // namespace

BatchHeader parseBatchHeader(const uint8_t *data, size_t size) {
    BatchHeader header;
    // The name starts at the first byte. A NUL there is the empty name that
    // ends a batch, whatever else the block holds (senders leave stale bytes
    // behind it).
    size_t pos = 0;
    std::string name;
    // The whole name is kept, however long: the receive shortens a name the
    // folder cannot take, and keeps its extension doing so.
    while (pos < size && data[pos] != 0) name.push_back(static_cast<char>(data[pos++]));
    header.endsBatch = name.empty();
    header.name = bareFileName(name);
    while (pos < size && data[pos] == 0) ++pos;
    header.length = parseNumber(readToken(data, size, pos), 10, maxAnnouncedLength + 1);
    while (pos < size && data[pos] == ' ') ++pos;
    header.modified = std::max<int64_t>(0, parseNumber(readToken(data, size, pos), 8, INT64_MAX / 8));
    return header;
}

void buildBatchHeader(uint8_t data[128], const std::string &path, int64_t size,
                      int64_t modified, uint32_t mode) {
    std::memset(data, ' ', 128);
    size_t cut = path.find_last_of("\\:/");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    char fields[128];
    int fieldLength = std::snprintf(fields, sizeof fields, "%lld %llo %o %o",
                                    static_cast<long long>(size),
                                    static_cast<unsigned long long>(std::max<int64_t>(0, modified)),
                                    mode, 1234u);
    // Name, NUL, fields, NUL must fit the 128 bytes; a longer name is cut.
    size_t room = 128 - 2 - static_cast<size_t>(std::max(fieldLength, 0));
    name.resize(std::min(name.size(), room));
    std::memcpy(data, name.data(), name.size());
    data[name.size()] = 0;
    std::memcpy(data + name.size() + 1, fields, static_cast<size_t>(fieldLength));
    data[name.size() + 1 + static_cast<size_t>(fieldLength)] = 0;
}

}  // namespace korlink
