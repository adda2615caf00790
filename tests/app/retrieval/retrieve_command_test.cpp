// The headless `trelmlink retrieve` against the simulator in each role, run
// in-process with its real 400 ms wake-up steps.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

#include "case_name.h"
#include "cli/commands.h"
#include "generated_image.h"
#include "settings/ini_file.h"
#include "sim_process.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

struct CommandCase {
    const char *name;
    std::vector<std::string> sim = {};     // empty: a device that does not exist
    std::vector<std::string> options = {}; // after --device PATH --dir DIR
    int status = 0;
    std::vector<std::string> errLines = {}; // stderr has lines holding these texts, in order
};

std::ostream &operator<<(std::ostream &out, const CommandCase &c) { return out << c.name; }

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

class RetrieveCommand : public testing::TestWithParam<CommandCase> {
protected:
    void SetUp() override { setenv("TRELMLINK_INI", (m_ini.path() / "TRELMLNK.INI").c_str(), 1); }
    testfiles::TempDir m_data{"retrieve-data"};
    testfiles::TempDir m_ini{"retrieve-ini"};
};

TEST_P(RetrieveCommand, ReportsAndExitsAsTheRoleDemands) {
    const CommandCase &c = GetParam();
    std::optional<SimProcess> sim;
    if (!c.sim.empty())
        sim.emplace(c.sim);
    std::vector<std::string> args = {"retrieve", "--device", sim ? sim->path() : "/nonexistent/tty", "--dir",
                                     m_data.path().string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    std::ostringstream out, err;
    EXPECT_EQ(trelm::cli::runCli(args, out, err), c.status) << err.str();

    // The expected lines appear in order among the progress lines.
    const std::vector<std::string> said = lines(err.str());
    auto at = said.begin();
    for (const std::string &expected : c.errLines) {
        at = std::find_if(at, said.end(),
                          [&](const std::string &line) { return line.find(expected) != std::string::npos; });
        EXPECT_NE(at, said.end()) << "missing: " << expected << "\nin:\n" << err.str();
    }
    const std::vector<std::string> written = lines(out.str());
    if (c.status == 0) {
        EXPECT_EQ(written.size(), static_cast<size_t>(testdata::generatedImage(1).events));
        for (const std::string &name : written)
            EXPECT_TRUE(fs::is_regular_file(m_data.path() / name)) << name;
        EXPECT_FALSE(fs::exists(m_data.path() / "temp0000.$$$"));
    } else {
        EXPECT_TRUE(written.empty());
        EXPECT_FALSE(fs::exists(m_data.path() / "swap.bin"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Roles, RetrieveCommand,
    testing::Values(
        CommandCase{"SamplerEvents", {"sampler"}, {"--events"}, 0,
                    {"Starting Download...", "Downloading Event Data From TRELM Unit, Please Wait...",
                     "Retrieving data...", "Transfer complete!"}},
        CommandCase{"SamplerAllWithoutTerminal", {"sampler"}, {}, 0,
                    {"Downloading All Data From TRELM Unit, Please Wait...", "Transfer complete!"}},
        CommandCase{"SamplerThroughSx", {"sampler", "--sender", "sx"}, {"--all"}, 0, {"Transfer complete!"}},
        CommandCase{"DataModule", {"module"}, {"--all"}, 0,
                    {"Downloading From Data Module, Please Wait...", "Transfer complete!"}},
        CommandCase{"Modem", {"modem"}, {"--all", "--phone", "5551234"}, 0,
                    {"Connecting to Modem...", "Modem Attached...", "Dialing 5551234",
                     "Connecting to TRELM Unit, Please Wait...", "Waking DataLogger...", "Transfer complete!"}},
        CommandCase{"ModemWithoutNumber", {"modem"}, {"--all"}, 4,
                    {"Modem Attached...", "): no telephone number: give one with --phone"}},
        CommandCase{"Silent", {"silent"}, {"--all"}, 4, {"Waking DataLogger...", "Error Waking DataLogger!"}},
        CommandCase{"Noise", {"noise"}, {"--all"}, 4, {"Waking DataLogger...", "Error Waking DataLogger!"}},
        CommandCase{"UnopenableDevice", {}, {"--all"}, 3,
                    {"trelmlink: COM 99 (/nonexistent/tty): Unable to open Port!",
                     "trelmlink: /nonexistent/tty: no such device"}}),
    testsupport::CaseName());

// Unattended: --quiet leaves only errors on stderr, --log keeps every line
// with its time, and the outcome.
TEST_F(RetrieveCommand, QuietWithALogSaysOnlyErrorsAndLogsEverything) {
    const fs::path log = m_ini.path() / "retrieve.log";
    SimProcess sim({"sampler"});
    std::ostringstream out, err;
    ASSERT_EQ(trelm::cli::runCli({"retrieve", "--device", sim.path(), "--dir", m_data.path().string(), "--all",
                                  "--quiet", "--log", log.string()},
                                 out, err),
              0)
        << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(lines(out.str()).size(), static_cast<size_t>(testdata::generatedImage(1).events));
    const std::vector<std::string> logged = lines(testdata::readText(log));
    ASSERT_GE(logged.size(), 4u);
    for (const std::string &line : logged) // "2026-12-08 09:30:05 text"
        EXPECT_TRUE(line.size() > 20 && line[4] == '-' && line[10] == ' ' && line[13] == ':' && line[19] == ' ')
            << line;
    EXPECT_NE(std::find_if(logged.begin(), logged.end(),
                           [](const std::string &line) { return line.ends_with(" Transfer complete!"); }),
              logged.end());
    EXPECT_NE(logged[logged.size() - 2].find(" Summary: " + std::to_string(testdata::generatedImage(1).events) +
                                             " event files written, current event "),
              std::string::npos)
        << logged[logged.size() - 2];
    EXPECT_TRUE(logged.back().ends_with(" outcome: complete, exit status 0")) << logged.back();

    // A failure still reaches stderr, and is appended to the same log.
    std::ostringstream out2, err2;
    EXPECT_EQ(trelm::cli::runCli({"retrieve", "--device", "/nonexistent/tty", "--dir", m_data.path().string(),
                                  "--quiet", "--log", log.string()},
                                 out2, err2),
              3);
    EXPECT_EQ(lines(err2.str()), (std::vector<std::string>{"trelmlink: COM 99 (/nonexistent/tty): Unable to open Port!",
                                                          "trelmlink: /nonexistent/tty: no such device"}));
    EXPECT_TRUE(lines(testdata::readText(log)).back().ends_with(" outcome: port not opened, exit status 3"));
}

TEST(RetrieveCommandArguments, MistakesAreRefusedBeforeAnyPortIsOpened) {
    const struct {
        std::vector<std::string> args;
        int status;
    } mistakes[] = {
        {{"retrieve", "--events", "--all", "--port", "1"}, 2},
        {{"retrieve", "--port", "1", "--device", "/dev/null"}, 2},
        {{"retrieve", "--port", "0"}, 2},
        {{"retrieve", "--port", "1", "--quiet", "--verbose"}, 2},
        {{"retrieve", "--port", "1", "--phone", "555\r\nATH"}, 2},
        {{"retrieve", "--port", "1", "--dir", "/nonexistent/folder"}, 3},
        {{"retrieve", "--port", "1", "--log", "/nonexistent/folder/log"}, 3},
        {{"retrieve", "stray-file"}, 2},
    };
    for (const auto &mistake : mistakes) {
        std::ostringstream out, err;
        EXPECT_EQ(trelm::cli::runCli(mistake.args, out, err), mistake.status) << mistake.args.back();
        EXPECT_EQ(lines(err.str()).size(), 1u) << err.str();
        EXPECT_TRUE(out.str().empty());
    }
}

} // namespace
