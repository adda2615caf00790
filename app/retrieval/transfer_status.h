// The status callback of a receive: each report of the library becomes a
// trace line and, for most codes, a readable line in the status dialog's
// message log; the byte counts keep the dialog's counter current.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "korlink.h"
#include "retrieval/retrieval_ui.h"

namespace trelm::retrieval {

// The readable line for a status code, without CR LF, from the window's
// column of the shared status table (korlink/common/status_words.h): empty
// text for a code without a message, nothing for the codes that add no line
// (the byte counts 4009 to 4011, 4006, 4008, 4013, and 110 outside its frame
// names). `param` is the report's parameter; for 4012 it designates a file
// name.
std::optional<std::string> statusMessage(std::int32_t status, std::intptr_t param);

// "X_Status: hP=<port> nStatus=<status> dwParm=<param>".
std::string traceLine(PortHandle port, std::int32_t status, std::intptr_t param);

// The callback given to freceive. It reports to the TransferLog in force on
// this thread; with none it does nothing. Returns 0.
int X_Status(PortHandle hPort, std::int32_t nStatus, std::intptr_t dwparam);

// Routes X_Status to one user interface for its lifetime (one receive).
class TransferLog {
public:
    explicit TransferLog(RetrievalUi &ui);
    ~TransferLog();
    TransferLog(const TransferLog &) = delete;
    TransferLog &operator=(const TransferLog &) = delete;

    void report(PortHandle port, std::int32_t status, std::intptr_t param);
    // The length a batch header announced (status 4013), 0 when none did.
    std::int64_t announcedLength() const { return m_announcedLength; }
    std::int64_t bytes() const { return m_bytes; }

private:
    RetrievalUi &m_ui;
    TransferLog *m_outer;
    std::int64_t m_announcedLength = 0;
    std::int64_t m_bytes = 0;
};

} // namespace trelm::retrieval
