// One retrieval from a sampler, from "&Retrieve Data" to the event files on
// disk: open the port, probe what answers (the sampler, a data module, or a
// modem that then dials the sampler's modem), the wake-up dialogue paced by
// the 400 ms timer StartDownLoad, the Event/All choice, the XMODEM-CRC
// receive and the intake. Qt-free: it talks to the serial library through
// the binder and to the operator through the roles of a RetrievalUi; the
// window and the command line drive it with the same calls.
//
// One State (retrieval_state.h) says where it stands; entering a state sets
// every control and dialog from the table there. Whatever ends a retrieval
// (done, cancelled, failed, timed out, the peer gone, the dialog closed)
// closes every port and enables "&Retrieve Data" again; only the wake-up
// error keeps the port open, for "&Retry".
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "datafile/folder_lock.h"
#include "datafile/intake.h"
#include "korlink.h"
#include "retrieval/reply_poll.h"
#include "retrieval/retrieval_state.h"
#include "retrieval/retrieval_ui.h"

namespace trelm::retrieval {

struct Settings {
    std::int16_t port = 1;              // the COM number
    std::filesystem::path dataDir;      // where the image lands; empty: the working directory
    std::int32_t xmodemTimeoutMs = 0;   // KORLINK_XMODEM_TIMEOUT_MS, 0 keeps the library's
    std::int16_t xmodemRetries = 0;     // KORLINK_XMODEM_RETRY_LIMIT, 0 keeps the library's
    std::int32_t modemPauseMs = 1000;   // the pause after each modem command
};

class Retrieval {
public:
    Retrieval(RetrievalUi ui, Settings settings);
    ~Retrieval();
    Retrieval(const Retrieval &) = delete;
    Retrieval &operator=(const Retrieval &) = delete;

    Settings &settings() { return m_settings; }

    // "&Retrieve Data": opens and probes the port and starts the timer (or
    // ends at once). Ignored while a retrieval runs.
    void cmdRetrieve_Click();
    // One tick of StartDownLoad: one step of the wake-up dialogue.
    void StartDownLoad_Timer();
    // The status dialog's "&Retry" after the wake-up error: the wake-up again from step 0.
    void cmdRetry_Click();
    // The status dialog unloaded ("&OK", "Hang Up Modem", or closed).
    void statusDialogUnloaded();
    // "Disconnect Modem" of the modem window.
    void CmdHangUp_Click();
    // Escape in the window: during the modem check and the dial it ends the
    // call as "Disconnect Modem" does; a running receive takes it from the
    // library's pump itself, and elsewhere it does nothing.
    void escapePressed();
    // The operator cancels (Ctrl-C or SIGTERM on the command line), in any
    // state: a probe or dial-up ends at its next look, the wake-up at once;
    // a running receive is left to the Escape the pump reports (the cancel
    // sequence goes out), and a running intake reaches its end.
    void cancel();

    State state() const { return m_state; }
    bool timerEnabled() const { return isWaking(m_state); }
    bool running() const { return m_state != State::Idle; }
    Outcome outcome() const { return m_outcome; }
    int missCounter() const { return m_wakeUp.misses; }
    int wakeUpStep() const { return m_wakeUp.step; }
    PortHandle port() const { return m_port; }
    // The intake of the last complete transfer.
    const IntakeReport &intakeReport() const { return m_intake; }
    // What went wrong, for a caller that reports it once more (the command line).
    const std::string &failure() const { return m_failure; }
    // Whether the line of the last retrieval was a modem call.
    bool viaModem() const { return m_viaModem; }
    // The expected size of the running transfer (0 before it starts).
    std::int64_t expectedBytes() const { return m_expectedBytes; }

private:
    // How the probe left the line.
    enum class Link {
        Direct, // the sampler or a data module answered, or nothing did: the port is closed, to be opened again
        Modem,  // a modem call stands on the open port
        Ended,  // the dial-up ended the retrieval
    };

    // retrieval.cpp
    void enter(State state);
    void closeAllPorts();
    void finish(Outcome outcome);
    void fail(Outcome outcome, const std::string &message);
    bool openPort();
    bool takeDataFolder();
    std::filesystem::path inDataDir(const std::string &name) const;
    void checkPort();
    void showModemLine(const std::string &text);
    // probe.cpp
    Link connectionProbe();
    bool dialUp();
    bool modemCheck();
    PollEnd dial(const std::string &number);
    bool modemAnswered(PollEnd end, const char *silentMessage);
    // wake_up.cpp
    void wakeUpStep1();
    void startTransfer();
    // receive_step.cpp
    void receiveStep();
    bool runReceive(PortHandle port);
    std::string keepPartialImage();
    void takeIn();

    // The wake-up dialogue's own data.
    struct WakeUp {
        int step = 0;   // 0 to 8
        int misses = 0; // ticks without a usable answer; kept across retrievals, reset only when it passes 15
        // A data module answered: the 'b' of step 6 starts its transfer and
        // nobody is asked. Cleared when a transfer starts and when a retrieval
        // starts, so a module of an earlier retrieval never steers a sampler's.
        bool dataModule = false;
    };
    // What the retrieval last made visible, so that a dialog is shown (and
    // raised) only when it was not, as a state asks for it.
    struct Visible {
        bool statusDialog = false;
        bool modemWindow = false;
    };

    RetrievalUi m_ui;
    Settings m_settings;
    State m_state = State::Idle;
    Outcome m_outcome = Outcome::Running;
    PortHandle m_port = nullptr;
    WakeUp m_wakeUp;
    Visible m_visible;
    IntakeReport m_intake;
    std::string m_failure;
    // Held from before the port opens to the end of the intake.
    std::optional<FolderLock> m_folderLock;
    bool m_cancelled = false;
    bool m_diskFailed = false; // the last receive could not write its file
    bool m_viaModem = false;
    std::int64_t m_expectedBytes = 0;
};

} // namespace trelm::retrieval
