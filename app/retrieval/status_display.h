// What the retrieval shows while it runs: the status dialog frmDownLoadStat
// (progress line, cancel hint, "&OK" and "&Retry", message log, byte
// counter) and the modem window frmDownLoadModem. The retrieval decides
// which of them are shown and enabled (retrieval_controls.h); this role only
// carries it out. Every call runs on the user-interface thread, also those
// made from inside the library's waits.
#pragma once

#include <cstdint>
#include <string>

namespace trelm::retrieval {

class StatusDisplay {
public:
    virtual ~StatusDisplay() = default;

    // Loading the status dialog empties its progress line, message log and
    // byte counter and hides the cancel hint lblMsg.
    virtual void loadStatusDialog() = 0;
    virtual void setDownloadStatus(const std::string &text) = 0; // lblDownloadStat
    virtual void setCancelHintVisible(bool visible) = 0;          // lblMsg
    virtual void setStatusButtons(bool okEnabled, bool retryEnabled) = 0;
    virtual void showStatusDialog() = 0; // shown modally, without blocking the caller
    virtual void hideStatusDialog() = 0;
    // The dialog's message log (one line without its CR LF) and byte counter.
    virtual void appendMessageLog(const std::string &line) = 0;
    virtual void setBytesTransferred(std::int64_t bytes) = 0;

    // Something the operator must know besides the progress line (an image
    // kept from an earlier retrieval was moved aside): the message log by
    // default; front ends that can show more do.
    virtual void showNotice(const std::string &text) { appendMessageLog(text); }
    // "Hang Up Modem": offered only while the line is a modem call.
    virtual void setHangUpEnabled(bool) {}
    // The size the transfer should reach: the event area for Event data,
    // the whole memory for All data or a data module.
    virtual void setExpectedBytes(std::int64_t) {}

    // The modem window and its one status line: showing a line shows the window.
    virtual void showModemStatus(const std::string &text) = 0;
    virtual void hideModemStatus() = 0;
};

} // namespace trelm::retrieval
