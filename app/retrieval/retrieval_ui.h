// What the retrieval shows and asks while it runs: the user-interface port
// between the Qt-free retrieval and its two front ends (the window's status
// and modem dialogs, the command line's stderr lines). Every call runs on the
// user-interface thread, also those made from inside the library's waits.
#pragma once

#include <cstdint>
#include <string>

#include "datafile/message_port.h"
#include "datafile/result.h"

namespace trelm::retrieval {

class RetrievalUi {
public:
    virtual ~RetrievalUi() = default;

    // The status dialog frmDownLoadStat. Loading it empties its progress
    // line, message log and byte counter and hides lblMsg.
    virtual void loadStatusDialog() = 0;
    virtual void setDownloadStatus(const std::string &text) = 0; // lblDownloadStat
    virtual void setCancelHintVisible(bool visible) = 0;          // lblMsg
    virtual void setStatusButtons(bool okEnabled, bool retryEnabled) = 0;
    virtual void showStatusDialog() = 0; // shown modally, without blocking the caller
    virtual void hideStatusDialog() = 0;
    // The dialog's message log (one line without its CR LF) and byte counter.
    virtual void appendMessageLog(const std::string &line) = 0;
    virtual void setBytesTransferred(std::int64_t bytes) = 0;

    // The modem window frmDownLoadModem and its one status line.
    virtual void showModemStatus(const std::string &text) = 0;
    virtual void hideModemStatus() = 0;

    // A message box with an OK button.
    virtual void messageBox(const std::string &text) = 0;
    // "Would you like to only download the Event Data?": true for Yes.
    virtual bool askEventDataOnly() = 0;
    // "Enter Phone Number:" offering `stored`; empty text when cancelled.
    virtual std::string askPhoneNumber(const std::string &stored) = 0;

    // The settings file, with the front end's way of telling a failure.
    virtual std::string readSetting(const std::string &section, const std::string &key) = 0;
    virtual void writeSetting(const std::string &section, const std::string &key, const std::string &value) = 0;

    // The main window: the timer StartDownLoad, "&Retrieve Data", the file
    // commands "&Print Report" and "&Export File", the grids and tab 0.
    virtual void setTimerEnabled(bool enabled) = 0;
    virtual void setRetrieveEnabled(bool enabled) = 0;
    virtual void enableFileCommands() = 0;
    virtual Status fillGrids(const std::string &eventFile) = 0;
    virtual void showSummaryTab() = 0;

    // Where the intake's own messages ("Exporting data...") go.
    virtual MessagePort &messages() = 0;
};

} // namespace trelm::retrieval
