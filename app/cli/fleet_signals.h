// The signals a fleet run waits for (Ctrl-C, SIGTERM, a child's end),
// blocked for the lifetime of the object and read through a signalfd that
// polls beside the children's pipes.
#pragma once

#include <csignal>

namespace trelm::cli {

class FleetSignals {
public:
    FleetSignals();  // blocks the signals; fd() is -1 when the signalfd cannot be made
    ~FleetSignals(); // the old mask and handlers again
    FleetSignals(const FleetSignals &) = delete;
    FleetSignals &operator=(const FleetSignals &) = delete;

    int fd() const { return m_fd; }
    // Reads every pending signal; true when one of them asks to stop.
    bool readStopRequests();

private:
    int m_fd = -1;
    sigset_t m_oldMask{};
};

} // namespace trelm::cli
