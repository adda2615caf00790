// The program's choice between window and command line, run as a process.
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

struct ProgramRun {
    int status;
    std::string output;
};

// Runs the program without any display or platform named, stdout and
// stderr together.
ProgramRun runWithoutDisplay(const std::string &arguments) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" TRELMLINK_PROGRAM "' " +
                                arguments + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 256> buffer;
    while (pipe && fgets(buffer.data(), buffer.size(), pipe))
        output += buffer.data();
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

} // namespace

TEST(Program, CommandsRunWithoutADisplayAndTheWindowSaysItNeedsOne) {
    const struct {
        const char *arguments;
        int status;
        const char *says;
    } cases[] = {
        {"", 1, "no display to open the window on"},
        {"EVENT.bin", 1, "no display to open the window on"},
        {"--help", 0, "usage: trelmlink [EVENT.bin]"},
        {"show", 2, "trelmlink: show: "},
        {"grids", 2, "trelmlink: grids: "},
        {"show /nonexistent.bin", 1, "/nonexistent.bin"},
    };
    for (const auto &c : cases) {
        const ProgramRun run = runWithoutDisplay(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.arguments << ": " << run.output;
    }
}
