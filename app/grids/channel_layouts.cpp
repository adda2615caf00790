#include "grids/channel_layouts.h"

#include <string>

#include "datafile/statistics.h"

namespace grids {

namespace {

constexpr int kWideColumn = 1700;
constexpr int kLabelColumn = 1200;
constexpr int kMaxDtColumn = 1100;

std::string canisterLabel(int channel) { return "Can " + std::to_string(channel); }
std::string filterLabel(int filter) { return "Filter " + std::to_string(filter) + " "; }

// Sets the row count and empties the labels of the rows below the headers,
// so no label of an earlier file survives.
void resetLabels(Grid &grid, int rows, int firstLabelRow) {
    grid.setRows(rows);
    for (int row = firstLabelRow; row < rows; ++row)
        grid.setText(row, 0, "");
}

} // namespace

GridChannels gridChannels(std::int16_t modelFlag, std::int16_t samplerConfig) {
    const trelm::ActiveChannels active = trelm::activeChannels(modelFlag, samplerConfig);
    GridChannels channels;
    channels.eightChannel = trelm::isEightChannel(modelFlag);
    channels.channels = active.canisters;
    channels.filters = trelm::filtersShown(modelFlag, samplerConfig);
    return channels;
}

void layoutFlowStatsRows(Grid &grid, const GridChannels &channels) {
    resetLabels(grid, 7, 2);
    if (!channels.channels.empty()) {
        grid.setRows(2 + static_cast<int>(channels.channels.size()));
        int row = 2;
        for (const trelm::Canister &channel : channels.channels)
            grid.setText(row++, 0, canisterLabel(channel.label));
    }
    SetMSFlexGridSize(grid);
}

void layoutFilterTempRows(Grid &grid, const GridChannels &channels) {
    grid.setColWidth(0, kWideColumn);
    resetLabels(grid, 9, 1);
    if (!channels.filters.empty()) {
        grid.setRows(1 + 2 * static_cast<int>(channels.filters.size()));
        int row = 1;
        for (int filter : channels.filters) {
            grid.setText(row++, 0, filterLabel(filter) + "Max Temp (C)");
            grid.setText(row++, 0, filterLabel(filter) + "Min Temp (C)");
        }
    }
    grid.setText(0, 1, "Value");
    grid.setText(0, 2, "Date/Time");
    grid.setColWidth(2, kWideColumn);
    SetMSFlexGridSize(grid);
}

void layoutWarningsRows(Grid &grid, const GridChannels &channels) {
    grid.setColWidth(0, kLabelColumn);
    resetLabels(grid, 9, 1);
    grid.setText(1, 0, "Elapsed ");
    if (!channels.filters.empty()) {
        grid.setRows(2 + static_cast<int>(channels.filters.size()));
        int row = 2;
        for (int filter : channels.filters)
            grid.setText(row++, 0, filterLabel(filter));
    }
    grid.setText(0, 1, "Warning");
    grid.setText(0, 2, "Date/Time");
    grid.setColWidth(2, kWideColumn);
    grid.setText(0, 3, "Max dT (C)");
    grid.setColWidth(3, kMaxDtColumn);
    grid.setText(0, 4, "Date/Time");
    grid.setColWidth(4, kWideColumn);
    SetMSFlexGridSize(grid);
}

void layoutFlowWarnRows(Grid &grid, const GridChannels &channels) {
    grid.setColWidth(0, kLabelColumn);
    resetLabels(grid, 7, 1);
    if (!channels.channels.empty()) {
        grid.setRows(1 + static_cast<int>(channels.channels.size()));
        int row = 1;
        // One trailing blank, which does not show.
        for (const trelm::Canister &channel : channels.channels)
            grid.setText(row++, 0, canisterLabel(channel.label) + " ");
    }
    grid.setText(0, 1, "Warning");
    grid.setText(0, 2, "L/min");
    grid.setText(0, 3, "Date/Time");
    grid.setColWidth(3, kWideColumn);
    SetMSFlexGridSize(grid);
}

} // namespace grids
