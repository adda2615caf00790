// What the window remembers of itself between runs: its size and place, in
// window.conf beside the settings file (TRELMLNK.INI keeps only its own two
// entries). A missing or unreadable file means the default layout.
#pragma once

#include <filesystem>

class QWidget;

namespace trelm::shell {

std::filesystem::path windowSettingsPath();

// Puts the window at its remembered size and place; false when there is
// none to take.
bool restoreWindowGeometry(QWidget &window);
// Remembers the window's size and place; false when it cannot be written.
bool saveWindowGeometry(const QWidget &window);

} // namespace trelm::shell
