// The rows of the event summary and warning grids that depend on which
// channels an event used, laid out again at every fill before the values.
#pragma once

#include <cstdint>
#include <vector>

#include "datafile/codes.h"
#include "grids/grid.h"

namespace grids {

// The channels one event's grids show. A channel is a canister in use,
// labelled with the channel number; `filters` are the filter rows shown:
// always filter 1 on the five-channel model, the channels' own filters on
// the eight-channel model. A configuration code outside the model's table
// gives no channels (and, eight-channel, no filters).
struct GridChannels {
    bool eightChannel = false;
    std::vector<trelm::Canister> channels;
    std::vector<int> filters;
};
GridChannels gridChannels(std::int16_t modelFlag, std::int16_t samplerConfig);

// MSFlexGrid4: two header rows, then "Can n" per channel.
void layoutFlowStatsRows(Grid &grid, const GridChannels &channels);
// MSFlexGrid6: a "Max Temp (C)" and a "Min Temp (C)" row per filter.
void layoutFilterTempRows(Grid &grid, const GridChannels &channels);
// MSFlexGrid3: "Elapsed ", then a "Filter n " row per filter.
void layoutWarningsRows(Grid &grid, const GridChannels &channels);
// MSFlexGrid7: a "Can n " row per channel.
void layoutFlowWarnRows(Grid &grid, const GridChannels &channels);

} // namespace grids
