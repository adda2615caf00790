#include "retrieval/retrieval.h"

#include "korlink_binder/fill_str.h"
#include "korlink_binder/korlink_binder.h"

namespace trelm::retrieval {

namespace {

constexpr int kMissLimit = 15;
constexpr char kCarriageReturn = '\r';
constexpr char kEscape = 27;

} // namespace

const char *outcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Running: return "running";
    case Outcome::Complete: return "complete";
    case Outcome::IntakeFailed: return "intake failed";
    case Outcome::TransferFailed: return "transfer failed";
    case Outcome::OpenFailed: return "port not opened";
    case Outcome::ModemFailed: return "modem failed";
    case Outcome::HungUp: return "modem disconnected";
    case Outcome::Abandoned: return "abandoned";
    }
    return "unknown";
}

Retrieval::Retrieval(RetrievalUi &ui, Settings settings) : m_ui(ui), m_settings(std::move(settings)) {}

Retrieval::~Retrieval() {
    if (m_port)
        closeAllPorts();
}

void Retrieval::setTimer(bool enabled) {
    m_timerEnabled = enabled;
    m_ui.setTimerEnabled(enabled);
}

void Retrieval::closeAllPorts() {
    korlink::COMMPortsDeinitAll();
    m_port = nullptr;
}

void Retrieval::finish(Outcome outcome) {
    setTimer(false);
    if (m_port)
        closeAllPorts();
    m_outcome = outcome;
    m_running = false;
    m_ui.setRetrieveEnabled(true);
}

PortHandle Retrieval::openPort() {
    // 9600 baud, 8 data bits, no parity, one stop bit; 32000-byte receive
    // and 512-byte transmit buffers.
    return korlink::COMMWinInit(m_settings.port, 9600, 8, 0, 1, 32000, 512);
}

void Retrieval::portCheck() {
    // Also empties the receive buffer: what was said before is not an answer.
    const std::int16_t result = korlink::c_rxflush(m_port, 0);
    if (result == -102)
        m_ui.messageBox("Port not open!");
    else if (result == -122)
        m_ui.messageBox("Port locked by background transfer!");
}

void Retrieval::cmdRetrieve_Click() {
    if (m_running)
        return; // one retrieval at a time: a second open would close the first's port
    m_running = true;
    m_outcome = Outcome::Running;
    m_failure.clear();
    m_intake = IntakeReport{};
    m_statusShown = false;
    m_ui.setRetrieveEnabled(false);
    m_ui.loadStatusDialog();
    m_modemConnected = false;
    m_directFallback = false;

    m_port = openPort();
    if (!m_port) {
        m_failure = "Unable to open Port!";
        m_ui.messageBox(m_failure);
        finish(Outcome::OpenFailed);
        return;
    }
    connectionProbe();
    if (!m_running)
        return; // the dial-up ended the retrieval
    if (!m_modemConnected && m_directFallback) {
        m_port = openPort(); // the probe closed it
        if (!m_port) {
            m_failure = "Unable to open Port!";
            m_ui.messageBox(m_failure);
            finish(Outcome::OpenFailed);
            return;
        }
        setTimer(true);
        m_ui.setStatusButtons(false, false);
        m_ui.showStatusDialog();
        m_statusShown = true;
        return;
    }
    if (m_modemConnected) {
        // The status dialog stays loaded, not shown, until step 8 asks the
        // Event/All question.
        m_ui.hideModemStatus();
        m_wakeUpStep = 0;
        setTimer(true);
        m_ui.setStatusButtons(false, false);
        return;
    }
    finish(Outcome::ModemFailed);
}

