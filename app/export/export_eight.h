// CSV export of an eight-channel event: the single-filter configurations
// 0..3 use plain labels, all others number their channels with a blank.
#pragma once

#include "export/csv_event.h"

namespace trelm {

LabelStyle eightChannelLabels(std::int16_t samplerConfig);
Status ExportEightChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName);

} // namespace trelm
