// Copying one event's log records out of the memory image's log ring.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datafile/records.h"

namespace trelm {

struct LogCopy {
    std::vector<std::uint8_t> records; // whole 38-byte records, in time order
    std::string problem;               // why records were left out; empty if none
};

// How many records the log from `first` to `last` spans on the ring,
// wrapping as copyEventLog does; nothing when either address is not a ring
// slot.
std::optional<std::size_t> ringLogCount(std::int32_t first, std::int32_t last);

// The records from `first` to `last` (byte offsets of ring slots), wrapping
// from the last slot to the first when last < first. Addresses off the ring
// or off its 38-byte grid cannot be trusted: then nothing is copied and the
// problem says why. Reads never go past the end of `image`; a short image
// ends the copy early. first = 0 means the event has no log.
LogCopy copyEventLog(Bytes image, std::int32_t first, std::int32_t last);

// True when an image of `imageSize` bytes ends before the last record of
// the log from `first` to `last` (ring slots): the event's log is cut off.
bool logCutOff(std::size_t imageSize, std::int32_t first, std::int32_t last);

} // namespace trelm
