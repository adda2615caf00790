#include "shell/window_retrieval.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

#include "settings/process_state.h"
#include "shell/korlink_hooks.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/settings_access.h"

namespace trelm::shell {

WindowRetrieval::WindowRetrieval(MainWindow &window)
    : QObject(&window), m_window(window), m_status(new DownloadStatusDialog(&window)),
      m_modem(new ModemStatusDialog(&window)) {
    setObjectName("WindowRetrieval");
    // The window's data folder is the working directory: the image lands there.
    m_retrieval = std::make_unique<retrieval::Retrieval>(retrieval::RetrievalUi{*this, *this, *this, *this},
                                                        retrieval::Settings{});
    m_askEvents = [this] {
        return QMessageBox::question(m_status->isVisible() ? static_cast<QWidget *>(m_status) : &m_window,
                                     "DownLoad Type", "Would you like to only download the Event Data?",
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    m_askPhone = [this](const QString &stored) {
        bool accepted = false;
        const QString answer = QInputDialog::getText(&m_window, "Dial Number", "Enter Phone Number:",
                                                     QLineEdit::Normal, stored, &accepted);
        return accepted ? answer : QString();
    };
    connect(&window, &MainWindow::retrieveRequested, this, [this] {
        m_retrieval->settings().port = processState().CommPort;
        m_retrieval->cmdRetrieve_Click();
    });
    connect(window.StartDownLoad(), &QTimer::timeout, this, [this] { m_retrieval->StartDownLoad_Timer(); });
    connect(m_status, &DownloadStatusDialog::retryClicked, this, [this] { m_retrieval->cmdRetry_Click(); });
    connect(m_status, &DownloadStatusDialog::unloaded, this, [this] { m_retrieval->statusDialogUnloaded(); });
    connect(m_modem, &ModemStatusDialog::hangUpClicked, this, [this] { m_retrieval->CmdHangUp_Click(); });
    // The library's waits take Escape from the pump; the modem check and the
    // dial hear of it here.
    setEscapeListener([this] { m_retrieval->escapePressed(); });
}

// The retrieval closes its port before the dialogs (children of the
// window) go.
WindowRetrieval::~WindowRetrieval() { setEscapeListener({}); }

void WindowRetrieval::setEventQuestion(std::function<bool()> ask) { m_askEvents = std::move(ask); }
void WindowRetrieval::setPhoneQuestion(std::function<QString(const QString &)> ask) { m_askPhone = std::move(ask); }
void WindowRetrieval::setClock(std::function<retrieval::TransferProgress::Clock::time_point()> now) {
    m_now = std::move(now);
}

void WindowRetrieval::loadStatusDialog() {
    m_progress.reset();
    m_status->load();
}

void WindowRetrieval::setDownloadStatus(const std::string &text) { m_status->setStatus(QString::fromStdString(text)); }
void WindowRetrieval::setCancelHintVisible(bool visible) { m_status->setCancelHintVisible(visible); }
void WindowRetrieval::setStatusButtons(bool okEnabled, bool retryEnabled) { m_status->setButtons(okEnabled, retryEnabled); }

void WindowRetrieval::showStatusDialog() {
    m_status->show();
    m_status->raise();
    m_status->activateWindow();
}

void WindowRetrieval::hideStatusDialog() { m_status->hide(); }
void WindowRetrieval::appendMessageLog(const std::string &line) { m_status->appendLog(QString::fromStdString(line)); }

void WindowRetrieval::setBytesTransferred(std::int64_t bytes) {
    m_status->setBytes(bytes);
    const retrieval::ProgressFigures figures = m_progress.update(bytes, m_now());
    m_status->setProgress(figures.percent, QString::fromStdString(retrieval::timeLeftText(figures)));
}

void WindowRetrieval::setExpectedBytes(std::int64_t bytes) { m_progress.setExpected(bytes); }

void WindowRetrieval::showNotice(const std::string &text) { messageBox(text); }
void WindowRetrieval::setHangUpEnabled(bool enabled) { m_status->setHangUpEnabled(enabled); }
void WindowRetrieval::showModemStatus(const std::string &text) { m_modem->showText(QString::fromStdString(text)); }
void WindowRetrieval::hideModemStatus() { m_modem->hide(); }

void WindowRetrieval::messageBox(const std::string &text) {
    showMessageBox(m_status->isVisible() ? static_cast<QWidget *>(m_status) : &m_window, BoxIcon::Exclamation,
                   kAppTitle, QString::fromStdString(text));
}

bool WindowRetrieval::askEventDataOnly() { return m_askEvents(); }

std::string WindowRetrieval::askPhoneNumber(const std::string &stored) {
    return m_askPhone(QString::fromStdString(stored)).trimmed().toStdString();
}

std::string WindowRetrieval::readSetting(const std::string &section, const std::string &key) {
    return ReadIniValue(section, key, &m_window);
}

void WindowRetrieval::writeSetting(const std::string &section, const std::string &key, const std::string &value) {
    WriteIniValue(section, key, value, &m_window);
}

void WindowRetrieval::setTimerEnabled(bool enabled) {
    if (enabled)
        m_window.StartDownLoad()->start();
    else
        m_window.StartDownLoad()->stop();
}

void WindowRetrieval::setRetrieveEnabled(bool enabled) { m_window.setRetrieveEnabled(enabled); }
void WindowRetrieval::enableFileCommands() { m_window.enableFileCommands(); }

Status WindowRetrieval::fillGrids(const std::string &eventFile) {
    return m_window.FillGrids(QString::fromStdString(eventFile));
}

void WindowRetrieval::showSummaryTab() { m_window.SSTab1()->setCurrentIndex(0); }
MessagePort &WindowRetrieval::messages() { return m_window.msgForm(); }

} // namespace trelm::shell
