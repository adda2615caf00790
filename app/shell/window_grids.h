// The eight data grids of the window: where each one sits, and the one
// place through which the window sets them up, clears and fills them with
// the grid code of app/grids.
#pragma once

#include <array>
#include <map>
#include <string>

#include "datafile/result.h"
#include "grids/grid.h"

namespace trelm::shell {

// Where a grid and its title label sit on the tabs (twips, within the tab).
struct GridPlacement {
    const char *name;
    int tab;
    int left, top;
    const char *title; // nullptr: no title label
    int titleLeft, titleTop;
    bool fitted; // takes its content's size after each fill; otherwise scrolls
};

const std::array<GridPlacement, 8> &gridPlacements();

class WindowGrids {
public:
    WindowGrids();

    grids::Grid &grid(const std::string &name);

    // The start-up set-ups, in their order.
    void initGrids();
    // Empties every data cell (and the data log's column titles).
    void clearGrids();
    // Clears, then fills every grid from the event file; the model flag of
    // the file becomes the program's. An unreadable or short file leaves the
    // grids cleared and gives the error.
    Status fillGrids(const std::string &path);

private:
    std::map<std::string, grids::Grid> m_grids;
};

} // namespace trelm::shell
