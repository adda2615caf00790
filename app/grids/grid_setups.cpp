#include "grids/grid_setups.h"

#include <string>

#include "datafile/statistics.h"

namespace grids {

namespace {

// Width of the date/time and long label columns.
constexpr int kWideColumn = 1700;

void clearCells(Grid &grid, int firstRow, int firstCol) {
    for (int row = firstRow; row < grid.rows(); ++row)
        for (int col = firstCol; col < grid.cols(); ++col)
            grid.setText(row, col, "");
}

} // namespace

void Init_StartStop_Grid(GridSet &grids) {
    Grid &grid = grids.MSFlexGrid8;
    grid.setColWidth(1, kWideColumn);
    const char *const labels[] = {"Status", "Start", "Stop", "Elapse", "Unit ID", "Version", "Model"};
    for (int row = 0; row < 7; ++row)
        grid.setText(row, 0, labels[row]);
    SetMSFlexGridSize(grid);
}

void Init_FlowStats_Grid(GridSet &grids) {
    Grid &grid = grids.MSFlexGrid4;
    const char *const names[] = {"Volume", "CV", "Flow", "Std Dev", "Filter Temp"};
    const char *const units[] = {"m3", "%", "L/min", "L/min", "Deg C"};
    for (int col = 1; col <= 5; ++col) {
        grid.setText(0, col, names[col - 1]);
        grid.setText(1, col, units[col - 1]);
    }
    SetMSFlexGridSize(grid);
}

void Init_Temp_Pres_Grid(GridSet &grids) {
    Grid &grid = grids.MSFlexGrid1;
    grid.setColWidth(0, kWideColumn);
    const char *const labels[] = {"Avg Temp (C)",        "Max Temp (C)",        "Min Temp (C)",
                                  "Avg Pressure (mmHg)", "Max Pressure (mmHg)", "Min Pressure (mmHg)"};
    for (int row = 1; row <= 6; ++row)
        grid.setText(row, 0, labels[row - 1]);
    grid.setText(0, 1, "Value");
    grid.setText(0, 2, "Date/Time");
    grid.setColWidth(2, kWideColumn);
    SetMSFlexGridSize(grid);
}

void Init_Warnings_Grid(GridSet &grids) {
    grids.MSFlexGrid3.setColWidth(2, kWideColumn);
    SetMSFlexGridSize(grids.MSFlexGrid3);
}

void Init_FlowWarn_Grid(GridSet &grids) {
    grids.MSFlexGrid7.setColWidth(3, kWideColumn);
    SetMSFlexGridSize(grids.MSFlexGrid7);
}

void Init_PowerFail_Grid(GridSet &grids) {
    Grid &grid = grids.MSFlexGrid9;
    grid.setText(0, 0, "Event");
    grid.setText(0, 1, "Date/Time");
    grid.setColWidth(1, kWideColumn);
    for (int row = 1; row <= 10; ++row)
        grid.setText(row, 0, trelm::strForm(row)); // " 1" .. " 10"
    SetMSFlexGridSize(grid);
}

void initGrids(GridSet &grids) {
    Init_StartStop_Grid(grids);
    Init_FlowStats_Grid(grids);
    Init_Temp_Pres_Grid(grids);
    Init_Warnings_Grid(grids);
    Init_FlowWarn_Grid(grids);
    Init_PowerFail_Grid(grids);
}

void Clear_Grids(GridSet &grids) {
    clearCells(grids.MSFlexGrid1, 2, 0);
    // Row 1 (average temperature) is a data row too: its value must not
    // outlive the file it came from when the next file fails to load.
    for (int col = 1; col < grids.MSFlexGrid1.cols(); ++col)
        grids.MSFlexGrid1.setText(1, col, "");
    grids.MSFlexGrid2.setRows(4);
    clearCells(grids.MSFlexGrid2, 2, 0);
    grids.MSFlexGrid2.setCurrentRow(2);
    clearCells(grids.MSFlexGrid3, 1, 1);
    clearCells(grids.MSFlexGrid4, 2, 1);
    clearCells(grids.MSFlexGrid6, 1, 1);
    clearCells(grids.MSFlexGrid7, 1, 1);
    clearCells(grids.MSFlexGrid8, 0, 1);
    clearCells(grids.MSFlexGrid9, 1, 1);
}

void clearDataLogHeaders(GridSet &grids) {
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < grids.MSFlexGrid2.cols(); ++col)
            grids.MSFlexGrid2.setText(row, col, "");
}

} // namespace grids
