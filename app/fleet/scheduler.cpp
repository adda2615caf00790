#include "fleet/scheduler.h"

#include <algorithm>
#include <set>

namespace trelm::fleet {

Scheduler::Scheduler(std::vector<Job> jobs, int parallel)
    : m_jobs(std::move(jobs)), m_states(m_jobs.size()), m_parallel(static_cast<std::size_t>(std::max(1, parallel))) {}

bool Scheduler::lineBusy(const std::string &line) const {
    for (std::size_t i = 0; i < m_jobs.size(); ++i)
        if (m_states[i].phase == Phase::Running && m_jobs[i].line == line)
            return true;
    return false;
}

std::size_t Scheduler::running() const {
    return static_cast<std::size_t>(
        std::count_if(m_states.begin(), m_states.end(), [](const State &s) { return s.phase == Phase::Running; }));
}

std::vector<std::size_t> Scheduler::startable(Millis now) const {
    std::vector<std::size_t> chosen;
    std::size_t slots = m_parallel > running() ? m_parallel - running() : 0;
    std::set<std::string> taken; // lines chosen in this call
    // Ready stations in the order they became ready, the file's order
    // breaking ties, so a station back from its pause does not jump ahead
    // of one that has waited for the line longer.
    std::vector<std::size_t> ready;
    for (std::size_t i = 0; i < m_jobs.size(); ++i)
        if (m_states[i].phase == Phase::Waiting && m_states[i].readyAt <= now)
            ready.push_back(i);
    std::stable_sort(ready.begin(), ready.end(),
                     [this](std::size_t a, std::size_t b) { return m_states[a].readyAt < m_states[b].readyAt; });
    for (std::size_t i : ready) {
        if (slots == 0)
            break;
        if (lineBusy(m_jobs[i].line) || !taken.insert(m_jobs[i].line).second)
            continue;
        chosen.push_back(i);
        --slots;
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

void Scheduler::started(std::size_t station, Millis) {
    m_states[station].phase = Phase::Running;
    ++m_states[station].attempts;
}

bool Scheduler::finished(std::size_t station, int exitStatus, Millis now) {
    State &state = m_states[station];
    state.exitStatus = exitStatus;
    if (exitStatus == kRetrieveLine && state.attempts <= m_jobs[station].retries) {
        state.phase = Phase::Waiting;
        state.readyAt = now + m_jobs[station].retryPause;
        return true;
    }
    state.phase = Phase::Done;
    return false;
}

void Scheduler::refuse(std::size_t station, int exitStatus) {
    m_states[station].phase = Phase::Done;
    m_states[station].exitStatus = exitStatus;
}

void Scheduler::cancelWaiting() {
    for (State &state : m_states)
        if (state.phase == Phase::Waiting)
            state.phase = Phase::Done;
}

std::optional<Millis> Scheduler::nextReady(Millis now) const {
    std::optional<Millis> next;
    for (const State &state : m_states)
        if (state.phase == Phase::Waiting && state.readyAt > now && (!next || state.readyAt < *next))
            next = state.readyAt;
    return next;
}

bool Scheduler::done() const {
    return std::all_of(m_states.begin(), m_states.end(), [](const State &s) { return s.phase == Phase::Done; });
}

int fleetExitStatus(const std::vector<int> &stationStatuses, bool cancelled) {
    const auto any = [&](int status) {
        return std::find(stationStatuses.begin(), stationStatuses.end(), status) != stationStatuses.end();
    };
    if (any(kRetrieveSetUp))
        return kRetrieveSetUp;
    if (any(kRetrieveNotTakenIn))
        return kRetrieveNotTakenIn;
    const bool allGood = std::all_of(stationStatuses.begin(), stationStatuses.end(),
                                     [](int status) { return status == kRetrieveSuccess; });
    return allGood && !cancelled ? kRetrieveSuccess : kRetrieveLine;
}

} // namespace trelm::fleet
