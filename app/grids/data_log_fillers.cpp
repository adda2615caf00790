#include "grids/data_log_fillers.h"

#include <string>

#include "datafile/statistics.h"
#include "datafile/time_format.h"

namespace grids {

namespace {

using trelm::LogRecord;

// Row 0 from column `firstNamed` on, then the whole unit row; the column
// count becomes the layout's.
void writeLayout(Grid &grid, const LogColumns &columns, int firstNamed) {
    grid.setCols(4 + columns.count());
    std::vector<std::string> names;
    std::vector<const char *> units = {"mm/dd/yy", "HH:mm:ss", "Deg C", "mmHg"};
    for (int filter : columns.filters) {
        names.push_back("Filter " + std::to_string(filter) + " T");
        units.push_back("Deg C");
    }
    for (const trelm::Canister &canister : columns.canisters) {
        names.push_back("Flow " + std::to_string(canister.label));
        units.push_back("L/min");
    }
    names.push_back("Pump Box T");
    units.push_back("Deg C");
    for (int col = firstNamed; col < grid.cols(); ++col)
        grid.setText(0, col, names[col - 4]);
    for (int col = 0; col < grid.cols(); ++col)
        grid.setText(1, col, units[col]);
}

// Adds one row per record, raising the row count before each row.
void writeRows(Grid &grid, const LogColumns &columns, const std::vector<LogRecord> &log) {
    const trelm::DateOrder dateOrder = trelm::LocaleDateOrder();
    int row = 2;
    for (const LogRecord &record : log) {
        const trelm::LogFigures figures = trelm::logFigures(record, columns.filters, columns.canisters);
        grid.setRows(row + 1);
        grid.setText(row, 0, trelm::FormatDateOnly(record.time, dateOrder));
        grid.setText(row, 1, trelm::FormatTimeOfDay(record.time));
        grid.setText(row, 2, figures.ambient);
        grid.setText(row, 3, figures.pressure);
        int col = 4;
        for (const std::string &text : figures.filters)
            grid.setText(row, col++, text);
        for (const std::string &text : figures.flows)
            grid.setText(row, col++, text);
        if (columns.pumpBox)
            grid.setText(row, col, figures.pumpBox);
        ++row;
    }
}

void writeLeadingNames(Grid &grid) {
    grid.setText(0, 0, "Date");
    grid.setText(0, 1, "Time");
    grid.setText(0, 2, "Ambient T");
    grid.setText(0, 3, "Pressure");
}

} // namespace

LogColumns dataLogColumns(const GridChannels &channels) {
    if (channels.channels.empty())
        return channels.eightChannel ? LogColumns{} : LogColumns{{1}, {}, false};
    return LogColumns{channels.eightChannel ? channels.filters : std::vector<int>{1}, channels.channels, true};
}

void fillFiveChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<LogRecord> &log) {
    writeLeadingNames(grid);
    grid.setText(0, 4, "Filter 1 T");
    const LogColumns columns = dataLogColumns(channels);
    if (!channels.channels.empty())
        writeLayout(grid, columns, 5);
    writeRows(grid, columns, log);
}

void fillEightChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<LogRecord> &log) {
    writeLeadingNames(grid);
    const LogColumns columns = dataLogColumns(channels);
    if (!channels.channels.empty())
        writeLayout(grid, columns, 4);
    writeRows(grid, columns, log);
}

} // namespace grids
