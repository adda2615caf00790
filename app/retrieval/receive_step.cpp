// The receive step: the XMODEM-CRC receive of the memory image, then the
// intake that turns it into event files, and the grids.
#include <filesystem>
#include <system_error>

#include "datafile/received_image.h"
#include "export/export_event.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/failure_reason.h"
#include "retrieval/retrieval.h"
#include "retrieval/scoped_process_state.h"
#include "retrieval/transfer_status.h"
#include "settings/process_state.h"

namespace trelm::retrieval {

namespace {

constexpr std::int32_t kReceiveBuffer = 4096;
// After a transfer that did not end well the receive has just sent the
// cancel sequence; closing the port discards output the line has not yet
// taken, and a sender that never sees it goes on through all its retries.
// Ten bytes take 11 ms at 9600 baud.
constexpr std::int32_t kCancelDrainMs = 100;

} // namespace

void Retrieval::receiveStep() {
    const bool received = m_port && runReceive(m_port);
    if (!received) {
        if (m_port)
            korlink::ms_pause(kCancelDrainMs);
        const char *const stopped = "Transfer stopped or corrupted!";
        m_ui.status.setDownloadStatus(stopped);
        // The status text, then the reason, then where the partial data went.
        std::string message = stopped;
        if (!m_failure.empty())
            message += "\n" + m_failure;
        if (const std::string partial = keepPartialImage(); !partial.empty())
            message += "\n" + partial;
        m_failure = message;
        m_ui.questions.messageBox(message);
        // A file the data folder cannot take fails every retry alike.
        finish(m_diskFailed ? Outcome::DiskFailed : Outcome::TransferFailed);
        return;
    }
    m_ui.status.setDownloadStatus("Retrieving data...");
    closeAllPorts(); // the line is done with; the intake needs only the file
    enter(State::TakingIn);
    takeIn();
}

bool Retrieval::runReceive(PortHandle port) {
    m_diskFailed = false;
    // The library writes the received file into the working directory.
    ScopedProcessState process;
    if (!process.enterDirectory(m_settings.dataDir)) {
        m_failure = m_settings.dataDir.string() + ": the data folder cannot be entered";
        return false;
    }
    // The image always lands under the one name the intake reads: a sender
    // announcing a name of its own (a YMODEM header) must never be able to
    // name, and so overwrite, swap.bin or an event file.
    korlink::COMMXMODEMSet(port, KORLINK_XMODEM_FILE_NAME, reinterpret_cast<std::intptr_t>(kReceivedFileName));
    if (m_settings.xmodemTimeoutMs > 0)
        korlink::COMMXMODEMSet(port, KORLINK_XMODEM_TIMEOUT_MS, m_settings.xmodemTimeoutMs);
    if (m_settings.xmodemRetries > 0)
        korlink::COMMXMODEMSet(port, KORLINK_XMODEM_RETRY_LIMIT, m_settings.xmodemRetries);
    TransferLog log(m_ui);
    const std::int16_t result = korlink::freceive(port, KORLINK_PROTO_XMODEM_CRC, kReceiveBuffer, &X_Status, 0);
    if (m_port != port) { // the dialog was closed during the transfer
        m_failure = "the port was closed during the transfer";
        return false;
    }
    // A failed receive, and a file that could not be written (result 0 with
    // the last error KORLINK_STATUS_FILE_FAILED), are no complete transfer:
    // the last error says why.
    const std::int16_t lastError = korlink::COMMErrnoGet(port);
    m_diskFailed = lastError == KORLINK_STATUS_FILE_FAILED;
    if (result >= 0 && lastError == 0)
        return true;
    const auto retries = korlink::COMMXMODEMGet(port, KORLINK_XMODEM_RETRY_LIMIT);
    m_failure = transferReason(lastError, inDataDir(kReceivedFileName),
                               static_cast<int>(retries > 0 ? retries : 0));
    return false;
}

// Moves what a failed transfer left under the received name to a name that
// says it is partial, and returns the line that names it; an empty file is
// removed (nothing arrived).
std::string Retrieval::keepPartialImage() {
    const std::filesystem::path received = inDataDir(kReceivedFileName);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(received, error);
    if (!std::filesystem::is_regular_file(status))
        return {};
    const std::uintmax_t bytes = std::filesystem::file_size(received, error);
    if (!error && bytes == 0) {
        std::filesystem::remove(received, error);
        return {};
    }
    auto moved = moveAside(received, partialPrefix(bytes));
    if (!moved)
        return "The partial data stays in " + received.string() + " (" + moved.error().reason + ")";
    return "The partial data (" + std::to_string(bytes) + " bytes) is kept in " + moved.value().string();
}

void Retrieval::takeIn() {
    const std::filesystem::path dir = m_settings.dataDir.empty() ? std::filesystem::path(".") : m_settings.dataDir;
    const std::filesystem::path received = inDataDir(kReceivedFileName);
    auto report = ConvertReceivedFile(received, dir, csvExportByModel(m_ui.window.messages()));
    std::string failed;
    if (report) {
        m_intake = report.value();
        for (const Error &failure : m_intake.failures) {
            if (!failed.empty())
                failed += '\n';
            failed += failure.message();
        }
        // What was taken in becomes the current file, also when other
        // events failed.
        if (!m_intake.currentBinFile.empty()) {
            processState().CurrentBinFile = inDataDir(m_intake.currentBinFile).string();
            processState().ExportCsvFile = m_intake.exportCsvFile;
        }
    } else {
        failed = report.error().message();
    }
    if (!failed.empty()) {
        // Not "Transfer complete!": the data is not safely on disk. The
        // received file stays under its name, so the intake can be run again.
        m_failure = failed;
        m_ui.status.setDownloadStatus("Received data not saved!");
        m_ui.questions.messageBox(failed + "\nThe received data is kept in " + received.string() +
                                  " and can be taken in later with: trelmlink convert");
    } else {
        m_ui.status.setDownloadStatus("Transfer complete!");
        enter(State::ShowingEvent);
    }
    const std::string &current = processState().CurrentBinFile;
    std::error_code error;
    if (!m_intake.currentBinFile.empty() && std::filesystem::exists(current, error)) {
        if (Status filled = m_ui.window.fillGrids(current); !filled)
            m_ui.questions.messageBox(filled.error().message());
        m_ui.window.showSummaryTab();
    }
    finish(failed.empty() ? Outcome::Complete : Outcome::IntakeFailed);
}

} // namespace trelm::retrieval
