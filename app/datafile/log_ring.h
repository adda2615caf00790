// Copying one event's log records out of the memory image's log ring.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datafile/records.h"

namespace trelm {

struct LogCopy {
    std::vector<std::uint8_t> records; // whole 38-byte records, in time order
    std::string problem;               // why records were left out; empty if none
};

// The records from `first` to `last` (byte offsets of ring slots), wrapping
// from the last slot to the first when last < first. Addresses off the ring
// or off its 38-byte grid cannot be trusted: then nothing is copied and the
// problem says why. Reads never go past the end of `image`; a short image
// ends the copy early. first = 0 means the event has no log.
LogCopy copyEventLog(Bytes image, std::int32_t first, std::int32_t last);

} // namespace trelm
