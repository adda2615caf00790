// The CSV layout shared by both exporters: fixed event facts, statistics,
// warnings, then the data log. The two models differ only in how channel
// labels are written, which the caller states in a LabelStyle.
#pragma once

#include <filesystem>
#include <string>

#include "datafile/event_file.h"
#include "datafile/result.h"

namespace trelm {

struct LabelStyle {
    // "Filter Temperature 1:" when plain, "Filter Temperature  5:" (the
    // number with its leading blank) otherwise; likewise "Filter", "Max dT".
    bool plainFilterLabels = true;
    // "Canister 1:" and flow-warning number "1" when plain, "Canister 5: "
    // and " 5" otherwise.
    bool plainCanisterLabels = true;
};

// The whole CSV text of one event; `sourceName` is the "File:" item.
std::string composeEventCsv(const EventFile &source, const std::string &sourceName, LabelStyle style);

// Writes the CSV text to csvPath in one piece (temporary file, rename). An
// empty csvPath writes nothing.
Status writeEventCsv(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                     LabelStyle style);

} // namespace trelm
