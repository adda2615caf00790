// `trelmlink fleet run` end to end: the real program against a network of
// simulated stations on pseudo-terminals, one row per way a run can go.
//   alpha    sampler on its own port (named as COM 41)
//   bravo    through the modem on the shared port
//   charlie  through the same modem, after bravo
//   delta    data module on its own port
//   quiet    silent: retried once, then reported with its reason
//   static   noise: no retries, reported
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <unistd.h>
#include <variant>

#include "case_name.h"
#include "datafile/folder_lock.h"
#include "fleet/attempt_record.h"
#include "fleet_support.h"
#include "program_run.h"
#include "simkit/sim_process.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct SimulatedStation {
    const char *name;
    unsigned seed;
    int unit;
};

// The simulators' roles, in the order of their terminals.
const std::vector<std::string> kRoles = {"sampler:11:201", "modem:12:202", "module:13:203", "silent:14", "noise:15"};
const SimulatedStation kAlpha{"alpha", 11, 201}, kBravo{"bravo", 12, 202}, kCharlie{"charlie", 12, 202},
    kDelta{"delta", 13, 203};
const std::vector<SimulatedStation> kGood = {kAlpha, kBravo, kCharlie, kDelta};
constexpr int kAlphaCom = 41;

struct Expected {
    const char *station;
    int exitStatus;
    int attempts;
    const char *reason = ""; // the JSON and the summary row hold it; {pid} is the test's process
};

struct RunCase {
    const char *name;
    std::vector<std::string> options;
    int exitStatus;
    std::vector<Expected> stations;
    const char *lockedStation = nullptr; // its folder held by the test, as another retrieval would
    bool interrupt = false;              // SIGINT once the first station has succeeded, then a rerun
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const RunCase &c) { return out << c.name; }

std::string withPid(std::string text) {
    if (const auto at = text.find("{pid}"); at != std::string::npos)
        text.replace(at, 5, std::to_string(getpid()));
    return text;
}

class FleetRun : public testing::TestWithParam<RunCase> {
protected:
    void SetUp() override {
        const trelm::Status started = m_sims.start({.program = TRELM_SIM, .args = kRoles, .waitLimit = 20s});
        ASSERT_TRUE(started) << started.error().message();
        ASSERT_EQ(m_sims.terminals().size(), kRoles.size());
        const auto &tty = m_sims.terminals();
        std::ofstream(m_stations) << "[alpha]\nport = " << kAlphaCom << "\n"
                                  << "[bravo]\ndevice = " << tty[1] << "\nphone = 5550001\n"
                                  << "[charlie]\ndevice = " << tty[1] << "\nphone = 5550002\n"
                                  << "[delta]\ndevice = " << tty[2] << "\n"
                                  << "[quiet]\ndevice = " << tty[3] << "\nretries = 1\nretry_pause = 1\n"
                                  << "[static]\ndevice = " << tty[4] << "\nretries = 0\n";
    }

    ProgramRun::Options environment() const {
        ProgramRun::Options options;
        options.environment = {{"KORLINK_COM" + std::to_string(kAlphaCom), m_sims.terminals()[0]},
                               {"TRELMLINK_INI", (m_dir / "TRELMLNK.INI").string()}};
        return options;
    }

    std::vector<std::string> runArgs(const std::vector<std::string> &options) const {
        std::vector<std::string> args = {"fleet", "run", m_stations.string(), "--json", m_json.string()};
        args.insert(args.end(), options.begin(), options.end());
        return args;
    }

    void expectImage(const SimulatedStation &station) {
        const fs::path reference = fleettest::referenceFolder(m_dir / "references", station.seed, station.unit);
        EXPECT_EQ(fleettest::differences(fleettest::eventFiles(m_dir / station.name), fleettest::eventFiles(reference)),
                  "")
            << station.name;
    }

    // An interrupted folder holds only whole files, each as the image gives it.
    void expectConsistent(const SimulatedStation &station) {
        const fs::path reference = fleettest::referenceFolder(m_dir / "references", station.seed, station.unit);
        const auto expected = fleettest::eventFiles(reference);
        for (const auto &[name, bytes] : fleettest::eventFiles(m_dir / station.name)) {
            const auto found = expected.find(name);
            EXPECT_TRUE(found != expected.end() && found->second == bytes) << station.name << ": " << name;
        }
        EXPECT_FALSE(fs::exists(m_dir / station.name / "temp0000.$$$")) << station.name;
    }

    testfiles::TempDir m_dir{"fleet-run"};
    fs::path m_stations = m_dir / "stations.ini";
    fs::path m_json = m_dir / "run.json";
    simkit::SimProcess m_sims;
};

