// The event fillers: from one event's header and record they fill the event
// summary grids (MSFlexGrid8, 4, 6, 1) and the warning grids (MSFlexGrid9,
// 3, 7). They read no file and keep no state.
#pragma once

#include "datafile/records.h"
#include "grids/grid_set.h"

namespace grids {

// Five-channel model: one flow statistics row per canister in use, filter 1
// as the only filter.
void fillFiveChannelEvent(GridSet &grids, const trelm::FileHeader &header, const trelm::EventRecord &event);
// Eight-channel model: one row per channel, each with its own filter and the
// statistics of its canister slot, labelled with the channel number.
void fillEightChannelEvent(GridSet &grids, const trelm::FileHeader &header, const trelm::EventRecord &event);

} // namespace grids
