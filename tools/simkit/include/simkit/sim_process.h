// The sampler simulator trelm-sim run as a child process at the far end of
// its pseudo-terminal cable. A process of its own has its own copy of the
// serial library, so a program closing every one of its ports leaves the
// simulator's end open. `trelmlink --demo` and the retrieval tests start it.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

#include "datafile/result.h"

namespace simkit {

struct SimLaunch {
    std::string program;           // a path, or a bare name looked up on the search path
    std::vector<std::string> args; // the role first, then trelm-sim's options
    bool logSent = false;          // keep every byte the program sends, for sent()
    std::chrono::milliseconds waitLimit{5000}; // for the terminal's path
};

class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess(); // stop()
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Starts the simulator (standard output to /dev/null) and waits for the
    // path of the terminal the program should open. The error names the
    // program and says what went wrong; a failed start leaves nothing behind.
    trelm::Status start(SimLaunch launch);
    // The terminal the program opens; empty until start() succeeded.
    const std::string &terminal() const { return m_terminal; }
    // Every station's terminal, in the order of the roles, when it serves several.
    const std::vector<std::string> &terminals() const { return m_terminals; }
    // Every byte the program sent so far (with SimLaunch::logSent).
    std::string sent() const;
    // Waits up to `limit` for the simulator to end by itself (--once): its
    // exit status, or -1 when it is still running.
    int waitExit(std::chrono::milliseconds limit);
    // Ends the simulator (SIGTERM, then waits for it) and removes its folder.
    void stop();

private:
    pid_t m_pid = -1;
    std::filesystem::path m_folder; // the path file and the log
    std::string m_terminal;
    std::vector<std::string> m_terminals;
};

// trelm-sim beside the running program when it is there, else the bare name
// for the search path.
std::string simulatorBesideProgram();

} // namespace simkit
