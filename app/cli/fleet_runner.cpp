#include "cli/fleet_runner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/child_process.h"
#include "cli/fleet_display.h"
#include "cli/fleet_signals.h"
#include "fleet/attempt_record.h"
#include "fleet/child_progress.h"
#include "fleet/retrieve_arguments.h"
#include "fleet/scheduler.h"
#include "fleet/summary_table.h"

namespace trelm::cli {

namespace {

using SteadyClock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;

// How long the children get to reach their cancel after SIGTERM: a
// retrieval stops within a second, but a running intake first ends.
constexpr auto kStopDeadline = std::chrono::seconds(20);
// The exit status given to a child that ended by a signal: 128 + signal.
constexpr int kSignalStatusBase = 128;
// The folder in each station's folder that keeps every attempt's log.
const char *const kLogFolder = "logs";

// One station through the run: its child while one runs, what it said,
// and what its attempts came to.
struct StationRun {
    const FleetEntry *entry = nullptr;
    std::optional<ChildProcess> child;
    std::string outPartial, errPartial; // a line not yet ended
    fleet::ChildProgress progress;
    std::vector<std::string> files;     // event files written by the attempt
    std::filesystem::path log;
    SystemClock::time_point attemptStarted;
    std::optional<SteadyClock::time_point> firstStart, lastEnd;
    int events = -1;
    std::string currentEvent, reason;
    bool killed = false; // did not stop within the deadline

    const std::string &name() const { return entry->station.name; }
};

std::string timeStamp(SystemClock::time_point time) {
    const std::time_t seconds = SystemClock::to_time_t(time);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

class FleetRun {
public:
    FleetRun(const std::vector<FleetEntry> &entries, const FleetRunOptions &options, std::ostream &err)
        : m_options(options), m_display(err, options.terminal), m_scheduler(jobsOf(entries), options.jobs),
          m_start(SteadyClock::now()) {
        for (const FleetEntry &entry : entries) {
            m_runs.emplace_back();
            m_runs.back().entry = &entry;
        }
        if (!options.json.empty())
            m_json.open(options.json, std::ios::app);
    }

    // Stations that cannot start are told first, and logged as attempt 0.
    void refuseMisconfigured() {
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            StationRun &run = m_runs[i];
            if (run.entry->refused.empty())
                continue;
            run.reason = run.entry->refused;
            m_scheduler.refuse(i, fleet::kRetrieveSetUp);
            run.attemptStarted = SystemClock::now();
            writeJson(run, 0, fleet::kRetrieveSetUp, false);
            m_display.event(run.name() + ": not started: " + run.reason);
        }
    }

    bool jsonOpen() const { return m_options.json.empty() || m_json.is_open(); }
    // Without the signalfd the end of a child would go unseen.
    bool canWatch() const { return m_signals.fd() >= 0; }

    int run(std::ostream &out) {
        refuseMisconfigured();
        while (!m_scheduler.done()) {
            if (!m_stopping)
                for (std::size_t i : m_scheduler.startable(now()))
                    start(i);
            if (m_scheduler.done())
                break;
            waitOnce();
        }
        return finish(out);
    }

private:
    static std::vector<fleet::Job> jobsOf(const std::vector<FleetEntry> &entries) {
        std::vector<fleet::Job> jobs;
        for (const FleetEntry &entry : entries)
            jobs.push_back({entry.station.lineDevice(), entry.station.retries,
                            static_cast<fleet::Millis>(entry.station.retryPauseSeconds) * 1000});
        return jobs;
    }

    fleet::Millis now() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - m_start).count();
    }

