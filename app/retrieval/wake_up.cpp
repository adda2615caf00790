// The wake-up dialogue, one step per 400 ms tick of StartDownLoad, and the
// start of the transfer at step 8.
#include "datafile/records.h"
#include "korlink_binder/fill_str.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/retrieval.h"

namespace trelm::retrieval {

namespace {

constexpr int kMissLimit = 15;
constexpr char kCarriageReturn = '\r';
constexpr char kEscape = 27;

} // namespace

void Retrieval::StartDownLoad_Timer() {
    if (!timerEnabled() || !m_port)
        return;
    switch (m_wakeUp.step) {
    case 0:
        checkPort();
        m_ui.status.setDownloadStatus("Waking DataLogger...");
        m_wakeUp.step = 1;
        break;
    case 1: wakeUpStep1(); break;
    case 2: korlink::c_putc(m_port, 'p'); m_wakeUp.step = 3; break;
    case 3: korlink::c_putc(m_port, '0'); m_wakeUp.step = 4; break;
    case 4: korlink::c_putc(m_port, kCarriageReturn); m_wakeUp.step = 5; break;
    case 5: korlink::c_putc(m_port, kCarriageReturn); m_wakeUp.step = 6; break;
    case 6:
        checkPort();
        korlink::c_putc(m_port, 'b');
        m_wakeUp.step = 7;
        break;
    case 7:
        m_ui.status.setDownloadStatus("Starting Download...");
        m_wakeUp.step = 8;
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
            m_wakeUp.dataModule = true;
            m_wakeUp.step = 2;
        } else if (text.size() == 1 && text[0] == kCarriageReturn) {
            m_wakeUp.step = 7;
        } else {
            ++m_wakeUp.misses;
            checkPort();
        }
    } else {
        ++m_wakeUp.misses;
    }
    if (m_wakeUp.misses > kMissLimit) {
        m_wakeUp.misses = 0;
        m_ui.status.setDownloadStatus("Error Waking DataLogger!");
        m_wakeUp.step = 0;
        enter(State::WakeUpFailed);
    }
}

void Retrieval::startTransfer() {
    m_wakeUp.step = 0;
    if (m_wakeUp.dataModule) {
        // The 'b' of step 6 started the module's transfer: nothing more to send.
        m_wakeUp.dataModule = false;
        m_expectedBytes = MemoryImage::kSize;
        m_ui.status.setExpectedBytes(m_expectedBytes);
        enter(State::ReceivingFromModule);
        m_ui.status.setDownloadStatus("Downloading From Data Module, Please Wait...");
    } else {
        // The timer stops before the question: a tick during it must not
        // start a second transfer.
        enter(State::AskingScope);
        const bool eventsOnly = m_ui.questions.askEventDataOnly();
        if (m_state != State::AskingScope)
            return; // ended while the question was open
        m_expectedBytes = eventsOnly ? MemoryImage::kEventAreaEnd : MemoryImage::kSize;
        m_ui.status.setExpectedBytes(m_expectedBytes);
        enter(State::Receiving);
        m_ui.status.setDownloadStatus(eventsOnly ? "Downloading Event Data From TRELM Unit, Please Wait..."
                                                 : "Downloading All Data From TRELM Unit, Please Wait...");
        const std::string command = std::string(1, kEscape) + (eventsOnly ? "{TFH" : "{TFA") + kCarriageReturn;
        korlink::c_puts(m_port, command.c_str());
    }
    receiveStep();
    // Export and Print follow a file that was taken in; a retrieval without
    // data leaves them as they were.
    if (!m_intake.currentBinFile.empty())
        m_ui.window.enableFileCommands();
}

} // namespace trelm::retrieval
