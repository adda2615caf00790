// The faces the program's windows ask for: "MS Sans Serif" at 8 points, the
// size the layouts were made for. Where it is missing, Liberation Sans
// (Arial's widths) comes before the system's own choice, which is usually
// wider. The grids' twip widths hold their texts only in a face as narrow
// as the one they were made for: there Liberation Sans Narrow (Arial
// Narrow's widths) stands in, so "999:59:59 > 999:59:58" and "Avg Pressure
// (mmHg)" show whole.
#pragma once

#include <QFont>

namespace trelm::shell {

inline QFont windowFont() {
    QFont font("MS Sans Serif", 8);
    font.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial"});
    return font;
}

inline QFont gridFont() {
    QFont font("MS Sans Serif", 8);
    font.setFamilies({"MS Sans Serif", "Liberation Sans Narrow", "Arial Narrow"});
    return font;
}

} // namespace trelm::shell
