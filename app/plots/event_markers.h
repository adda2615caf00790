// The markers of an event's plots, taken from the same stored statistics the
// event and warning grids show: start and stop, each filter temperature
// warning, each max dT (shown when its value is not zero, as the warnings
// grid does), each flow warning, the elapse warning and each power failure.
#pragma once

#include <vector>

#include "datafile/records.h"
#include "grids/channel_layouts.h"
#include "plots/plot_data.h"

namespace plots {

// The elapse warning has no time of its own: its marker stands where the
// elapsed time reached the reference (start + reference), or at the stop
// when the event ended before that.
std::vector<Marker> eventMarkers(const trelm::EventRecord &event, const grids::GridChannels &channels);

} // namespace plots
