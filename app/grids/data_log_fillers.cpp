#include "grids/data_log_fillers.h"

#include <string>

#include "datafile/time_format.h"
#include "grids/data_log_columns.h"

namespace grids {

namespace {

using trelm::LogRecord;

constexpr int kLeadingColumns = 2; // Date and Time

// Row 0 from column `firstNamed` on, then the whole unit row; the column
// count becomes the layout's.
void writeLayout(Grid &grid, const std::vector<DataLogColumn> &columns, int firstNamed) {
    grid.setCols(kLeadingColumns + static_cast<int>(columns.size()));
    grid.setText(1, 0, "mm/dd/yy");
    grid.setText(1, 1, "HH:mm:ss");
    for (int col = kLeadingColumns; col < grid.cols(); ++col) {
        const DataLogColumn &column = columns[col - kLeadingColumns];
        if (col >= firstNamed)
            grid.setText(0, col, column.name);
        grid.setText(1, col, column.unit);
    }
}

// Adds one row per record, raising the row count before each row.
void writeRows(Grid &grid, const std::vector<DataLogColumn> &columns, const std::vector<LogRecord> &log) {
    const trelm::DateOrder dateOrder = trelm::LocaleDateOrder();
    int row = 2;
    for (const LogRecord &record : log) {
        grid.setRows(row + 1);
        grid.setText(row, 0, trelm::FormatDateOnly(record.time, dateOrder));
        grid.setText(row, 1, trelm::FormatTimeOfDay(record.time));
        int col = kLeadingColumns;
        for (const DataLogColumn &column : columns)
            grid.setText(row, col++, dataLogText(record, column));
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

void fillFiveChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<LogRecord> &log) {
    writeLeadingNames(grid);
    grid.setText(0, 4, "Filter 1 T");
    const std::vector<DataLogColumn> columns = dataLogColumns(channels);
    if (!channels.channels.empty())
        writeLayout(grid, columns, 5);
    writeRows(grid, columns, log);
}

void fillEightChannelDataLog(Grid &grid, const GridChannels &channels, const std::vector<LogRecord> &log) {
    writeLeadingNames(grid);
    const std::vector<DataLogColumn> columns = dataLogColumns(channels);
    if (!channels.channels.empty())
        writeLayout(grid, columns, 4);
    writeRows(grid, columns, log);
}

} // namespace grids