void Retrieval::StartDownLoad_Timer() {
    if (!m_timerEnabled || !m_port)
        return;
    switch (m_wakeUpStep) {
    case 0:
        portCheck();
        m_ui.setDownloadStatus("Waking DataLogger...");
        m_wakeUpStep = 1;
        break;
    case 1: wakeUpStep1(); break;
    case 2: korlink::c_putc(m_port, 'p'); m_wakeUpStep = 3; break;
    case 3: korlink::c_putc(m_port, '0'); m_wakeUpStep = 4; break;
    case 4: korlink::c_putc(m_port, kCarriageReturn); m_wakeUpStep = 5; break;
    case 5: korlink::c_putc(m_port, kCarriageReturn); m_wakeUpStep = 6; break;
    case 6:
        portCheck();
        korlink::c_putc(m_port, 'b');
        m_wakeUpStep = 7;
        break;
    case 7:
        m_ui.setDownloadStatus("Starting Download...");
        m_wakeUpStep = 8;
        break;
    default: startTransfer(); break;
    }
}

void Retrieval::wakeUpStep1() {
    korlink::c_putc(m_port, kCarriageReturn);
    // What arrived answers the CR of the tick before.
    if (korlink::c_rxcount(m_port) > 0) {
        const std::string text = fill_str(m_port);
        if (text.size() > 1 && text.find('*') != std::string::npos) {
            korlink::c_putc(m_port, kCarriageReturn);
            m_dataModule = true;
            m_wakeUpStep = 2;
        } else if (text.size() == 1 && text[0] == kCarriageReturn) {
            m_wakeUpStep = 7;
        } else {
            ++m_missCounter;
            portCheck();
        }
    } else {
        ++m_missCounter;
    }
    if (m_missCounter > kMissLimit) {
        m_missCounter = 0;
        m_ui.setDownloadStatus("Error Waking DataLogger!");
        m_wakeUpStep = 0;
        setTimer(false);
        m_ui.setStatusButtons(true, true);
        // After a modem connection the dialog is loaded but not yet shown:
        // show it, or "&OK" and "&Retry" could not be reached and the port
        // would stay open.
        if (!m_statusShown) {
            m_ui.showStatusDialog();
            m_statusShown = true;
        }
    }
}

void Retrieval::startTransfer() {
    // Off before the question: a tick during the question box must not
    // start a second transfer.
    setTimer(false);
    m_wakeUpStep = 0;
    m_ui.setCancelHintVisible(true);
    if (m_dataModule) {
        m_dataModule = false;
        m_ui.setDownloadStatus("Downloading From Data Module, Please Wait...");
    } else {
        m_ui.hideStatusDialog();
        m_ui.setCancelHintVisible(false);
        const bool eventsOnly = m_ui.askEventDataOnly();
        m_ui.showStatusDialog();
        m_statusShown = true;
        m_ui.setCancelHintVisible(true);
        if (!m_port) { // closed while the question was open
            finish(Outcome::Abandoned);
            return;
        }
        m_ui.setDownloadStatus(eventsOnly ? "Downloading Event Data From TRELM Unit, Please Wait..."
                                          : "Downloading All Data From TRELM Unit, Please Wait...");
        const std::string command = std::string(1, kEscape) + (eventsOnly ? "{TFH" : "{TFA") + kCarriageReturn;
        korlink::c_puts(m_port, command.c_str());
    }
    receiveStep();
    m_ui.enableFileCommands();
}

void Retrieval::cmdRetry_Click() {
    if (!m_running || !m_port)
        return;
    m_ui.setCancelHintVisible(false);
    m_wakeUpStep = 0;
    setTimer(true);
    m_ui.setStatusButtons(false, false);
}

void Retrieval::statusDialogUnloaded() {
    setTimer(false);
    m_ui.setStatusButtons(true, true);
    closeAllPorts();
    // During the transfer the receive sees its port closed and ends it.
    if (m_running && !m_receiving)
        finish(Outcome::Abandoned);
}

void Retrieval::CmdHangUp_Click() {
    if (m_port)
        portCheck();
    closeAllPorts();
    setTimer(false);
    m_hangUp = true;
    m_modemConnected = false;
    m_ui.hideModemStatus();
    // Inside the dial-up its loop ends the retrieval at its next step.
    if (m_running && !m_dialling)
        finish(Outcome::HungUp);
}

} // namespace trelm::retrieval
