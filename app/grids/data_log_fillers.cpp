#include "grids/data_log_fillers.h"

#include <string>

#include "datafile/statistics.h"
#include "datafile/time_format.h"

namespace grids {

namespace {

using trelm::LogRecord;

// One column of the log: its two header texts and how a record fills it.
enum class Quantity { Filter, Flow, PumpBox };
struct Column {
    std::string name;
    const char *unit;
    Quantity quantity;
    int index; // filter channel 1..8 or canister slot 1..5
};

void writeLeadingHeaders(Grid &grid, bool withFilter1) {
    grid.setText(0, 0, "Date");
    grid.setText(0, 1, "Time");
    grid.setText(0, 2, "Ambient T");
    grid.setText(0, 3, "Pressure");
    if (withFilter1)
        grid.setText(0, 4, "Filter 1 T");
}

// Sets the column count and writes every header of the layout: the names
// from column `firstNamed` on (the leading ones are already there) and the
// whole unit row.
void writeLayout(Grid &grid, const std::vector<Column> &columns, int firstNamed) {
    grid.setCols(4 + static_cast<int>(columns.size()));
    for (int col = firstNamed; col < grid.cols(); ++col)
        grid.setText(0, col, columns[col - 4].name);
    const char *const leadingUnits[] = {"mm/dd/yy", "HH:mm:ss", "Deg C", "mmHg"};
    for (int col = 0; col < 4; ++col)
        grid.setText(1, col, leadingUnits[col]);
    for (int col = 4; col < grid.cols(); ++col)
        grid.setText(1, col, columns[col - 4].unit);
}

std::string cellText(const LogRecord &record, const Column &column) {
    switch (column.quantity) {
    case Quantity::Filter:
        return trelm::formatTenths(record.filterTemperature[column.index - 1]);
    case Quantity::Flow:
        return trelm::formatHundredths(record.flow[column.index - 1]);
    case Quantity::PumpBox:
        break;
    }
    return trelm::formatTenths(record.pumpBoxTemperature);
}

// Adds one row per record, raising the row count before each row.
void writeRows(Grid &grid, const std::vector<Column> &columns, const std::vector<LogRecord> &log) {
    const trelm::DateOrder dateOrder = trelm::LocaleDateOrder();
    int row = 2;
    for (const LogRecord &record : log) {
        grid.setRows(row + 1);
        grid.setText(row, 0, trelm::FormatDateOnly(record.time, dateOrder));
        grid.setText(row, 1, trelm::FormatTimeOfDay(record.time));
        grid.setText(row, 2, trelm::formatTenths(record.ambientTemperature));
        grid.setText(row, 3, trelm::formatScaled(record.ambientPressure, 0));
        int col = 4;
        for (const Column &column : columns)
            grid.setText(row, col++, cellText(record, column));
        ++row;
    }
}

const Column kFilter1{"Filter 1 T", "Deg C", Quantity::Filter, 1};
const Column kPumpBox{"Pump Box T", "Deg C", Quantity::PumpBox, 0};

} // namespace

void fillFiveChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<LogRecord> &log) {
    writeLeadingHeaders(grid, true);
    std::vector<Column> columns{kFilter1};
    if (!channels.channels.empty()) {
        for (const trelm::Canister &canister : channels.channels)
            columns.push_back({"Flow " + std::to_string(canister.label), "L/min", Quantity::Flow, canister.slot});
        columns.push_back(kPumpBox);
        writeLayout(grid, columns, 5);
    }
    writeRows(grid, columns, log);
}

void fillEightChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<LogRecord> &log) {
    writeLeadingHeaders(grid, false);
    std::vector<Column> columns;
    if (!channels.channels.empty()) {
        for (const trelm::Canister &channel : channels.channels)
            columns.push_back({"Filter " + std::to_string(channel.label) + " T", "Deg C", Quantity::Filter,
                               channel.label});
        for (const trelm::Canister &channel : channels.channels)
            columns.push_back({"Flow " + std::to_string(channel.label), "L/min", Quantity::Flow, channel.slot});
        columns.push_back(kPumpBox);
        writeLayout(grid, columns, 4);
    }
    writeRows(grid, columns, log);
}

} // namespace grids
