// The keyboard on the window's commands: Enter presses the focused button
// (as Space does), and Ctrl+O, Ctrl+E, Ctrl+P, Ctrl+R and Ctrl+Q run Open,
// Export, Print, Retrieve and Exit, each named in its button's tooltip. The
// captions keep their own Alt keys (Export and Exit share Alt+E, which then
// only moves the focus between them).
#pragma once

class QWidget;

namespace trelm::shell {

// Attaches the keys to the buttons found in `window` by their names.
void attachCommandKeys(QWidget &window);

} // namespace trelm::shell
