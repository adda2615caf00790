// Running the program as a window.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace trelm::shell {

// Whether a window can be shown: a display is named, or Qt is told which
// platform to use (offscreen in tests).
bool displayAvailable();

class MainWindow;

// Installs the library hooks, shows frmMain and runs its start-up; with
// `eventFile` (relative to the folder the program was started in) the file
// is then loaded as Open File (BIN) loads it. Needs a QApplication.
std::unique_ptr<MainWindow> openMainWindow(const std::optional<std::string> &eventFile);

// Opens frmMain and runs until it closes; with `eventFile`, the window
// starts with that file loaded as Open File (BIN) would load it. Returns
// the exit status.
int runWindow(int argc, char **argv, const std::optional<std::string> &eventFile);

} // namespace trelm::shell
