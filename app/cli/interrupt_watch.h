// Ctrl-C and SIGTERM during `trelmlink retrieve`: the handler only notes the
// signal; the serial library's pump, which runs inside every wait of the
// retrieval, turns it into the cancel of whatever step runs (the Escape key
// for a transfer, so the cancel sequence goes out), and keeps the operator
// told while something is awaited.
#pragma once

#include <csignal>

#include "retrieval/retrieval.h"

namespace trelm::cli {

class RetrieveUi;

class InterruptWatch {
public:
    // Watches for the lifetime of the object; the old handlers after.
    InterruptWatch(retrieval::Retrieval &retrieval, RetrieveUi &ui);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

    // Whether a signal came since the watch began.
    static bool interrupted();
    // Ends the current step of the retrieval when a signal came; true then.
    static bool cancelIfInterrupted();

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

} // namespace trelm::cli
