// The retrieval's commands and the one place its controls are set.
#include "retrieval/retrieval.h"

#include <variant>

#include "datafile/received_image.h"
#include "korlink_binder/com_device.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/failure_reason.h"

namespace trelm::retrieval {

namespace {

// The line of every retrieval: 9600 baud, 8 data bits, no parity, one stop
// bit, a receive buffer that holds a whole burst and a small transmit buffer.
constexpr std::int32_t kBaud = 9600;
constexpr std::int16_t kDataBits = 8;
constexpr std::int16_t kReceiveBufferBytes = 32000;
constexpr std::int16_t kTransmitBufferBytes = 512;

} // namespace

Retrieval::Retrieval(RetrievalUi ui, Settings settings) : m_ui(ui), m_settings(std::move(settings)) {}

Retrieval::~Retrieval() {
    if (m_port)
        closeAllPorts();
}

void Retrieval::enter(State state) {
    m_state = state;
    const Controls controls = controlsFor(state, m_outcome);
    m_ui.window.setTimerEnabled(controls.timer);
    m_ui.window.setRetrieveEnabled(controls.retrieve);
    switch (controls.buttons) {
    case Buttons::Keep: break;
    case Buttons::Neither: m_ui.status.setStatusButtons(false, false); break;
    case Buttons::OkOnly: m_ui.status.setStatusButtons(true, false); break;
    case Buttons::OkAndRetry: m_ui.status.setStatusButtons(true, true); break;
    }
    if (controls.cancelHint != Set::Keep)
        m_ui.status.setCancelHintVisible(controls.cancelHint == Set::On);
    if (controls.statusDialog == Set::On && !m_visible.statusDialog) {
        m_ui.status.showStatusDialog();
        m_visible.statusDialog = true;
    } else if (controls.statusDialog == Set::Off) {
        m_ui.status.hideStatusDialog();
        m_visible.statusDialog = false;
    }
    if (controls.modemWindow == Set::Off && m_visible.modemWindow) {
        m_ui.status.hideModemStatus();
        m_visible.modemWindow = false;
    }
}

void Retrieval::showModemLine(const std::string &text) {
    m_ui.status.showModemStatus(text);
    m_visible.modemWindow = true;
}

void Retrieval::closeAllPorts() {
    korlink::COMMPortsDeinitAll();
    m_port = nullptr;
}

void Retrieval::finish(Outcome outcome) {
    if (m_port)
        closeAllPorts();
    m_folderLock.reset(); // the intake, if any, has ended
    // After a cancel every end that is not data on disk is the cancel's.
    const bool dataArrived = outcome == Outcome::Complete || outcome == Outcome::IntakeFailed;
    m_outcome = m_cancelled && !dataArrived ? Outcome::Cancelled : outcome;
    enter(State::Idle);
}

void Retrieval::fail(Outcome outcome, const std::string &message) {
    finish(outcome);
    m_failure = message;
    m_ui.questions.messageBox(message);
}

bool Retrieval::openPort() {
    m_port = korlink::COMMWinInit(m_settings.port, kBaud, kDataBits, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE,
                                  kReceiveBufferBytes, kTransmitBufferBytes);
    if (!m_port)
        fail(Outcome::OpenFailed, "Unable to open Port!\n" + portReason(comDevicePath(m_settings.port)));
    return m_port != nullptr;
}

std::filesystem::path Retrieval::inDataDir(const std::string &name) const {
    return m_settings.dataDir.empty() ? std::filesystem::path(name) : m_settings.dataDir / name;
}

// Takes the data folder's lock and moves an image kept from an earlier
// retrieval aside, so the new receive cannot overwrite it. False when the
// retrieval has ended here.
bool Retrieval::takeDataFolder() {
    auto taken = FolderLock::take(m_settings.dataDir);
    if (auto *refusal = std::get_if<FolderLockRefusal>(&taken)) {
        fail(Outcome::FolderRefused, refusal->error.message());
        return false;
    }
    m_folderLock.emplace(std::move(std::get<FolderLock>(taken)));
    const std::filesystem::path kept = inDataDir(kReceivedFileName);
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(kept, error)))
        return true; // nothing kept (the receive replaces a link; anything else fails it)
    auto moved = moveAside(kept, kKeptImagePrefix);
    if (!moved) {
        fail(Outcome::FolderRefused, moved.error().message());
        return false;
    }
    m_ui.status.showNotice("The data kept from an earlier retrieval was moved to " + moved.value().string() +
                           "; take it in with: trelmlink convert " + moved.value().string());
    return true;
}

void Retrieval::checkPort() { retrieval::checkPort(m_port, m_ui.questions); }

void Retrieval::cmdRetrieve_Click() {
    if (running())
        return; // one retrieval at a time: a second open would close the first's port
    m_outcome = Outcome::Running;
    m_failure.clear();
    m_intake = IntakeReport{};
    m_cancelled = false;
    m_diskFailed = false;
    m_viaModem = false;
    m_expectedBytes = 0;
    m_wakeUp.dataModule = false;
    if (!takeDataFolder())
        return;
    enter(State::Probing);
    m_ui.status.loadStatusDialog();
    m_ui.status.setHangUpEnabled(false);
    m_visible.statusDialog = false;
    if (!openPort())
        return;
    switch (connectionProbe()) {
    case Link::Direct:
        if (openPort()) // the probe closed it
            enter(State::WakingLogger);
        break;
    case Link::Modem:
        m_viaModem = true;
        m_ui.status.setHangUpEnabled(true);
        m_wakeUp.step = 0;
        enter(State::WakingAfterCall);
        break;
    case Link::Ended:
        if (running())
            finish(Outcome::ModemFailed);
        break;
    }
}

void Retrieval::cmdRetry_Click() {
    if (m_state != State::WakeUpFailed || !m_port)
        return;
    m_wakeUp.step = 0;
    enter(State::WakingLogger);
}

void Retrieval::statusDialogUnloaded() {
    m_visible.statusDialog = false; // the dialog hid itself
    closeAllPorts();
    // During the transfer the receive sees its port closed and ends the
    // retrieval itself.
    if (running() && !isReceiving(m_state))
        finish(Outcome::Abandoned);
}

void Retrieval::cancel() {
    if (!running() || m_cancelled)
        return;
    m_cancelled = true;
    switch (m_state) {
    case State::Receiving:
    case State::ReceivingFromModule:
    case State::TakingIn:
    case State::ShowingEvent:
        return; // the receive ends on the pump's Escape; the intake runs to its end
    case State::Probing:
    case State::CheckingModem:
    case State::AskingNumber:
    case State::Dialling:
        // A poll waits below this call and ends the retrieval when it looks.
        closeAllPorts();
        enter(State::HangingUp);
        return;
    case State::HangingUp:
        return;
    default:
        finish(Outcome::Cancelled);
        return;
    }
}

void Retrieval::CmdHangUp_Click() {
    if (m_port)
        checkPort();
    closeAllPorts();
    switch (m_state) {
    case State::CheckingModem:
    case State::AskingNumber:
    case State::Dialling:
        // The dial-up waits below this call: it ends the retrieval when its
        // wait returns, not now, so "&Retrieve Data" cannot start another
        // retrieval inside that wait.
        enter(State::HangingUp);
        break;
    case State::Idle:
    case State::HangingUp:
        break;
    default:
        finish(Outcome::HungUp);
        break;
    }
}

void Retrieval::escapePressed() {
    if (m_state == State::CheckingModem || m_state == State::Dialling)
        CmdHangUp_Click();
}

} // namespace trelm::retrieval
