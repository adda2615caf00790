// CSV export of an event file. The two models share one layout and differ
// only in their channel labels: eight-channel configurations 0..3 (a single
// filter) use plain labels and all others number their channels with a
// blank; five-channel filter labels are always plain, its canister labels
// plain only for configuration 0.
#pragma once

#include "export/csv_event.h"

namespace trelm {

Status ExportEightChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName);
Status ExportFiveChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName);
// The five- or eight-channel export, by the file's model flag.
Status exportByModel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName);

} // namespace trelm
