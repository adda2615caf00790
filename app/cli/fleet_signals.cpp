#include "cli/fleet_signals.h"

#include <initializer_list>
#include <sys/signalfd.h>
#include <unistd.h>

namespace trelm::cli {

FleetSignals::FleetSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM, SIGCHLD})
        sigaddset(&signals, signal);
    sigprocmask(SIG_BLOCK, &signals, &m_oldMask);
    m_fd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
}

FleetSignals::~FleetSignals() {
    if (m_fd >= 0)
        ::close(m_fd);
    sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
}

bool FleetSignals::readStopRequests() {
    bool stop = false;
    signalfd_siginfo info{};
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        if (info.ssi_signo == SIGINT || info.ssi_signo == SIGTERM)
            stop = true;
    return stop;
}

} // namespace trelm::cli
