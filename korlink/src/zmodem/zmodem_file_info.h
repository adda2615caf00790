// The ZFILE subpacket: the file's name, then "length mtime mode serial
// files-left bytes-left" (mtime and mode in octal), each part optional.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korlink {

struct ZmodemFileInfo {
    std::string name;
    int64_t length = -1;      // -1: not given
    int64_t modified = 0;     // seconds since 1970 (UTC), 0: not given
    uint32_t mode = 0;
};

// Reads the subpacket's bytes; nothing beyond `count` is touched. A length
// beyond 2^31-1 or not a number counts as not given.
ZmodemFileInfo parseZmodemFileInfo(const uint8_t *data, size_t count);

// The subpacket a sender puts after ZFILE.
std::vector<uint8_t> buildZmodemFileInfo(const ZmodemFileInfo &info, int filesLeft, int64_t bytesLeft);

}  // namespace korlink
