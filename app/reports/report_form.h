// Which form of a report prints: the model, the configuration code and the
// channels it selects.
#pragma once

#include <cstdint>
#include <string>

#include "datafile/codes.h"
#include "reports/report_page.h"

namespace trelm {

struct ReportForm {
    bool eightChannel = true;
    std::int16_t code = 0;
    ActiveChannels channels;

    // The eight-channel codes 0 to 3 use one filter and print their labels
    // from stored texts; codes 4 to 11 build them with the Str form.
    bool singleFilterCode() const { return code >= 0 && code <= 3; }
};

// The form for the loaded records. The five-channel form always shows its
// one filter, whatever the code.
ReportForm reportFormOf(const FileHeader &header, const EventRecord &event);

// The plain numeric text of a label number: a space before a non-negative
// number, the minus sign before a negative one (3 gives " 3").
std::string strForm(long n);

} // namespace trelm
