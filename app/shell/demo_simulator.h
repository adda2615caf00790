// `trelmlink --demo`: the sampler simulator trelm-sim at the far end of a
// pseudo-terminal cable, with every port option COM 1 to COM 10 mapped to
// the cable's other end, so "&Retrieve Data" runs a whole download on a
// machine without a sampler. The simulator runs as a child process: it has
// its own copy of the serial library, so the retrieval closing all of its
// ports leaves the simulator's end open.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "datafile/result.h"

namespace trelm::shell {

class DemoSimulator {
public:
    DemoSimulator() = default;
    ~DemoSimulator(); // stops the simulator
    DemoSimulator(const DemoSimulator &) = delete;
    DemoSimulator &operator=(const DemoSimulator &) = delete;

    // Starts trelm-sim (beside the program, else on the search path) with
    // `roleAndOptions` and maps COM 1 to COM 10 to its terminal.
    Status start(const std::vector<std::string> &roleAndOptions);
    const std::string &terminal() const { return m_terminal; }

private:
    pid_t m_pid = -1;
    std::string m_folder;
    std::string m_terminal;
};

// Starts the simulator (role and options as trelm-sim takes them; the
// sampler when none are given), then the window; stops the simulator when
// the window closes. Returns the exit status.
int runDemo(int argc, char **argv, const std::vector<std::string> &simulatorArgs);

// The simulator program: beside the running program when it is there, else
// the bare name for the search path.
std::string simulatorProgram();

} // namespace trelm::shell
