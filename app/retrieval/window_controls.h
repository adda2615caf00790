// The main window as the retrieval drives it: the timer StartDownLoad,
// "&Retrieve Data", the file commands "&Print Report" and "&Export File",
// the grids, the summary tab, and where the intake's own messages go.
#pragma once

#include <string>

#include "datafile/message_port.h"
#include "datafile/result.h"

namespace trelm::retrieval {

class WindowControls {
public:
    virtual ~WindowControls() = default;

    virtual void setTimerEnabled(bool enabled) = 0;
    virtual void setRetrieveEnabled(bool enabled) = 0;
    virtual void enableFileCommands() = 0;
    virtual Status fillGrids(const std::string &eventFile) = 0;
    virtual void showSummaryTab() = 0;
    // Where the intake's messages ("Exporting data...") go.
    virtual MessagePort &messages() = 0;
};

// No window: the command line's retrieval, which its own loop paces, has no
// timer, commands or grids to set; the intake's messages go to `messages`.
class HeadlessWindow final : public WindowControls {
public:
    explicit HeadlessWindow(MessagePort &messages) : m_messages(messages) {}

    void setTimerEnabled(bool) override {}
    void setRetrieveEnabled(bool) override {}
    void enableFileCommands() override {}
    Status fillGrids(const std::string &) override { return Done{}; }
    void showSummaryTab() override {}
    MessagePort &messages() override { return m_messages; }

private:
    MessagePort &m_messages;
};

} // namespace trelm::retrieval
