// The order of a fleet run on a made-up clock: each station follows a
// script of attempts (how long, which exit status), and the trace of starts
// shows what ran side by side, what waited for its line and what was
// tried again.
#include <gtest/gtest.h>

#include <map>

#include "case_name.h"
#include "fleet/scheduler.h"

using trelm::fleet::Job;
using trelm::fleet::Millis;
using trelm::fleet::Scheduler;

namespace {

struct Attempt {
    Millis duration;
    int exitStatus;
};

struct ScriptedStation {
    std::string name;
    std::string line;
    int retries;
    Millis pause;
    std::vector<Attempt> attempts; // the last repeats when more are asked for
};

struct ScheduleCase {
    const char *name;
    int jobs;
    std::vector<ScriptedStation> stations;
    std::string trace;               // "name@start" for every attempt, in order of start
    std::vector<int> finalStatus;    // per station
    std::vector<int> attemptCounts;  // per station
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const ScheduleCase &c) { return out << c.name; }

// Runs the scheduler against the scripts; returns the trace of starts.
std::string simulate(const ScheduleCase &c, Scheduler &scheduler) {
    std::map<std::size_t, Millis> endsAt; // running station -> end time
    std::string trace;
    Millis now = 0;
    for (int guard = 0; !scheduler.done() && guard < 1000; ++guard) {
        for (std::size_t i : scheduler.startable(now)) {
            scheduler.started(i, now);
            const auto &script = c.stations[i].attempts;
            const auto &attempt = script[std::min<std::size_t>(scheduler.attempts(i) - 1, script.size() - 1)];
            endsAt[i] = now + attempt.duration;
            trace += (trace.empty() ? "" : " ") + c.stations[i].name + "@" + std::to_string(now);
        }
        Millis next = scheduler.nextReady(now).value_or(INT64_MAX);
        for (const auto &[station, end] : endsAt)
            next = std::min(next, end);
        if (next == INT64_MAX)
            break;
        now = next;
        for (auto it = endsAt.begin(); it != endsAt.end();) {
            if (it->second == now) {
                const auto &script = c.stations[it->first].attempts;
                const int attempts = scheduler.attempts(it->first);
                scheduler.finished(it->first, script[std::min<std::size_t>(attempts - 1, script.size() - 1)].exitStatus,
                                   now);
                it = endsAt.erase(it);
            } else {
                ++it;
            }
        }
    }
    return trace;
}

class SchedulerOrder : public testing::TestWithParam<ScheduleCase> {};

TEST_P(SchedulerOrder, StartsFollowLinesJobsAndRetries) {
    const ScheduleCase &c = GetParam();
    std::vector<Job> jobs;
    for (const auto &station : c.stations)
        jobs.push_back({station.line, station.retries, station.pause});
    Scheduler scheduler(jobs, c.jobs);
    EXPECT_EQ(simulate(c, scheduler), c.trace);
    EXPECT_TRUE(scheduler.done());
    for (std::size_t i = 0; i < c.stations.size(); ++i) {
        EXPECT_EQ(scheduler.exitStatus(i), c.finalStatus[i]) << c.stations[i].name;
        EXPECT_EQ(scheduler.attempts(i), c.attemptCounts[i]) << c.stations[i].name;
    }
}

const Attempt kGood{10, 0}, kLine{10, 4}, kSetUp{10, 3}, kNotTakenIn{10, 5};

INSTANTIATE_TEST_SUITE_P(
    Runs, SchedulerOrder,
    testing::Values(
        ScheduleCase{"DifferentLinesSideBySide", 3,
                     {{"a", "p1", 0, 0, {kGood}}, {"b", "p2", 0, 0, {kGood}}, {"c", "p3", 0, 0, {kGood}}},
                     "a@0 b@0 c@0", {0, 0, 0}, {1, 1, 1}},
        ScheduleCase{"OneJobRunsInFileOrder", 1,
                     {{"a", "p1", 0, 0, {kGood}}, {"b", "p2", 0, 0, {kGood}}, {"c", "p3", 0, 0, {kGood}}},
                     "a@0 b@10 c@20", {0, 0, 0}, {1, 1, 1}},
        ScheduleCase{"SharedLineOneAfterAnother", 4,
                     {{"a", "modem", 0, 0, {kGood}}, {"b", "modem", 0, 0, {kGood}}, {"c", "p3", 0, 0, {{25, 0}}}},
                     "a@0 c@0 b@10", {0, 0, 0}, {1, 1, 1}},
        ScheduleCase{"JobsLimitFillsAsSlotsFree", 2,
                     {{"a", "p1", 0, 0, {{30, 0}}}, {"b", "p2", 0, 0, {kGood}}, {"c", "p3", 0, 0, {kGood}},
                      {"d", "p4", 0, 0, {kGood}}},
                     "a@0 b@0 c@10 d@20", {0, 0, 0, 0}, {1, 1, 1, 1}},
        ScheduleCase{"LineFailureRetriedAfterPause", 2,
                     {{"a", "p1", 2, 100, {kLine, kLine, kGood}}, {"b", "p2", 2, 100, {kGood}}},
                     "a@0 b@0 a@110 a@220", {0, 0}, {3, 1}},
        ScheduleCase{"RetriesRunOut", 1, {{"a", "p1", 1, 5, {kLine}}}, "a@0 a@15", {4}, {2}},
        ScheduleCase{"NoRetriesMeansOneAttempt", 1, {{"a", "p1", 0, 5, {kLine}}}, "a@0", {4}, {1}},
        ScheduleCase{"SetUpFailureNotRetried", 1, {{"a", "p1", 3, 0, {kSetUp}}}, "a@0", {3}, {1}},
        ScheduleCase{"NotTakenInNotRetried", 1, {{"a", "p1", 3, 0, {kNotTakenIn}}}, "a@0", {5}, {1}},
        ScheduleCase{"PausingStationLeavesItsLineFree", 2,
                     {{"a", "modem", 1, 50, {kLine, kGood}}, {"b", "modem", 0, 0, {kGood}}},
                     "a@0 b@10 a@60", {0, 0}, {2, 1}},
        ScheduleCase{"RetryQueuesBehindLongerWaiter", 1,
                     {{"a", "p1", 1, 0, {kLine, kGood}}, {"b", "p2", 0, 0, {kGood}}, {"c", "p3", 0, 0, {kGood}}},
                     "a@0 b@10 c@20 a@30", {0, 0, 0}, {2, 1, 1}},
        ScheduleCase{"SharedLineNeverDoubledWhenBothReadyAtOnce", 3,
                     {{"a", "modem", 0, 0, {kGood}}, {"b", "modem", 0, 0, {kGood}}, {"c", "modem", 0, 0, {kGood}}},
                     "a@0 b@10 c@20", {0, 0, 0}, {1, 1, 1}}),
    testsupport::CaseName());

TEST(SchedulerCancel, WaitingStationsAreNotStartedOnceCancelled) {
    Scheduler scheduler({{"p1", 2, 1000}, {"p1", 0, 0}, {"p2", 0, 0}}, 1);
    ASSERT_EQ(scheduler.startable(0), std::vector<std::size_t>{0});
    scheduler.started(0, 0);
    EXPECT_TRUE(scheduler.finished(0, 4, 5)); // will retry
    scheduler.started(1, 5);
    scheduler.cancelWaiting();
    EXPECT_TRUE(scheduler.startable(2000).empty());
    EXPECT_FALSE(scheduler.done()) << "the running station is still awaited";
    EXPECT_FALSE(scheduler.finished(1, 4, 10));
    EXPECT_TRUE(scheduler.done());
    EXPECT_EQ(scheduler.exitStatus(2), trelm::fleet::kNotRun);
    EXPECT_EQ(scheduler.exitStatus(0), 4);
}

struct ExitCase {
    const char *name;
    std::vector<int> statuses;
    bool cancelled;
    int expected;
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const ExitCase &c) { return out << c.name; }

class FleetExitStatus : public testing::TestWithParam<ExitCase> {};

TEST_P(FleetExitStatus, WorstOutcomeDecides) {
    EXPECT_EQ(trelm::fleet::fleetExitStatus(GetParam().statuses, GetParam().cancelled), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, FleetExitStatus,
                         testing::Values(ExitCase{"AllGood", {0, 0}, false, 0},
                                         ExitCase{"OneLineFailure", {0, 4}, false, 4},
                                         ExitCase{"MisconfiguredBeatsLine", {4, 3, 0}, false, 3},
                                         ExitCase{"NotTakenInBeatsLine", {4, 5}, false, 5},
                                         ExitCase{"CancelledWithAllDone", {0, 0}, true, 4},
                                         ExitCase{"NeverRun", {0, trelm::fleet::kNotRun}, false, 4},
                                         ExitCase{"ChildCrashed", {0, 134}, false, 4}),
                         testsupport::CaseName());

} // namespace
