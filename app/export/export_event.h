// Export of an event file by its model flag: five- or eight-channel layout.
#pragma once

#include "export/csv_event.h"

namespace trelm {

Status exportByModel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName);

} // namespace trelm
