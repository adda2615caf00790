// The command line's face of a retrieval: one stderr line per status
// message, a progress line while the transfer runs, questions on the
// terminal when one is attached, answers from the options otherwise.
#pragma once

#include <chrono>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "datafile/message_port.h"
#include "retrieval/questions.h"
#include "retrieval/settings_store.h"
#include "retrieval/status_display.h"
#include "retrieval/transfer_progress.h"

namespace trelm::cli {

struct RetrieveAnswers {
    std::optional<bool> eventsOnly;   // --events / --all
    std::optional<std::string> phone; // --phone
    bool interactive = false;         // questions may be asked on the terminal
    bool progressOnTerminal = false;  // stderr is a terminal: one updating line
    bool verbose = false;
    bool quiet = false;               // --quiet: errors only
};

// The status display, the questions and the settings of a retrieval; the
// command line has no window (retrieval::HeadlessWindow).
class RetrieveUi final : public retrieval::StatusDisplay,
                         public retrieval::Questions,
                         public retrieval::SettingsStore {
public:
    RetrieveUi(std::ostream &err, std::istream &in, RetrieveAnswers answers, std::string portName);

    // Whether a message box was shown (a failure already told).
    bool told() const { return m_told; }
    const std::string &lastStatus() const { return m_lastStatus; }

    // --log FILE: every line from now on is appended to it with its time.
    // False when it cannot be opened.
    bool openLog(const std::string &path);
    // A line for the log alone (the outcome).
    void logOnly(const std::string &text);
    // A line that --quiet leaves out (the closing summary).
    void note(const std::string &text);
    // Called from the library's waits: when nothing was said for a while, a
    // line says what is awaited, so a log never stays silent long.
    void keepAlive();

    void loadStatusDialog() override;
    void setDownloadStatus(const std::string &text) override;
    void setCancelHintVisible(bool) override {}
    void setStatusButtons(bool, bool) override {}
    void showStatusDialog() override {}
    void hideStatusDialog() override {}
    void appendMessageLog(const std::string &) override {}
    void setBytesTransferred(std::int64_t bytes) override;
    void showNotice(const std::string &text) override;
    void setExpectedBytes(std::int64_t bytes) override;
    void showModemStatus(const std::string &text) override;
    void hideModemStatus() override {}
    void messageBox(const std::string &text) override;
    bool askEventDataOnly() override;
    std::string askPhoneNumber(const std::string &stored) override;
    std::string readSetting(const std::string &section, const std::string &key) override;
    void writeSetting(const std::string &section, const std::string &key, const std::string &value) override;
    // Where the intake's messages go: stderr with --verbose, else nowhere.
    MessagePort &messages();

private:
    void line(const std::string &text);
    void errorLine(const std::string &text);
    void toLog(const std::string &text);
    void endProgress();
    std::optional<std::string> askLine(const std::string &prompt);

    std::ostream &m_err;
    std::istream &m_in;
    RetrieveAnswers m_answers;
    std::string m_portName;
    std::string m_lastStatus;
    std::string m_lastModem;
    bool m_told = false;
    bool m_progressShown = false;
    int m_lastTenth = -1;
    std::int64_t m_bytes = 0;
    retrieval::TransferProgress m_progress;
    std::chrono::steady_clock::time_point m_lastLine = std::chrono::steady_clock::now();
    std::ofstream m_log;
    SilentMessagePort m_silent;
    StreamMessagePort m_stream;
};

} // namespace trelm::cli
