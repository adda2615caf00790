// The receive step: the XMODEM-CRC receive of the memory image, then the
// intake that turns it into event files, and the grids.
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "export/export_event.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/retrieval.h"
#include "retrieval/transfer_status.h"
#include "settings/process_state.h"

namespace trelm::retrieval {

namespace {

constexpr std::int16_t kXmodemCrc = 106;
constexpr std::int32_t kReceiveBuffer = 4096;
constexpr std::int16_t kItemTimeout = 203;
constexpr std::int16_t kItemRetries = 207;
constexpr std::int16_t kItemFileName = 208;
// After a transfer that did not end well the receive has just sent the
// cancel sequence; closing the port discards output the line has not yet
// taken, and a sender that never sees it goes on through all its retries.
// Ten bytes take 11 ms at 9600 baud.
constexpr std::int32_t kCancelDrainMs = 100;

// The library writes the received file in the working directory: enter the
// data folder for the receive, and return afterwards.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path &dir) {
        if (dir.empty())
            return;
        std::error_code error;
        m_previous = std::filesystem::current_path(error);
        if (error)
            m_previous.clear();
        else
            std::filesystem::current_path(dir, error);
        m_entered = !error;
    }
    ~WorkingDirectory() {
        if (m_entered && !m_previous.empty()) {
            std::error_code error;
            std::filesystem::current_path(m_previous, error);
        }
    }
    bool failed() const { return !m_entered && !m_previous.empty(); }

private:
    std::filesystem::path m_previous;
    bool m_entered = false;
};

std::filesystem::path inDir(const std::filesystem::path &dir, const std::string &name) {
    return dir.empty() ? std::filesystem::path(name) : dir / name;
}

} // namespace

void Retrieval::receiveStep() {
    const bool received = m_port && runReceive(m_port);
    if (!received) {
        if (m_port)
            korlink::ms_pause(kCancelDrainMs);
        m_ui.setDownloadStatus("Transfer stopped or corrupted!");
        m_ui.setStatusButtons(true, false);
        if (m_failure.empty())
            m_failure = "Transfer stopped or corrupted!";
        finish(Outcome::TransferFailed);
        return;
    }
    m_ui.setDownloadStatus("Retrieving data...");
    closeAllPorts(); // the line is done with; the intake needs only the file
    takeIn();
}

bool Retrieval::runReceive(PortHandle port) {
    WorkingDirectory entered(m_settings.dataDir);
    if (entered.failed()) {
        m_failure = m_settings.dataDir.string() + ": the data folder cannot be entered";
        return false;
    }
    // The image always lands under the one name the intake reads: a sender
    // announcing a name of its own (a YMODEM header) must never be able to
    // name, and so overwrite, swap.bin or an event file.
    korlink::COMMXMODEMSet(port, kItemFileName, reinterpret_cast<std::intptr_t>(kReceivedFileName));
    if (m_settings.xmodemTimeoutMs > 0)
        korlink::COMMXMODEMSet(port, kItemTimeout, m_settings.xmodemTimeoutMs);
    if (m_settings.xmodemRetries > 0)
        korlink::COMMXMODEMSet(port, kItemRetries, m_settings.xmodemRetries);
    TransferLog log(m_ui);
    m_receiving = true;
    const std::int16_t result = korlink::freceive(port, kXmodemCrc, kReceiveBuffer, &X_Status, 0);
    m_receiving = false;
    if (result < 0)
        return false;
    if (m_port != port) { // the dialog was closed during the transfer
        m_failure = "the port was closed during the transfer";
        return false;
    }
    // A file that could not be written ends the receive with result 0 and
    // the port's last error 4003: that is no complete transfer.
    if (const std::int16_t lastError = korlink::COMMErrnoGet(port); lastError != 0) {
        m_failure = inDir(m_settings.dataDir, kReceivedFileName).string() +
                    ": the received data could not be written (error " + std::to_string(lastError) + ")";
        m_ui.messageBox(m_failure);
        return false;
    }
    return true;
}

void Retrieval::takeIn() {
    const std::filesystem::path dir = m_settings.dataDir.empty() ? std::filesystem::path(".") : m_settings.dataDir;
    const std::filesystem::path received = inDir(m_settings.dataDir, kReceivedFileName);
    auto report = ConvertReceivedFile(received, dir, csvExportByModel(m_ui.messages()));
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
            processState().CurrentBinFile = inDir(m_settings.dataDir, m_intake.currentBinFile).string();
            processState().ExportCsvFile = m_intake.exportCsvFile;
        }
    } else {
        failed = report.error().message();
    }
    m_ui.setStatusButtons(true, false);
    if (!failed.empty()) {
        // Not "Transfer complete!": the data is not safely on disk. The
        // received file stays under its name, so the intake can be run again.
        m_failure = failed;
        m_ui.setDownloadStatus("Received data not saved!");
        m_ui.messageBox(failed + "\nThe received data is kept in " + received.string() +
                        " and can be taken in later with: trelmlink convert");
    } else {
        m_ui.setDownloadStatus("Transfer complete!");
        m_ui.hideStatusDialog();
    }
    const std::string &current = processState().CurrentBinFile;
    std::error_code error;
    if (!m_intake.currentBinFile.empty() && std::filesystem::exists(current, error)) {
        if (Status filled = m_ui.fillGrids(current); !filled)
            m_ui.messageBox(filled.error().message());
        m_ui.showSummaryTab();
    }
    finish(failed.empty() ? Outcome::Complete : Outcome::IntakeFailed);
}

} // namespace trelm::retrieval
