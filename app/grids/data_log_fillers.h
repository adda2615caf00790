// The data log grid MSFlexGrid2: two header rows (names, units), then one
// row per log record of the event, up to the first zero time stamp.
#pragma once

#include <vector>

#include "datafile/records.h"
#include "grids/channel_layouts.h"
#include "grids/grid.h"

namespace grids {

// Five-channel model: date, time, ambient, pressure, filter 1, one flow
// per canister in use, pump box. Eight-channel model: date, time, ambient,
// pressure, the channels' filter temperatures, their flows (each from the
// channel's canister slot), pump box. With no channels only the leading
// columns get headers and values, and the column count stays as it was.
void fillFiveChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<trelm::LogRecord> &log);
void fillEightChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<trelm::LogRecord> &log);

} // namespace grids
