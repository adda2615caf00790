// korlink-xfer on any serial device: --device (links followed), the baud
// rate and character format as `stty` reads them back while the tool holds
// the line and after it let go, and the line settings it refuses.
#include "case_name.h"
#include "peer_process.h"
#include "wait_until.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

// `stty -a` of the line behind a pty master: on Linux the master's terminal
// calls reach the slave's settings, so this reads what the tool has set
// even while it holds the slave exclusively.
std::string sttyOf(int master) {
    int out[2];
    if (pipe(out) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        dup2(master, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        execlp("stty", "stty", "-a", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(got));
    close(out[0]);
    waitpid(child, nullptr, 0);
    return text;
}

// Whether every word of `flags` stands in `stty` output as a word.
bool hasFlags(const std::string &stty, const std::vector<std::string> &flags) {
    std::string padded = " " + stty + " ";
    std::replace(padded.begin(), padded.end(), '\n', ' ');
    std::replace(padded.begin(), padded.end(), ';', ' ');
    return std::all_of(flags.begin(), flags.end(),
                       [&](const std::string &flag) { return padded.find(" " + flag + " ") != std::string::npos; });
}

// Runs the tool in `dir` with stdout into out.txt there; its stderr is the
// process log.
std::unique_ptr<PeerProcess> startTool(const std::string &args, const TempDir &dir) {
    std::string command = std::string("exec ") + XFER_TOOL + " " + args + " > out.txt";
    return std::make_unique<PeerProcess>(std::vector<std::string>{"/bin/sh", "-c", command}, "/dev/null",
                                         dir.path().string());
}

struct LineCase {
    const char *name;
    bool throughLink;                 // --device names a link to the slave, as /dev/serial/by-id does
    std::string settings;
    std::vector<std::string> held;    // stty words while the tool holds the line
    std::string note;                 // in the tool's stderr, or empty
};

void PrintTo(const LineCase &c, std::ostream *out) { *out << c.name; }

class ToolLineSettings : public ::testing::TestWithParam<LineCase> {};

TEST_P(ToolLineSettings, SttyReadsThemBackAndTheLineIsRestored) {
    const LineCase &c = GetParam();
    testsupport::PtyPair line;
    TempDir dir;
    std::string before = sttyOf(line.master());
    std::string device = line.slavePath();
    if (c.throughLink) {
        fs::create_symlink(device, dir / "usb-Serial_Cable_A1-if00-port0");
        device = (dir / "usb-Serial_Cable_A1-if00-port0").string();
    }
    auto tool = startTool("receive --device " + device + " " + c.settings + " --protocol ascii --timeout 1500", dir);
    std::string held;
    testsupport::waitUntil([&] { held = sttyOf(line.master()); return hasFlags(held, c.held); }, 10s, 20ms);
    EXPECT_TRUE(hasFlags(held, c.held)) << held;
    EXPECT_EQ(tool->wait(20s), 0) << tool->log();
    if (!c.note.empty()) {
        EXPECT_NE(tool->log().find(c.note), std::string::npos) << tool->log();
    }
    std::string after = sttyOf(line.master());
    EXPECT_EQ(after.substr(0, after.find(';')), before.substr(0, before.find(';')));   // the speed it had
}

INSTANTIATE_TEST_SUITE_P(Lines, ToolLineSettings, ::testing::Values(
    LineCase{"baud_115200", false, "--baud 115200", {"speed", "115200", "baud"}, ""},
    LineCase{"two_stop_bits_through_a_by_id_link", true, "--baud 57600 --stop-bits 2 --flow rtscts",
             {"57600", "cstopb"}, ""},
    LineCase{"seven_bits_even_parity_on_a_pty_noted", false, "--baud 19200 --data-bits 7 --parity even",
             {"19200", "cs8", "-parenb"}, "is a pseudo-terminal, which keeps 8 data bits and no parity: 7 data bits, "
                                          "even parity apply to the transfer only"}),
    testsupport::CaseName());

// ---------------------------------------------------------------- refusals

struct RefusalCase {
    const char *name;
    std::string args;         // DEVICE and FILE stand for a pty and a regular file
    std::string expected;     // in the one line on stderr
};

void PrintTo(const RefusalCase &c, std::ostream *out) { *out << c.name; }

class ToolLineRefusal : public ::testing::TestWithParam<RefusalCase> {};

std::string substituted(std::string text, const std::string &word, const std::string &value) {
    for (size_t at; (at = text.find(word)) != std::string::npos;) text.replace(at, word.size(), value);
    return text;
}

TEST_P(ToolLineRefusal, ExitsWithStatus2NamingTheOption) {
    const RefusalCase &c = GetParam();
    testsupport::PtyPair line;
    TempDir dir;
    writeFile(dir / "plain.txt", {'p'});
    std::string args = substituted(substituted(c.args, "DEVICE", line.slavePath()), "FILE", (dir / "plain.txt").string());
    auto tool = startTool(args, dir);
    EXPECT_EQ(tool->wait(20s), 2);
    std::string log = tool->log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(c.expected), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Refusals, ToolLineRefusal, ::testing::Values(
    RefusalCase{"baud_not_a_standard_rate", "send --device DEVICE --baud 12345 --protocol 100 FILE",
                "--baud: '12345' is not a rate the line takes (50 75 "},
    RefusalCase{"baud_not_a_number", "send --device DEVICE --baud fast --protocol 100 FILE",
                "--baud: 'fast' is not a rate"},
    RefusalCase{"data_bits_nine", "send --device DEVICE --data-bits 9 --protocol 100 FILE",
                "--data-bits: '9' is not a number of data bits (5 to 8)"},
    RefusalCase{"parity_unknown", "receive --device DEVICE --parity weird --protocol 106",
                "--parity: 'weird' is not one of none, odd, even, mark, space"},
    RefusalCase{"stop_bits_three", "receive --device DEVICE --stop-bits 3 --protocol 106",
                "--stop-bits: '3' is not one of 1, 1.5, 2"},
    RefusalCase{"flow_unknown", "receive --device DEVICE --flow hardware --protocol 106",
                "--flow: 'hardware' is not one of none, rtscts, xonxoff"},
    RefusalCase{"device_missing", "receive --device /dev/korlink-none --protocol 106",
                "--device: '/dev/korlink-none' cannot be found: No such file or directory"},
    RefusalCase{"device_a_regular_file", "receive --device FILE --protocol 106", "is not a serial device"},
    RefusalCase{"port_and_device", "receive --port 8 --device DEVICE --protocol 106",
                "--port and --device name two lines; give one"},
    RefusalCase{"no_line", "receive --protocol 106", "--port N or --device PATH is missing"}),
    testsupport::CaseName());

}  // namespace
