// One retrieval from a sampler, from "&Retrieve Data" to the event files on
// disk: open the port, probe what answers (the sampler, a data module, or a
// modem that then dials the sampler's modem), the wake-up dialogue paced by
// the 400 ms timer StartDownLoad, the Event/All choice, the XMODEM-CRC
// receive and the intake. Qt-free: it talks to the serial library through
// the binder and to the operator through a RetrievalUi; the window and the
// command line drive it with the same calls.
//
// Whatever ends a retrieval (done, cancelled, failed, timed out, the peer
// gone, the dialog closed) closes every port and enables "&Retrieve Data"
// again; only the wake-up error keeps the port open, for "&Retry".
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "datafile/intake.h"
#include "korlink.h"
#include "retrieval/retrieval_ui.h"

namespace trelm::retrieval {

// How a retrieval ended; Running while it goes on.
enum class Outcome {
    Running,
    Complete,         // received and taken in: the data is on disk
    IntakeFailed,     // received, but not (wholly) taken in; the received file is kept
    TransferFailed,   // the receive failed or was cancelled
    OpenFailed,       // "Unable to open Port!"
    ModemFailed,      // no modem answer, no connection, or no number
    HungUp,           // "Disconnect Modem"
    Abandoned,        // the status dialog was closed before the transfer
};

struct Settings {
    std::int16_t port = 1;              // the COM number
    std::filesystem::path dataDir;      // where the image lands; empty: the working directory
    std::int32_t xmodemTimeoutMs = 0;   // XMODEM item 203, 0 keeps the library's
    std::int16_t xmodemRetries = 0;     // XMODEM item 207, 0 keeps the library's
    std::int32_t modemPauseMs = 1000;   // the pause after each modem command
};

class Retrieval {
public:
    Retrieval(RetrievalUi &ui, Settings settings);
    ~Retrieval();
    Retrieval(const Retrieval &) = delete;
    Retrieval &operator=(const Retrieval &) = delete;

    Settings &settings() { return m_settings; }

    // "&Retrieve Data": opens and probes the port and starts the timer (or
    // ends at once). Ignored while a retrieval runs.
    void cmdRetrieve_Click();
    // One tick of StartDownLoad: one step of the wake-up dialogue.
    void StartDownLoad_Timer();
    // The status dialog's "&Retry": the wake-up again from step 0.
    void cmdRetry_Click();
    // The status dialog unloaded ("&OK", "Hang Up Modem", or closed).
    void statusDialogUnloaded();
    // "Disconnect Modem" of the modem window.
    void CmdHangUp_Click();

    bool timerEnabled() const { return m_timerEnabled; }
    bool running() const { return m_running; }
    Outcome outcome() const { return m_outcome; }
    int missCounter() const { return m_missCounter; }
    int wakeUpStep() const { return m_wakeUpStep; }
    PortHandle port() const { return m_port; }
    // The intake of the last complete transfer.
    const IntakeReport &intakeReport() const { return m_intake; }
    // What went wrong, for a caller that reports it once more (the command line).
    const std::string &failure() const { return m_failure; }

private:
    // retrieval.cpp
    void setTimer(bool enabled);
    void closeAllPorts();
    void finish(Outcome outcome);
    PortHandle openPort();
    void portCheck();
    void wakeUpStep1();
    void startTransfer();
    // probe.cpp
    void connectionProbe();
    void dialUp();
    bool modemCheck();
    bool dial(const std::string &number);
    bool hungUp() const { return m_hangUp; }
    // receive_step.cpp
    void receiveStep();
    bool runReceive(PortHandle port);
    void takeIn();

    RetrievalUi &m_ui;
    Settings m_settings;
    PortHandle m_port = nullptr;
    int m_wakeUpStep = 0;
    int m_missCounter = 0; // kept across retrievals; reset only when it passes 15
    bool m_dataModule = false;
    bool m_modemConnected = false;
    bool m_directFallback = false;
    bool m_hangUp = false;
    bool m_timerEnabled = false;
    bool m_running = false;
    bool m_statusShown = false;
    bool m_dialling = false;  // inside the dial-up, whose pauses let "Disconnect Modem" run
    bool m_receiving = false; // inside freceive, whose waits let the dialog close
    Outcome m_outcome = Outcome::Running;
    IntakeReport m_intake;
    std::string m_failure;
};

const char *outcomeName(Outcome outcome);

} // namespace trelm::retrieval
