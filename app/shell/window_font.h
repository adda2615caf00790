// The face every window of the program asks for: "MS Sans Serif" at 8
// points, the size the layouts were made for. Where it is missing, Liberation
// Sans (Arial's widths) comes before the system's own choice, which is
// usually wider and would cut longer cell texts such as "24:00:00 >
// 23:00:00".
#pragma once

#include <QFont>

namespace trelm::shell {

inline QFont windowFont() {
    QFont font("MS Sans Serif", 8);
    font.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial"});
    return font;
}

} // namespace trelm::shell
