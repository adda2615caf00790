#include "shell/msg_form.h"

#include <QCoreApplication>
#include <QLabel>

#include "shell/center_form.h"
#include "shell/grid_view.h"
#include "shell/window_font.h"

namespace trelm::shell {

void MsgForm::ShowMessage(const std::string &text) {
    if (!m_window) {
        m_window = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        m_window->setObjectName("MsgForm");
        m_window->setFont(windowFont());
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        m_window->setFixedSize(pixels(4680), pixels(840));
        m_label = new QLabel(m_window);
        m_label->setObjectName("MsgLabel");
        m_label->setGeometry(pixels(240), pixels(240), pixels(4215), pixels(375));
        CenterForm(m_window);
    }
    m_label->setText(QString::fromStdString(text));
    m_window->show();
    // A new window appears only once the system has mapped it: let that
    // happen, without user input or timers (the caller may be the download
    // timer's handler), then paint the text at once.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
    m_window->repaint();
}

void MsgForm::HideMessage() {
    if (!m_window)
        return;
    m_window->hide();
    delete m_window.data();
    m_label = nullptr;
}

} // namespace trelm::shell
