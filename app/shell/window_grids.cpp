#include "shell/window_grids.h"

#include "datafile/event_file.h"
#include "settings/process_state.h"

namespace trelm::shell {

const std::array<GridPlacement, 8> &gridPlacements() {
    static const std::array<GridPlacement, 8> placements{{
        {"MSFlexGrid4", 0, 120, 720, "Flow Statistics", 120, 480, true},
        {"MSFlexGrid8", 0, 6240, 720, "Event", 6240, 480, true},
        {"MSFlexGrid6", 0, 120, 3000, "Minimum / Maximum Filter Temperatures", 120, 2760, true},
        {"MSFlexGrid1", 0, 4680, 3000, "Ambient Temperature and Pressure", 4680, 2760, true},
        {"MSFlexGrid7", 1, 120, 840, "Flow Warnings", 120, 600, true},
        {"MSFlexGrid9", 1, 5400, 840, "Power Failures", 5400, 600, true},
        {"MSFlexGrid3", 1, 120, 3840, "Warnings", 120, 3600, true},
        {"MSFlexGrid2", 2, 120, 480, nullptr, 0, 0, false},
    }};
    return placements;
}

WindowGrids::WindowGrids() {
    struct Shape {
        const char *name;
        int rows, cols, fixedRows, fixedCols;
        float width, height;
    };
    static const Shape shapes[] = {
        {"MSFlexGrid1", 7, 3, 1, 1, 4095, 1695}, {"MSFlexGrid2", 4, 10, 2, 2, 9015, 5895},
        {"MSFlexGrid3", 6, 5, 1, 1, 5295, 1695}, {"MSFlexGrid4", 7, 6, 2, 1, 6015, 1935},
        {"MSFlexGrid6", 9, 3, 1, 1, 3255, 2415}, {"MSFlexGrid7", 6, 4, 1, 1, 4215, 1815},
        {"MSFlexGrid8", 7, 2, 0, 1, 2895, 1935}, {"MSFlexGrid9", 11, 2, 1, 1, 3255, 2895},
    };
    for (const Shape &s : shapes)
        m_grids.emplace(s.name, grids::Grid(s.rows, s.cols, s.fixedRows, s.fixedCols, s.width, s.height));
}

grids::Grid &WindowGrids::grid(const std::string &name) { return m_grids.at(name); }

void WindowGrids::initGrids() {}

void WindowGrids::clearGrids() {
    for (auto &[name, grid] : m_grids) {
        if (name == "MSFlexGrid2")
            grid.setRows(4);
        for (int row = grid.fixedRows(); row < grid.rows(); ++row)
            for (int col = grid.fixedCols(); col < grid.cols(); ++col)
                grid.setText(row, col, {});
    }
}

Status WindowGrids::fillGrids(const std::string &path) {
    clearGrids();
    auto event = readEventFile(path);
    if (!event)
        return event.error();
    processState().modelFlag = event.value().header.modelFlag;
    return Done{};
}

} // namespace trelm::shell
