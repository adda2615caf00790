// The table a fleet run ends with: one row per station, columns padded to
// their widest cell so it reads on a terminal and splits on blanks.
#pragma once

#include <string>
#include <vector>

namespace trelm::fleet {

struct SummaryRow {
    std::string station;
    std::string outcome;
    int attempts = 0;
    int events = -1;          // new or changed event files; -1 unknown
    std::string currentEvent; // empty: none
    double seconds = 0.0;     // from the first start to the last end
    std::string reason;       // of a failure
};

// The header line and one line per row, each ending in a line break. The
// reason comes last, unpadded, as it may hold blanks.
std::string summaryTable(const std::vector<SummaryRow> &rows);

} // namespace trelm::fleet
