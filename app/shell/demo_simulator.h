// `trelmlink --demo`: the sampler simulator trelm-sim at the far end of a
// pseudo-terminal cable, with every port option COM 1 to COM 10 mapped to
// the cable's other end, so "&Retrieve Data" runs a whole download on a
// machine without a sampler. The simulator runs as a child process (the
// simulator kit's): it has its own copy of the serial library, so the
// retrieval closing all of its ports leaves the simulator's end open.
#pragma once

#include <string>
#include <vector>

#include "datafile/result.h"
#include "simkit/sim_process.h"

namespace trelm::shell {

class DemoSimulator {
public:
    // Starts trelm-sim (beside the program, else on the search path) with
    // `roleAndOptions` and maps COM 1 to COM 10 to its terminal. The
    // simulator stops when the object goes.
    Status start(const std::vector<std::string> &roleAndOptions);
    const std::string &terminal() const { return m_process.terminal(); }

private:
    simkit::SimProcess m_process;
};

// Starts the simulator (role and options as trelm-sim takes them; the
// sampler when none are given), then the window; stops the simulator when
// the window closes. Returns the exit status.
int runDemo(int argc, char **argv, const std::vector<std::string> &simulatorArgs);

} // namespace trelm::shell
