// The order of a fleet run, as pure logic on a millisecond clock: stations
// on different lines side by side up to a number of jobs, stations sharing
// a line (a modem, a port) one after another, a retry-may-work failure
// tried again after its pause, anything else final. The runner feeds it
// starts and ends; tests feed it a made-up clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trelm::fleet {

using Millis = std::int64_t;

// The exit statuses of `trelmlink retrieve` the scheduler acts on.
inline constexpr int kRetrieveSuccess = 0;
inline constexpr int kRetrieveSetUp = 3;
inline constexpr int kRetrieveLine = 4;   // a retry may work
inline constexpr int kRetrieveNotTakenIn = 5;
// A station never started because the run was cancelled.
inline constexpr int kNotRun = -1;

struct Job {
    std::string line;      // stations with equal lines never run at once
    int retries = 0;       // further attempts after a retry-may-work failure
    Millis retryPause = 0;
};

class Scheduler {
public:
    Scheduler(std::vector<Job> jobs, int parallel);

    // The stations to start at `now`, in the order of the file: ready,
    // their line free, no more than the free job slots.
    std::vector<std::size_t> startable(Millis now) const;
    void started(std::size_t station, Millis now);
    // Records an attempt's exit status; true when the station will be tried again.
    bool finished(std::size_t station, int exitStatus, Millis now);
    // A station that cannot be started at all (its device is missing).
    void refuse(std::size_t station, int exitStatus);
    // Stations not yet started are not started any more (Ctrl-C).
    void cancelWaiting();

    // When the next waiting station becomes ready, if it is later than
    // `now`; nothing when none is waiting for its pause.
    std::optional<Millis> nextReady(Millis now) const;
    bool done() const;
    std::size_t running() const;

    int attempts(std::size_t station) const { return m_states[station].attempts; }
    // The last attempt's exit status, kNotRun when it never ran.
    int exitStatus(std::size_t station) const { return m_states[station].exitStatus; }
    bool isRunning(std::size_t station) const { return m_states[station].phase == Phase::Running; }

private:
    enum class Phase { Waiting, Running, Done };
    struct State {
        Phase phase = Phase::Waiting;
        Millis readyAt = 0;
        int attempts = 0;
        int exitStatus = kNotRun;
    };
    bool lineBusy(const std::string &line) const;

    std::vector<Job> m_jobs;
    std::vector<State> m_states;
    std::size_t m_parallel;
};

// The exit status of a whole run from every station's last status: a
// misconfigured station (3) first, as no retry mends it, then data not
// taken in (5), then a line failure or a cancelled run (4); 0 when all
// succeeded.
int fleetExitStatus(const std::vector<int> &stationStatuses, bool cancelled);

} // namespace trelm::fleet
