#include "grids/event_fillers.h"

#include <string>

#include "datafile/codes.h"
#include "datafile/statistics.h"
#include "datafile/time_format.h"
#include "grids/channel_layouts.h"
#include "grids/grid_setups.h"
#include "grids/warning_fillers.h"

namespace grids {

namespace {

using trelm::EventRecord;
using trelm::FormatDateTimeShort;

void fillEventGrid(Grid &grid, const trelm::FileHeader &header, const EventRecord &event) {
    grid.setText(0, 1, trelm::StatusName(event.status));
    grid.setText(1, 1, FormatDateTimeShort(event.start));
    grid.setText(2, 1, FormatDateTimeShort(event.stop));
    grid.setText(3, 1, trelm::FormatElapsed(event.elapse));
    grid.setText(4, 1, std::to_string(header.unitId));
    grid.setText(5, 1, trelm::FirmwareText(header.firmware));
    grid.setText(6, 1, trelm::ModelName(header.modelFlag));
}

// Volume, CV, flow and standard deviation of each channel's canister.
void fillFlowStatistics(Grid &grid, const GridChannels &channels, const EventRecord &event) {
    layoutFlowStatsRows(grid, channels);
    int row = 2;
    for (const trelm::Canister &channel : channels.channels) {
        const trelm::CanisterFigures figures = trelm::canisterFigures(trelm::canisterBlock(event, channel.slot));
        grid.setText(row, 1, figures.volume);
        grid.setText(row, 2, figures.cv);
        grid.setText(row, 3, figures.flow);
        grid.setText(row, 4, figures.stdDev);
        ++row;
    }
}

std::string filterAverage(const EventRecord &event, int filter) { return trelm::filterFigures(event, filter).average; }

// A "Max Temp (C)" and a "Min Temp (C)" row per filter shown.
void fillFilterExtremes(Grid &grid, const GridChannels &channels, const EventRecord &event) {
    layoutFilterTempRows(grid, channels);
    int row = 1;
    for (int filter : channels.filters) {
        const trelm::ExtremeFigures figures = trelm::filterFigures(event, filter);
        grid.setText(row, 1, figures.maximum);
        grid.setText(row, 2, FormatDateTimeShort(figures.maximumTime));
        grid.setText(row + 1, 1, figures.minimum);
        grid.setText(row + 1, 2, FormatDateTimeShort(figures.minimumTime));
        row += 2;
    }
}

// Averages carry no date/time; extremes carry the stamp of the extreme.
void fillAmbient(Grid &grid, const EventRecord &event) {
    int row = 1;
    for (const trelm::ExtremeFigures &figures : {trelm::ambientFigures(event), trelm::barometricFigures(event)}) {
        grid.setText(row, 1, figures.average);
        grid.setText(row + 1, 1, figures.maximum);
        grid.setText(row + 1, 2, FormatDateTimeShort(figures.maximumTime));
        grid.setText(row + 2, 1, figures.minimum);
        grid.setText(row + 2, 2, FormatDateTimeShort(figures.minimumTime));
        row += 3;
    }
}

// The steps both models share, in their order; `filterColumn` writes the
// model's filter temperature column of MSFlexGrid4.
template <typename FilterColumn>
void fillEvent(GridSet &grids, const trelm::FileHeader &header, const EventRecord &event,
               FilterColumn filterColumn) {
    const GridChannels channels = gridChannels(header.modelFlag, event.samplerConfig);
    fillEventGrid(grids.MSFlexGrid8, header, event);
    fillFlowStatistics(grids.MSFlexGrid4, channels, event);
    filterColumn(grids.MSFlexGrid4, channels);
    fillFilterExtremes(grids.MSFlexGrid6, channels, event);
    Init_Temp_Pres_Grid(grids);
    fillPowerFailures(grids.MSFlexGrid9, event);
    fillAmbient(grids.MSFlexGrid1, event);
    fillWarnings(grids.MSFlexGrid3, channels, event);
    fillFlowWarnings(grids.MSFlexGrid7, channels, event);
}

} // namespace

void fillFiveChannelEvent(GridSet &grids, const trelm::FileHeader &header, const EventRecord &event) {
    // The one filter's average goes on the first channel row only.
    fillEvent(grids, header, event,
              [&event](Grid &grid, const GridChannels &) { grid.setText(2, 5, filterAverage(event, 1)); });
}

void fillEightChannelEvent(GridSet &grids, const trelm::FileHeader &header, const EventRecord &event) {
    fillEvent(grids, header, event, [&header, &event](Grid &grid, const GridChannels &channels) {
        int row = 2;
        for (const trelm::Canister &channel : channels.channels)
            grid.setText(row++, 5, filterAverage(event, trelm::filterOfCanister(header.modelFlag, channel)));
    });
}

} // namespace grids
