// `trelmlink retrieve --archive` against the simulated sampler: the event
// files the intake wrote go into the archive; an archive that cannot be
// reached is told while the files stay on disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "archive_backends.h"
#include "case_name.h"
#include "generated_image.h"
#include "simkit/sim_process.h"

namespace fs = std::filesystem;
using namespace archivetest;

namespace {

struct RetrieveCase {
    const char *name;
    Backend backend;
    bool reachable; // false: the archive named cannot be opened
    int status;
};
std::ostream &operator<<(std::ostream &out, const RetrieveCase &c) { return out << c.name; }

const RetrieveCase kRetrieves[] = {
    {"IntoSQLite", Backend::Sqlite, true, 0},
    {"IntoPostgreSQL", Backend::Postgres, true, 0},
    {"ArchiveUnwritableKeepsTheFiles", Backend::Sqlite, false, 3},
};

class RetrieveIntoArchive : public ::testing::TestWithParam<RetrieveCase> {
protected:
    void SetUp() override { setenv("TRELMLINK_INI", (m_ini / "TRELMLNK.INI").c_str(), 1); }
    testfiles::TempDir m_data{"retrieve-archive-data"};
    testfiles::TempDir m_ini{"retrieve-archive-ini"};
};

} // namespace

TEST_P(RetrieveIntoArchive, ImportsTheEventFilesWritten) {
    const RetrieveCase &c = GetParam();
    FreshArchive fresh(c.backend);
    if (fresh.location.empty())
        GTEST_SKIP() << fresh.skipReason;
    // A folder where the file should be: SQLite cannot open it.
    const std::string location = c.reachable ? fresh.location : m_ini.path().string();
    simkit::SimProcess sim;
    ASSERT_TRUE(sim.start({.program = TRELM_SIM, .args = {"sampler"}, .waitLimit = std::chrono::seconds(10)}));
    const CommandRun run = runCommand({"retrieve", "--device", sim.terminal(), "--dir", m_data.path().string(),
                                       "--all", "--archive", "--db", location});
    EXPECT_EQ(run.status, c.status) << run.err;
    const int events = testdata::generatedImage(1).events;
    // The files are on disk whatever the archive did.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), events) << run.out;
    if (c.reachable) {
        EXPECT_NE(run.err.find(std::to_string(events) + " new, 0 updated, 0 unchanged\n"), std::string::npos)
            << run.err;
        const CommandRun info = runCommand({"archive", "info", "--db", location});
        EXPECT_NE(info.out.find("events: " + std::to_string(events) + "\n"), std::string::npos) << info.out;
    } else {
        EXPECT_NE(run.err.find("trelmlink: " + location + ": "), std::string::npos) << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Archives, RetrieveIntoArchive, ::testing::ValuesIn(kRetrieves), testsupport::CaseName());

namespace {

struct FleetCase {
    const char *name;
    Backend backend;
};
std::ostream &operator<<(std::ostream &out, const FleetCase &c) { return out << c.name; }

class FleetIntoArchive : public ::testing::TestWithParam<FleetCase> {
protected:
    void SetUp() override { setenv("TRELMLINK_INI", (m_ini / "TRELMLNK.INI").c_str(), 1); }
    testfiles::TempDir m_data{"fleet-archive-data"};
    testfiles::TempDir m_ini{"fleet-archive-ini"};
};

} // namespace

// `fleet run --archive --db URL`: each station's retrieval imports what it
// wrote into the archive named, handed to it without the URL on its command line.
TEST_P(FleetIntoArchive, EveryStationsEventsReachTheArchive) {
    const Backend backend = GetParam().backend;
    FreshArchive fresh(backend);
    if (fresh.location.empty())
        GTEST_SKIP() << fresh.skipReason;
    simkit::SimProcess sim;
    ASSERT_TRUE(sim.start({.program = TRELM_SIM, .args = {"sampler"}, .waitLimit = std::chrono::seconds(10)}));
    const fs::path stations = m_ini.path() / "stations.ini";
    std::ofstream(stations) << "[site]\ndevice = " << sim.terminal() << "\ndir = " << m_data.path().string() << "\n";
    ChildProgram fleet({TRELMLINK_PROGRAM, "fleet", "run", stations.string(), "--archive", "--db", fresh.location},
                       m_ini.path(), "fleet");
    ASSERT_EQ(fleet.wait(180), 0) << fleet.err() << fleet.out();
    const CommandRun info = runCommand({"archive", "info", "--db", fresh.location});
    EXPECT_NE(info.out.find("events: " + std::to_string(testdata::generatedImage(1).events) + "\n"), std::string::npos)
        << info.out << fleet.err();
}

INSTANTIATE_TEST_SUITE_P(Archives, FleetIntoArchive,
                         ::testing::Values(FleetCase{"SQLite", Backend::Sqlite},
                                           FleetCase{"PostgreSQL", Backend::Postgres}),
                         testsupport::CaseName());