    void start(std::size_t i) {
        StationRun &run = m_runs[i];
        const fleet::Station &station = run.entry->station;
        m_scheduler.started(i, now());
        const int attempt = m_scheduler.attempts(i);
        run.attemptStarted = SystemClock::now();
        if (!run.firstStart)
            run.firstStart = SteadyClock::now();
        run.progress = {};
        run.files.clear();
        std::error_code error;
        std::filesystem::create_directories(station.dir / kLogFolder, error);
        run.log = station.dir / kLogFolder /
                  ("retrieve-" + timeStamp(run.attemptStarted) + "-attempt" + std::to_string(attempt) + ".log");
        auto child = error ? Result<ChildProcess>(Error{station.dir.string(), "cannot be made: " + error.message()})
                           : ChildProcess::spawn(m_options.program, fleet::retrieveArguments(station, m_options.program,
                                                                                            run.log, m_options.forwarded));
        if (!child) {
            run.progress.takeLine("trelmlink: " + child.error().message());
            endAttempt(i, fleet::kRetrieveSetUp);
            return;
        }
        run.child.emplace(std::move(child).value());
        m_display.event(run.name() + ": attempt " + std::to_string(attempt) + " started on " + station.lineName() +
                        " (pid " + std::to_string(run.child->pid()) + ")");
        showLive(run);
    }

    void showLive(const StationRun &run) {
        const std::size_t index = static_cast<std::size_t>(&run - m_runs.data());
        std::string text = run.name() + "  attempt " + std::to_string(m_scheduler.attempts(index)) + "  " +
                           run.progress.phase();
        if (run.progress.percent() >= 0)
            text += "  " + std::to_string(run.progress.bytes()) + " bytes  " + std::to_string(run.progress.percent()) + "%";
        m_display.live(run.name(), text);
    }

    // Splits what arrived into lines: stdout names event files, stderr
    // tells the phase, the progress and the failures.
    void take(StationRun &run, std::string &partial, const char *data, std::size_t size, bool isOut) {
        partial.append(data, size);
        for (std::size_t end; (end = partial.find('\n')) != std::string::npos;) {
            std::string line = partial.substr(0, end);
            partial.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (isOut) {
                if (!line.empty())
                    run.files.push_back(line);
                continue;
            }
            run.progress.takeLine(line);
            m_display.childLine(run.name(), line);
        }
        if (!isOut)
            showLive(run);
    }

    // Reads what a pipe holds now; closes it at its end.
    void drain(StationRun &run, bool isOut) {
        char buffer[4096];
        for (;;) {
            const int fd = isOut ? run.child->outFd() : run.child->errFd();
            if (fd < 0)
                return;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                take(run, isOut ? run.outPartial : run.errPartial, buffer, static_cast<std::size_t>(got), isOut);
                continue;
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            isOut ? run.child->closeOut() : run.child->closeErr();
            return;
        }
    }

