// Which form of a report prints: the model, the configuration code, the
// channels it shows and how its labels number them, all from the catalogue.
#pragma once

#include <cstdint>
#include <vector>

#include "datafile/codes.h"
#include "datafile/statistics.h"
#include "reports/report_page.h"

namespace trelm {

struct ReportForm {
    bool eightChannel = true;
    std::int16_t code = 0;
    std::vector<int> filters;        // the filters shown, ascending
    std::vector<Canister> canisters; // the configuration's canisters, ascending
    LabelForms labels;

    // The eight-channel codes 0 to 3 use one filter and print several of
    // their lines from stored texts of their own.
    bool singleFilterCode() const { return eightChannel && code >= 0 && code <= 3; }
};

ReportForm reportFormOf(const FileHeader &header, const EventRecord &event);

} // namespace trelm
