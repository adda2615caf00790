// The face every window of the program asks for: the toolkit's substitute
// for "MS Sans Serif" at 8 points, the size the layouts were made for.
#pragma once

#include <QFont>

namespace trelm::shell {

inline QFont windowFont() { return QFont("MS Sans Serif", 8); }

} // namespace trelm::shell
