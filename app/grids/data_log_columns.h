// The quantity columns of the data log grid (after Date and Time): their
// names and units as the grid's two header rows show them, and which stored
// quantity each column holds. The grid and the plots of an event both take
// their columns from here, so a curve is always named, scaled and unit-ed
// as the column it draws.
#pragma once

#include <string>
#include <vector>

#include "datafile/statistics.h"
#include "grids/channel_layouts.h"

namespace grids {

struct DataLogColumn {
    std::string name;
    std::string unit;
    trelm::LogQuantity quantity = trelm::LogQuantity::Ambient;
    int channel = 0; // filter channel or canister slot, else 0
};

// Ambient, pressure, then the filter temperatures shown, one flow per
// channel (from its canister slot) and the pump box temperature. Without
// channels the five-channel model still shows filter 1 (and no pump box),
// the eight-channel model only ambient and pressure.
std::vector<DataLogColumn> dataLogColumns(const GridChannels &channels);

// The column's value in a record in its grid form ("21.5", "760", "16.61").
std::string dataLogText(const trelm::LogRecord &record, const DataLogColumn &column);

} // namespace grids
