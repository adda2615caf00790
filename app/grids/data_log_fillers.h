// The data log grid MSFlexGrid2: two header rows (names, units), then one
// row per log record of the event, up to the first zero time stamp.
#pragma once

#include <vector>

#include "datafile/records.h"
#include "grids/channel_layouts.h"
#include "grids/grid.h"

namespace grids {

// The columns after date, time, ambient and pressure: filter temperatures,
// flows (each of its canister's slot), then the pump box temperature.
struct LogColumns {
    std::vector<int> filters;
    std::vector<trelm::Canister> canisters;
    bool pumpBox = false;

    int count() const { return static_cast<int>(filters.size() + canisters.size()) + (pumpBox ? 1 : 0); }
};

// The columns the data log shows for an event's channels (the archive
// stores the same figures).
LogColumns dataLogColumns(const GridChannels &channels);

// Five-channel model: date, time, ambient, pressure, filter 1, one flow
// per canister in use, pump box. Eight-channel model: date, time, ambient,
// pressure, the channels' filter temperatures, their flows (each from the
// channel's canister slot), pump box. With no channels only the leading
// columns get headers and values, and the column count stays as it was.
void fillFiveChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<trelm::LogRecord> &log);
void fillEightChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<trelm::LogRecord> &log);

} // namespace grids
