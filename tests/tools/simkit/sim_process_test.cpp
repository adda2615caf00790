// simkit::SimProcess: the terminal it reports is the simulator's live end,
// stop() ends the simulator, and each way a start can fail is named.
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "case_name.h"
#include "simkit/sim_process.h"
#include "wait_until.h"

namespace {

using namespace std::chrono_literals;

TEST(SimProcess, TerminalAnswersUntilStopped) {
    simkit::SimProcess sim;
    ASSERT_TRUE(sim.start({.program = TRELM_SIM, .args = {"sampler"}, .logSent = true}).ok());
    const std::string terminal = sim.terminal();
    ASSERT_TRUE(std::filesystem::exists(terminal)) << terminal;
    const int fd = open(terminal.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "\r", 1), 1);
    // The sampler logs the byte it took; the log is the proof it is served.
    EXPECT_TRUE(testsupport::waitUntil([&] { return sim.sent() == "\r"; }, 5s, 10ms)) << sim.sent();
    close(fd);
    EXPECT_EQ(sim.waitExit(0ms), -1); // still serving
    sim.stop();
    EXPECT_TRUE(sim.terminal().empty());
    EXPECT_EQ(sim.waitExit(0ms), -1); // nothing left to wait for
}

struct FailedStart {
    const char *name;
    std::string program;
    std::vector<std::string> args;
    std::string reason; // the start of the error's reason
};
void PrintTo(const FailedStart &c, std::ostream *out) { *out << c.name; }

class SimProcessFails : public testing::TestWithParam<FailedStart> {};

TEST_P(SimProcessFails, NamesTheProgramAndWhy) {
    const FailedStart &c = GetParam();
    simkit::SimProcess sim;
    const trelm::Status started = sim.start({.program = c.program, .args = c.args, .waitLimit = 2s});
    ASSERT_FALSE(started.ok());
    EXPECT_EQ(started.error().subject, c.program);
    EXPECT_EQ(started.error().reason.rfind(c.reason, 0), 0u) << started.error().reason;
    EXPECT_TRUE(sim.terminal().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Starts, SimProcessFails,
    testing::Values(
        FailedStart{"ProgramMissing", "/nonexistent/trelm-sim", {"sampler"}, "cannot start the sampler simulator: "},
        FailedStart{"UnknownRole", TRELM_SIM, {"bogus"}, "the sampler simulator ended at its start"},
        // A program that runs on without telling a terminal.
        FailedStart{"NoTerminalTold", "/bin/sh", {"-c", "exec sleep 30"},
                    "the sampler simulator did not tell its terminal within 2 seconds"}),
    testsupport::CaseName());

} // namespace
