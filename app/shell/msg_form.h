// The message window: a small window without a title bar, showing one line
// while a long piece of work (filling the grids, exporting) runs.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "datafile/message_port.h"

class QLabel;

namespace trelm::shell {

class MsgForm final : public MessagePort {
public:
    // Creates the window when it does not exist, sets its line, shows it
    // and paints it at once, before the caller starts its work. A second
    // call without HideMessage replaces the text in the same window.
    void ShowMessage(const std::string &text) override;
    // Hides and destroys the window; its text does not survive.
    void HideMessage() override;

    // The window while it exists (object name "MsgForm"), for tests.
    QWidget *window() const { return m_window; }

private:
    QPointer<QWidget> m_window;
    QLabel *m_label = nullptr;
};

} // namespace trelm::shell
