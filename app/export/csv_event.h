// The CSV layout shared by both exporters: fixed event facts, statistics,
// warnings, then the data log. Every figure comes from the statistics
// catalogue; the two models differ only in how channel labels are written,
// which the caller states in LabelForms.
#pragma once

#include <string>

#include "datafile/event_file.h"
#include "datafile/statistics.h"

namespace trelm {

// The whole CSV text of one event; `sourceName` is the "File:" item.
std::string composeEventCsv(const EventFile &source, const std::string &sourceName, LabelForms labels);

} // namespace trelm
