#include "retrieval/transfer_status.h"

#include "common/status_words.h"

namespace trelm::retrieval {

namespace {

thread_local TransferLog *t_active = nullptr;

} // namespace

std::optional<std::string> statusMessage(std::int32_t status, std::intptr_t param) {
    using namespace korlink::common;
    if (status == KORLINK_STATUS_RECOGNISED) {
        const RecognisedRow *row = recognisedRow(param);
        return row ? wordingText(row->window, param) : std::string();
    }
    const StatusRow *row = statusRow(status);
    return row ? wordingText(row->window, param) : std::string();
}

std::string traceLine(PortHandle port, std::int32_t status, std::intptr_t param) {
    // The handle in decimal, as the dialog has always shown it.
    return "X_Status: hP=" + std::to_string(reinterpret_cast<std::intptr_t>(port)) +
           " nStatus=" + std::to_string(status) + " dwParm=" + std::to_string(param);
}

int X_Status(PortHandle hPort, std::int32_t nStatus, std::intptr_t dwparam) {
    if (t_active)
        t_active->report(hPort, nStatus, dwparam);
    return 0;
}

TransferLog::TransferLog(RetrievalUi &ui) : m_ui(ui), m_outer(t_active) { t_active = this; }

TransferLog::~TransferLog() { t_active = m_outer; }

void TransferLog::report(PortHandle port, std::int32_t status, std::intptr_t param) {
    m_ui.appendMessageLog(traceLine(port, status, param));
    if (status == KORLINK_STATUS_BYTE_COUNT || status == korlink::common::kStatusByteCountB ||
        status == korlink::common::kStatusByteCountC) {
        m_bytes = param;
        m_ui.setBytesTransferred(param);
        return;
    }
    if (status == KORLINK_STATUS_FILE_LENGTH)
        m_announcedLength = param;
    if (const std::optional<std::string> message = statusMessage(status, param))
        m_ui.appendMessageLog(*message);
}

} // namespace trelm::retrieval
