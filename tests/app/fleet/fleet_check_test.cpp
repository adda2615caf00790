// `trelmlink fleet check` and the run's refusals over broken stations
// files: every problem on stderr as FILE:LINE: message, the exit status a
// script acts on, and nothing retrieved from a malformed file.
#include <gtest/gtest.h>

#include <fstream>

#include "case_name.h"
#include "program_run.h"
#include "test_files.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct CheckCase {
    const char *name;
    std::string text;                   // {tty} is a file that exists, {dir} the test's folder
    int status;
    std::vector<std::string> errLines;  // each a line of stderr after "trelmlink: FILE"
    std::vector<std::string> outHolds;  // texts stdout holds
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const CheckCase &c) { return out << c.name; }

std::string expand(std::string text, const fs::path &dir) {
    for (const auto &[mark, value] : {std::pair<std::string, std::string>{"{tty}", (dir / "tty").string()},
                                      {"{dir}", dir.string()}})
        for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark))
            text.replace(at, mark.size(), value);
    return text;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        all.push_back(line);
    return all;
}

class FleetCheck : public testing::TestWithParam<CheckCase> {
protected:
    testfiles::TempDir m_dir{"fleet-check"};
};

TEST_P(FleetCheck, ProblemsAreListedByLine) {
    const CheckCase &c = GetParam();
    std::ofstream(m_dir / "tty").put('\0');
    const fs::path file = m_dir / "stations.ini";
    std::ofstream(file) << expand(c.text, m_dir.path());
    std::vector<std::string> expected;
    for (const std::string &line : c.errLines)
        expected.push_back("trelmlink: " + file.string() + expand(line, m_dir.path()));

    ProgramRun check({"fleet", "check", file.string()}, {});
    EXPECT_EQ(check.waitExit(60s), c.status) << check.err();
    EXPECT_EQ(lines(check.err()), expected);
    for (const std::string &text : c.outHolds)
        EXPECT_NE(check.out().find(expand(text, m_dir.path())), std::string::npos) << check.out();

    // A run refuses a malformed file the same way and retrieves nothing.
    if (c.status == 2) {
        ProgramRun run({"fleet", "run", file.string(), "--json", (m_dir / "run.json").string()}, {});
        EXPECT_EQ(run.waitExit(60s), 2) << run.err();
        EXPECT_EQ(lines(run.err()), expected);
        EXPECT_FALSE(fs::exists(m_dir / "run.json"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, FleetCheck,
    testing::Values(
        CheckCase{"GoodFileShowsThePlan",
                  "[a]\ndevice = {tty}\nphone = 1\n[b]\ndevice = {tty}\nphone = 2\ndownload = events\n",
                  0,
                  {},
                  {"a: {tty}, through the modem dialling 1, all data, into {dir}/a, 2 retries 60 s apart",
                   "trelmlink retrieve --device {tty} --dir {dir}/b --events --phone 2 --log",
                   "one after another on {tty}: a b"}},
        CheckCase{"MalformedFileEveryLine",
                  "[a]\ndevice = {tty}\nspeed = 9600\n[a]\ndevice = {tty}\n[c]\nport = 0\nretries = many\n",
                  2,
                  {":3: unknown key 'speed' (known: port, device, phone, dir, download, retries, retry_pause)",
                   ":4: station a is named twice (first at line 1)",
                   ":7: port '0' is not a whole number from 1 to 255",
                   ":8: retries 'many' is not a whole number from 0 to 100"},
                  {}},
        CheckCase{"SharedFolderAndMissingPhone",
                  "[a]\ndevice = {tty}\ndir = x\n[b]\ndevice = {tty}\nphone = 2\ndir = x\n",
                  2,
                  {":1: station a shares {tty} with station b: a shared port is a modem, so give it a phone",
                   ":4: station b writes the folder {dir}/x as station a does (line 1)"},
                  {}},
        CheckCase{"MissingDeviceIsMisconfigured",
                  "[a]\ndevice = {tty}\n[b]\ndevice = {dir}/gone\n",
                  3,
                  {":3: station b: {dir}/gone does not exist"},
                  {"not started: {dir}/gone does not exist"}},
        CheckCase{"EmptyFile", "; nothing yet\n", 2, {": holds no station"}, {}}),
    testsupport::CaseName());

TEST(FleetCheckFile, AnUnreadableFileIsNamed) {
    ProgramRun check({"fleet", "check", "/nonexistent/stations.ini"}, {});
    EXPECT_EQ(check.waitExit(60s), 2);
    EXPECT_EQ(check.err(), "trelmlink: /nonexistent/stations.ini: cannot be read\n");
}

TEST(FleetRunArguments, MistakesAreUsageErrors) {
    testfiles::TempDir dir("fleet-args");
    std::ofstream(dir / "tty").put('\0');
    std::ofstream(dir / "s.ini") << "[a]\ndevice = " << (dir / "tty").string() << "\n";
    const std::string file = (dir / "s.ini").string();
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"fleet", "run", file, "--jobs", "0"}, "trelmlink: fleet: --jobs needs a number from 1 to 64\n"},
        {{"fleet", "run", file, "--only", "a,zz"}, "trelmlink: fleet: --only: " + file + " has no station zz\n"},
        {{"fleet", "fly", file}, "trelmlink: fleet: unknown action 'fly' (run or check; see trelmlink fleet --help)\n"},
        {{"fleet", "run"}, "trelmlink: fleet run: expects 1 file argument (see --help)\n"},
    };
    for (const auto &c : cases) {
        ProgramRun run(c.args, {});
        EXPECT_EQ(run.waitExit(60s), 2) << c.err;
        EXPECT_EQ(run.err(), c.err);
    }
}

} // namespace
