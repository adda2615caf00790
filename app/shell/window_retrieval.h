// The window's front end of the retrieval: "&Retrieve Data" and the timer
// StartDownLoad of frmMain drive the Qt-free retrieval; its status, modem
// window, questions and message boxes are shown as dialogs.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "retrieval/retrieval.h"
#include "retrieval/transfer_progress.h"
#include "shell/download_status_dialog.h"

namespace trelm::shell {

class MainWindow;

// Plays every role of the retrieval's user interface.
class WindowRetrieval : public QObject,
                        private retrieval::StatusDisplay,
                        private retrieval::Questions,
                        private retrieval::SettingsStore,
                        private retrieval::WindowControls {
    Q_OBJECT
public:
    // Attaches to the window's retrieve command and timer; owned by it.
    explicit WindowRetrieval(MainWindow &window);
    ~WindowRetrieval() override;

    retrieval::Retrieval &retrieval() { return *m_retrieval; }
    DownloadStatusDialog &statusDialog() { return *m_status; }
    ModemStatusDialog &modemDialog() { return *m_modem; }
    // The status display role as the retrieval calls it.
    retrieval::StatusDisplay &statusDisplay() { return *this; }

    // Replace the question boxes (tests): Event/All gives true for Yes; the
    // number prompt gets the stored number and gives the answer, or empty
    // text for Cancel.
    void setEventQuestion(std::function<bool()> ask);
    void setPhoneQuestion(std::function<QString(const QString &stored)> ask);
    // Replace the clock the progress figures are timed with (tests).
    void setClock(std::function<retrieval::TransferProgress::Clock::time_point()> now);

private:
    // StatusDisplay
    void loadStatusDialog() override;
    void setDownloadStatus(const std::string &text) override;
    void setCancelHintVisible(bool visible) override;
    void setStatusButtons(bool okEnabled, bool retryEnabled) override;
    void showStatusDialog() override;
    void hideStatusDialog() override;
    void appendMessageLog(const std::string &line) override;
    void setBytesTransferred(std::int64_t bytes) override;
    void showNotice(const std::string &text) override;
    void setHangUpEnabled(bool enabled) override;
    void setExpectedBytes(std::int64_t bytes) override;
    void showModemStatus(const std::string &text) override;
    void hideModemStatus() override;
    // Questions
    void messageBox(const std::string &text) override;
    bool askEventDataOnly() override;
    std::string askPhoneNumber(const std::string &stored) override;
    // SettingsStore
    std::string readSetting(const std::string &section, const std::string &key) override;
    void writeSetting(const std::string &section, const std::string &key, const std::string &value) override;
    // WindowControls
    void setTimerEnabled(bool enabled) override;
    void setRetrieveEnabled(bool enabled) override;
    void enableFileCommands() override;
    Status fillGrids(const std::string &eventFile) override;
    void showSummaryTab() override;
    MessagePort &messages() override;

    MainWindow &m_window;
    DownloadStatusDialog *m_status;
    ModemStatusDialog *m_modem;
    std::unique_ptr<retrieval::Retrieval> m_retrieval;
    retrieval::TransferProgress m_progress; // the bar's figures, as the command line's
    std::function<bool()> m_askEvents;
    std::function<QString(const QString &)> m_askPhone;
    std::function<retrieval::TransferProgress::Clock::time_point()> m_now = retrieval::TransferProgress::Clock::now;
};

} // namespace trelm::shell
