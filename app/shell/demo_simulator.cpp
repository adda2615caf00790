#include "shell/demo_simulator.h"

#include <cstdlib>
#include <iostream>

#include "korlink_binder/com_device.h"
#include "shell/window_app.h"

namespace trelm::shell {

namespace {
constexpr int kLastPortOption = 10; // COM 1 to COM 10
}

Status DemoSimulator::start(const std::vector<std::string> &roleAndOptions) {
    if (Status started = m_process.start({.program = simkit::simulatorBesideProgram(), .args = roleAndOptions});
        !started)
        return started;
    for (int port = 1; port <= kLastPortOption; ++port)
        setenv(comVariable(port).c_str(), terminal().c_str(), 1);
    return Done{};
}

int runDemo(int argc, char **argv, const std::vector<std::string> &simulatorArgs) {
    DemoSimulator simulator;
    const std::vector<std::string> roleAndOptions =
        simulatorArgs.empty() ? std::vector<std::string>{"sampler"} : simulatorArgs;
    if (Status started = simulator.start(roleAndOptions); !started) {
        std::cerr << "trelmlink: " << started.error().message() << '\n';
        return 1;
    }
    std::cerr << "trelmlink: demo: the simulated " << roleAndOptions.front() << " answers on every port option ("
              << simulator.terminal() << ")\n";
    return runWindow(argc, argv, std::nullopt);
}

} // namespace trelm::shell
