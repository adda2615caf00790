#include "grids/warning_fillers.h"

#include "datafile/statistics.h"
#include "datafile/time_format.h"

namespace grids {

using trelm::FormatDateTimeShort;

void fillPowerFailures(Grid &grid, const trelm::EventRecord &event) {
    for (int entry = 1; entry <= trelm::kPowerFailureEntries; ++entry) {
        const std::int32_t stamp = event.powerFailures[entry - 1];
        grid.setText(entry, 1, stamp != 0 ? FormatDateTimeShort(stamp) : "");
    }
    SetMSFlexGridSize(grid);
}

void fillWarnings(Grid &grid, const GridChannels &channels, const trelm::EventRecord &event) {
    layoutWarningsRows(grid, channels);
    if (const auto elapse = trelm::elapseWarningOf(event)) {
        grid.setText(1, 1, "Yes");
        grid.setText(1, 2, elapse->elapse + elapse->relation + elapse->reference);
    } else {
        grid.setText(1, 1, "No");
    }
    int row = 2;
    for (int filter : channels.filters) {
        if (const auto warning = trelm::filterTemperatureWarning(event, filter)) {
            grid.setText(row, 1, "Yes");
            grid.setText(row, 2, FormatDateTimeShort(warning->time));
        } else {
            grid.setText(row, 1, "No");
        }
        // The grid shows a max dT whenever its stored value is not zero.
        if (event.maxDt.at(filter - 1) != 0) {
            grid.setText(row, 3, trelm::formatTenths(event.maxDt.at(filter - 1)));
            grid.setText(row, 4, FormatDateTimeShort(event.maxDtTime.at(filter - 1)));
        }
        ++row;
    }
}

void fillFlowWarnings(Grid &grid, const GridChannels &channels, const trelm::EventRecord &event) {
    layoutFlowWarnRows(grid, channels);
    int row = 1;
    for (const trelm::Canister &channel : channels.channels) {
        if (const auto warning = trelm::flowWarningOf(event, channel.slot)) {
            grid.setText(row, 1, "Yes");
            grid.setText(row, 2, warning->value);
            grid.setText(row, 3, FormatDateTimeShort(warning->time));
        } else {
            grid.setText(row, 1, "No");
        }
        ++row;
    }
    SetMSFlexGridSize(grid);
}

} // namespace grids
