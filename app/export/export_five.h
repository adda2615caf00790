// CSV export of a five-channel event: filter labels always plain, canister
// labels plain only for configuration 0.
#pragma once

#include "export/csv_event.h"

namespace trelm {

LabelStyle fiveChannelLabels(std::int16_t samplerConfig);
Status ExportFiveChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName);

} // namespace trelm
