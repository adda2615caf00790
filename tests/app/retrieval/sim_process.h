// The sampler simulator trelm-sim run as a process of its own at the far end
// of its pseudo-terminal cable: it has its own copy of the serial library,
// so closing every port of the program under test leaves its end alone.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

class SimProcess {
public:
    // Starts trelm-sim with `args` (the role first) and waits for the path
    // of the terminal the program should open. Throws when it does not come.
    explicit SimProcess(std::vector<std::string> args);
    ~SimProcess(); // stops the simulator
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    const std::string &path() const { return m_path; }
    // Every byte the program sent so far (the simulator's --log).
    std::string sent() const;
    // Waits up to `timeoutMs` for the simulator to end by itself (--once):
    // its exit status, or -1 when it is still running.
    int waitExit(int timeoutMs);

private:
    std::filesystem::path m_folder;
    std::string m_path;
    pid_t m_pid = -1;
};
