// Placing dialogs in the middle of the screen.
#pragma once

class QWidget;

namespace trelm::shell {

// Moves the window so it sits centred on the screen it is on (or the
// primary screen): left = (screen width - window width) / 2, likewise top.
void CenterForm(QWidget *window);

} // namespace trelm::shell