    void waitOnce() {
        std::vector<pollfd> fds = {{m_signals.fd(), POLLIN, 0}};
        std::vector<std::pair<std::size_t, bool>> owners = {{0, false}};
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            if (!m_runs[i].child)
                continue;
            for (const bool isOut : {true, false}) {
                const int fd = isOut ? m_runs[i].child->outFd() : m_runs[i].child->errFd();
                if (fd >= 0) {
                    fds.push_back({fd, POLLIN, 0});
                    owners.emplace_back(i, isOut);
                }
            }
        }
        int timeout = -1;
        if (const auto next = m_scheduler.nextReady(now()); next && !m_stopping)
            timeout = static_cast<int>(*next - now());
        if (m_stopping)
            timeout = static_cast<int>(std::max<fleet::Millis>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                      m_stopDeadline - SteadyClock::now())
                                                                      .count()));
        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR)
            return;
        for (std::size_t k = 1; k < fds.size(); ++k)
            if (fds[k].revents != 0)
                drain(m_runs[owners[k].first], owners[k].second);
        if (fds[0].revents != 0 && m_signals.readStopRequests())
            stop();
        reap();
        if (m_stopping && SteadyClock::now() >= m_stopDeadline)
            killLeft();
    }

    void reap() {
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            StationRun &run = m_runs[i];
            if (!run.child)
                continue;
            int status = 0;
            if (::waitpid(run.child->pid(), &status, WNOHANG) != run.child->pid())
                continue;
            drain(run, true);
            drain(run, false);
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : kSignalStatusBase + WTERMSIG(status);
            run.child.reset();
            endAttempt(i, code);
        }
    }

    void endAttempt(std::size_t i, int code) {
        StationRun &run = m_runs[i];
        run.lastEnd = SteadyClock::now();
        if (run.progress.eventsWritten() >= 0)
            run.events = run.progress.eventsWritten();
        if (!run.progress.currentEvent().empty())
            run.currentEvent = run.progress.currentEvent();
        run.reason = code == fleet::kRetrieveSuccess ? "" : run.progress.reason();
        if (run.killed)
            run.reason = "did not stop within " + std::to_string(kStopDeadline.count()) + " s; killed";
        const int attempt = m_scheduler.attempts(i);
        const bool again = m_scheduler.finished(i, code, now()) && !m_stopping;
        writeJson(run, attempt, code, again);
        m_display.drop(run.name());
        std::string text = run.name() + ": attempt " + std::to_string(attempt) + " " + fleet::outcomeName(code);
        if (!run.reason.empty())
            text += ": " + run.reason;
        if (again)
            text += "; again in " + std::to_string(run.entry->station.retryPauseSeconds) + " s";
        m_display.event(text);
    }

    void writeJson(const StationRun &run, int attempt, int code, bool again) {
        if (!m_json.is_open())
            return;
        fleet::AttemptRecord record;
        record.station = run.name();
        record.attempt = attempt;
        record.line = run.entry->station.lineName();
        record.started = run.attemptStarted;
        record.ended = SystemClock::now();
        record.exitStatus = code;
        record.outcome = fleet::outcomeName(code);
        record.reason = run.reason;
        record.files = run.files;
        record.currentEvent = run.progress.currentEvent();
        record.log = run.log.string();
        record.willRetry = again;
        m_json << fleet::attemptJson(record) << '\n' << std::flush;
    }

    void stop() {
        if (m_stopping)
            return;
        m_stopping = true;
        m_stopDeadline = SteadyClock::now() + kStopDeadline;
        m_scheduler.cancelWaiting();
        std::string running;
        for (const StationRun &run : m_runs)
            if (run.child) {
                ::kill(run.child->pid(), SIGTERM);
                running += (running.empty() ? "" : ", ") + run.name();
            }
        m_display.event("interrupted: stopping " + (running.empty() ? std::string("nothing") : running) +
                        "; no new station starts");
    }

    void killLeft() {
        for (StationRun &run : m_runs)
            if (run.child && !run.killed) {
                ::kill(run.child->pid(), SIGKILL);
                run.killed = true;
            }
    }

    int finish(std::ostream &out) {
        std::vector<fleet::SummaryRow> rows;
        std::vector<int> statuses;
        int good = 0;
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            const StationRun &run = m_runs[i];
            const int code = m_scheduler.exitStatus(i);
            statuses.push_back(code);
            good += code == fleet::kRetrieveSuccess;
            const double seconds = run.firstStart && run.lastEnd
                                       ? std::chrono::duration<double>(*run.lastEnd - *run.firstStart).count()
                                       : 0.0;
            rows.push_back({run.name(), fleet::outcomeName(code), m_scheduler.attempts(i), run.events,
                            run.currentEvent, seconds, run.reason});
        }
        out << fleet::summaryTable(rows) << std::flush;
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        char text[200];
        std::snprintf(text, sizeof text, "fleet: %d of %zu stations retrieved%s in %.1f s; runner CPU %.3f s", good,
                      m_runs.size(), m_stopping ? " (interrupted)" : "",
                      std::chrono::duration<double>(SteadyClock::now() - m_start).count(), cpu);
        m_display.event(text);
        return fleet::fleetExitStatus(statuses, m_stopping);
    }

    const FleetRunOptions &m_options;
    FleetDisplay m_display;
    FleetSignals m_signals;
    fleet::Scheduler m_scheduler;
    std::vector<StationRun> m_runs;
    std::ofstream m_json;
    SteadyClock::time_point m_start;
    bool m_stopping = false;
    SteadyClock::time_point m_stopDeadline;
};

} // namespace

int runFleet(const std::vector<FleetEntry> &entries, const FleetRunOptions &options, std::ostream &out,
             std::ostream &err) {
    FleetRun run(entries, options, err);
    if (!run.canWatch()) {
        err << "trelmlink: fleet: cannot watch for signals: " << std::strerror(errno) << '\n';
        return 1;
    }
    if (!run.jsonOpen()) {
        err << "trelmlink: " << options.json.string() << ": cannot be opened for appending\n";
        return 1;
    }
    return run.run(out);
}

} // namespace trelm::cli