TEST_P(FleetRun, EveryStationEndsAsItsLineAllows) {
    const RunCase &c = GetParam();
    std::optional<std::variant<trelm::FolderLock, trelm::FolderLockRefusal>> lock;
    if (c.lockedStation) {
        fs::create_directories(m_dir / c.lockedStation);
        lock.emplace(trelm::FolderLock::take(m_dir / c.lockedStation));
        ASSERT_TRUE(std::holds_alternative<trelm::FolderLock>(*lock));
    }
    ProgramRun run(runArgs(c.options), environment());
    if (c.interrupt) {
        ASSERT_TRUE(run.waitForLine(": attempt 1 success", 120s)) << run.err();
        run.signal(SIGINT);
    }
    const std::optional<int> status = run.waitExit(300s);
    ASSERT_TRUE(status.has_value()) << run.err();
    EXPECT_EQ(*status, c.exitStatus) << run.err() << run.out();
    const auto attempts = fleettest::readAttempts(m_json);

    for (const Expected &expected : c.stations) {
        std::vector<fleettest::AttemptLine> own;
        for (const auto &attempt : attempts)
            if (attempt.station == expected.station)
                own.push_back(attempt);
        ASSERT_EQ(static_cast<int>(own.size()), std::max(expected.attempts, 1)) << expected.station;
        EXPECT_EQ(own.back().exitStatus, expected.exitStatus) << expected.station;
        EXPECT_NE(own.back().reason.find(withPid(expected.reason)), std::string::npos) << own.back().reason;
        const std::string row = fleettest::summaryRow(run.out(), expected.station);
        EXPECT_TRUE(row.starts_with(std::string(expected.station) + " " + trelm::fleet::outcomeName(expected.exitStatus) +
                                    " " + std::to_string(expected.attempts) + " "))
            << row;
        EXPECT_NE(row.find(withPid(expected.reason)), std::string::npos) << row;
        for (const SimulatedStation &good : kGood)
            if (expected.exitStatus == 0 && good.name == std::string(expected.station))
                expectImage(good);
    }

    // The two stations behind the one modem never held the line together.
    std::vector<fleettest::AttemptLine> shared;
    for (const auto &attempt : attempts)
        if (attempt.station == "bravo" || attempt.station == "charlie")
            shared.push_back(attempt);
    for (std::size_t i = 0; i < shared.size(); ++i)
        for (std::size_t j = i + 1; j < shared.size(); ++j)
            EXPECT_TRUE(shared[i].endedMs <= shared[j].startedMs || shared[j].endedMs <= shared[i].startedMs)
                << shared[i].station << " and " << shared[j].station << " overlap";

    if (c.interrupt) {
        EXPECT_NE(run.err().find("interrupted: stopping"), std::string::npos) << run.err();
        EXPECT_NE(run.out().find(" not run "), std::string::npos) << "stations left were not started:\n" << run.out();
        for (const SimulatedStation &station : kGood)
            expectConsistent(station);
        ProgramRun rerun(runArgs(c.options), environment());
        ASSERT_EQ(rerun.waitExit(300s), 0) << rerun.err();
        for (const SimulatedStation &station : kGood)
            expectImage(station);
    }
}

const std::vector<std::string> kOnlyGood = {"--only", "alpha,bravo,charlie,delta"};

INSTANTIATE_TEST_SUITE_P(
    Network, FleetRun,
    testing::Values(
        RunCase{"WholeNetworkThreeJobs", {"--jobs", "3"}, 4,
                {{"alpha", 0, 1}, {"bravo", 0, 1}, {"charlie", 0, 1}, {"delta", 0, 1},
                 {"quiet", 4, 2, "Error Waking DataLogger!"}, {"static", 4, 1, "Error Waking DataLogger!"}}},
        RunCase{"GoodStationsOneJob", {"--jobs", "1", kOnlyGood[0], kOnlyGood[1]}, 0,
                {{"alpha", 0, 1}, {"bravo", 0, 1}, {"charlie", 0, 1}, {"delta", 0, 1}}},
        RunCase{"GoodStationsThreeJobs", {"--jobs", "3", kOnlyGood[0], kOnlyGood[1]}, 0,
                {{"alpha", 0, 1}, {"bravo", 0, 1}, {"charlie", 0, 1}, {"delta", 0, 1}}},
        RunCase{"LockedFolderFailsAloneNamingItsHolder", {"--only", "alpha,delta"}, 3,
                {{"alpha", 0, 1}, {"delta", 3, 1, "another retrieval or convert is working in this data folder (process {pid})"}},
                "delta"},
        RunCase{"InterruptedRunLeavesWholeFilesAndARerunCompletes", {"--jobs", "1", kOnlyGood[0], kOnlyGood[1]}, 4,
                {}, nullptr, true}),
    testsupport::CaseName());

} // namespace
