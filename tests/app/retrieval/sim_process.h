// The simulator kit's child process for the retrieval tests: the built
// trelm-sim (TRELM_SIM, set by the tests' CMakeLists), the bytes the program
// sends kept, and a failed start thrown, so a test reads as one line.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "simkit/sim_process.h"

class SimProcess : public simkit::SimProcess {
public:
    // Starts trelm-sim with `args` (the role first) and waits for the path
    // of the terminal the program should open.
    explicit SimProcess(std::vector<std::string> args) {
        trelm::Status started = start({.program = TRELM_SIM, .args = std::move(args), .logSent = true,
                                       .waitLimit = std::chrono::seconds(10)});
        if (!started)
            throw std::runtime_error(started.error().message());
    }

    const std::string &path() const { return terminal(); }
    int waitExit(int timeoutMs) { return simkit::SimProcess::waitExit(std::chrono::milliseconds(timeoutMs)); }
};
