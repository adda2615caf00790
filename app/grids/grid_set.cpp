#include "grids/grid_set.h"

namespace grids {

namespace {

const std::array<GridPlacement, kGridCount> kPlacements = {{
    {"MSFlexGrid4", 0, "Flow Statistics", 120, 480, 120, 720, 6015, 1935, 7, 6, 2, 1, true},
    {"MSFlexGrid8", 0, "Event", 6240, 480, 6240, 720, 2895, 1935, 7, 2, 0, 1, true},
    {"MSFlexGrid6", 0, "Minimum / Maximum Filter Temperatures", 120, 2760, 120, 3000, 3255, 2415, 9, 3, 1, 1, true},
    {"MSFlexGrid1", 0, "Ambient Temperature and Pressure", 4680, 2760, 4680, 3000, 4095, 1695, 7, 3, 1, 1, true},
    {"MSFlexGrid7", 1, "Flow Warnings", 120, 600, 120, 840, 4215, 1815, 6, 4, 1, 1, true},
    {"MSFlexGrid9", 1, "Power Failures", 5400, 600, 5400, 840, 3255, 2895, 11, 2, 1, 1, true},
    {"MSFlexGrid3", 1, "Warnings", 120, 3600, 120, 3840, 5295, 1695, 6, 5, 1, 1, true},
    {"MSFlexGrid2", 2, "", 0, 0, 120, 480, 9015, 5895, 4, 10, 2, 2, false},
}};

const std::array<std::string_view, kGridCount> kNames = {
    "MSFlexGrid1", "MSFlexGrid2", "MSFlexGrid3", "MSFlexGrid4",
    "MSFlexGrid6", "MSFlexGrid7", "MSFlexGrid8", "MSFlexGrid9",
};

Grid startUp(std::string_view name) {
    for (const GridPlacement &p : kPlacements)
        if (p.name == name)
            return Grid(p.rows, p.cols, p.fixedRows, p.fixedCols, p.width, p.height);
    return Grid(0, 0, 0, 0, 0, 0);
}

} // namespace

const std::array<GridPlacement, kGridCount> &gridPlacements() { return kPlacements; }

const std::array<std::string_view, kGridCount> &gridNames() { return kNames; }

GridSet::GridSet()
    : MSFlexGrid1(startUp("MSFlexGrid1")), MSFlexGrid2(startUp("MSFlexGrid2")), MSFlexGrid3(startUp("MSFlexGrid3")),
      MSFlexGrid4(startUp("MSFlexGrid4")), MSFlexGrid6(startUp("MSFlexGrid6")), MSFlexGrid7(startUp("MSFlexGrid7")),
      MSFlexGrid8(startUp("MSFlexGrid8")), MSFlexGrid9(startUp("MSFlexGrid9")) {}

const Grid *GridSet::find(std::string_view name) const {
    const std::array<std::pair<std::string_view, const Grid *>, kGridCount> byName = {{
        {"MSFlexGrid1", &MSFlexGrid1}, {"MSFlexGrid2", &MSFlexGrid2}, {"MSFlexGrid3", &MSFlexGrid3},
        {"MSFlexGrid4", &MSFlexGrid4}, {"MSFlexGrid6", &MSFlexGrid6}, {"MSFlexGrid7", &MSFlexGrid7},
        {"MSFlexGrid8", &MSFlexGrid8}, {"MSFlexGrid9", &MSFlexGrid9},
    }};
    for (const auto &[gridName, grid] : byName)
        if (gridName == name)
            return grid;
    return nullptr;
}

Grid *GridSet::find(std::string_view name) {
    return const_cast<Grid *>(static_cast<const GridSet &>(*this).find(name));
}

} // namespace grids
