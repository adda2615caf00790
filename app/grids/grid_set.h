// The eight data grids of the main window, by their window names, with the
// place, size and title label each takes on its tab at start-up. The
// set-ups and fillers write them; the window shows them and `trelmlink
// grids` prints them.
#pragma once

#include <array>
#include <string_view>

#include "grids/grid.h"

namespace grids {

// A grid's start-up layout on its tab page. Positions and sizes in twips.
struct GridPlacement {
    std::string_view name; // "MSFlexGrid4"
    int tab;               // 0 "Event &Summary", 1 "&Warnings", 2 "&Data Log"
    std::string_view title; // caption of the label above the grid; empty for none
    int titleLeft;
    int titleTop;
    int left;
    int top;
    float width; // outer size before the first fit
    float height;
    int rows;
    int cols;
    int fixedRows;
    int fixedCols;
    bool fitted; // takes its content's size after each fill; otherwise keeps its size and scrolls
};

inline constexpr int kGridCount = 8;

// The grids in the order they stand on the window: the four of the event
// summary, the three warning grids, then the data log.
const std::array<GridPlacement, kGridCount> &gridPlacements();

// The grids in number order, MSFlexGrid1 .. MSFlexGrid9 (there is no 5).
const std::array<std::string_view, kGridCount> &gridNames();

class GridSet {
public:
    // Every grid with its start-up rows, columns, fixed rows and columns and
    // size, all cells empty; the Init_* set-ups then write the fixed texts.
    GridSet();

    Grid MSFlexGrid1; // ambient temperature and pressure
    Grid MSFlexGrid2; // data log
    Grid MSFlexGrid3; // elapsed-time and filter temperature warnings
    Grid MSFlexGrid4; // flow statistics
    Grid MSFlexGrid6; // filter temperature extremes
    Grid MSFlexGrid7; // flow warnings
    Grid MSFlexGrid8; // event: status, times, unit, version, model
    Grid MSFlexGrid9; // power failures

    // The grid of that name, or nullptr when there is none.
    Grid *find(std::string_view name);
    const Grid *find(std::string_view name) const;
};

} // namespace grids
