// What the window remembers of itself between runs: its size and place and
// the event files opened last, in window.conf beside the settings file
// (TRELMLNK.INI keeps only its own two entries). A missing or unreadable
// file means the default layout and no files.
#pragma once

#include <QStringList>
#include <filesystem>

class QWidget;

namespace trelm::shell {

std::filesystem::path windowSettingsPath();

// Puts the window at its remembered size and place; false when there is
// none to take.
bool restoreWindowGeometry(QWidget &window);
// Remembers the window's size and place; false when it cannot be written.
bool saveWindowGeometry(const QWidget &window);

inline constexpr int kRecentFileCount = 5;
// The event files opened last, the latest first, at most kRecentFileCount.
QStringList recentFiles();
// Puts `path` first among the recent files (once).
void rememberRecentFile(const QString &path);

// The device the operator mapped COM `port` to, or empty text for the
// library's own choice.
QString portDevice(int port);
void setPortDevice(int port, const QString &device);

} // namespace trelm::shell
