// The warning grids: power failures (MSFlexGrid9), elapsed-time and filter
// temperature warnings (MSFlexGrid3), flow warnings (MSFlexGrid7). Each lays
// out its channel rows where it has them, writes the stored warnings and
// fits the grid. Cells of an absent warning stay empty.
#pragma once

#include "datafile/records.h"
#include "grids/channel_layouts.h"
#include "grids/grid.h"

namespace grids {

// Row i (1..10): the time of power failure entry i, or empty.
void fillPowerFailures(Grid &grid, const trelm::EventRecord &event);
// Row 1 the elapse warning; then per filter its temperature warning and,
// when its stored max dT is not zero, the max dT and its time.
void fillWarnings(Grid &grid, const GridChannels &channels, const trelm::EventRecord &event);
// Per channel the flow warning of its canister, when the stored flow is not zero.
void fillFlowWarnings(Grid &grid, const GridChannels &channels, const trelm::EventRecord &event);

} // namespace grids
