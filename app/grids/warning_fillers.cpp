#include "grids/warning_fillers.h"

#include "datafile/statistics.h"
#include "datafile/time_format.h"

namespace grids {

using trelm::FormatDateTimeShort;

void fillPowerFailures(Grid &grid, const trelm::EventRecord &event) {
    for (const trelm::PowerFailure &failure : trelm::powerFailureEntries(event))
        grid.setText(failure.entry, 1, failure.occurred() ? FormatDateTimeShort(failure.time) : "");
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
        // This grid shows a max dT whenever its stored value is not zero,
        // whatever its time stamp.
        if (const auto maxDt = trelm::maxDtOf(event, filter, trelm::MaxDtTest::ByValue)) {
            grid.setText(row, 3, maxDt->value);
            grid.setText(row, 4, FormatDateTimeShort(maxDt->time));
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
