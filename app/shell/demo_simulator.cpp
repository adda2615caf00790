#include "shell/demo_simulator.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <iostream>
#include <thread>

#include "shell/window_app.h"

extern char **environ;

namespace trelm::shell {

namespace fs = std::filesystem;

std::string simulatorProgram() {
    std::error_code error;
    const fs::path beside = fs::read_symlink("/proc/self/exe", error).parent_path() / "trelm-sim";
    return !error && fs::exists(beside, error) ? beside.string() : "trelm-sim";
}

Status DemoSimulator::start(const std::vector<std::string> &roleAndOptions) {
    char folder[] = "/tmp/trelmlink-demo.XXXXXX";
    if (!mkdtemp(folder))
        return Error{"/tmp", std::string("cannot make a folder for the simulator: ") + std::strerror(errno)};
    m_folder = folder;
    const std::string pathFile = m_folder + "/terminal";
    const std::string program = simulatorProgram();
    std::vector<std::string> args = {program};
    args.insert(args.end(), roleAndOptions.begin(), roleAndOptions.end());
    args.insert(args.end(), {"--path-file", pathFile});
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        m_pid = -1;
        return Error{program, std::string("cannot start the sampler simulator: ") + std::strerror(failed)};
    }
    // The simulator writes the terminal's path aside and renames it into
    // place once its end is open.
    for (int polls = 0; polls < 500 && m_terminal.empty(); ++polls) {
        std::ifstream(pathFile) >> m_terminal;
        int status = 0;
        if (m_terminal.empty() && waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return Error{program, "the sampler simulator ended at its start"};
        }
        if (m_terminal.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (m_terminal.empty())
        return Error{program, "the sampler simulator did not tell its terminal within 5 seconds"};
    for (int port = 1; port <= 10; ++port)
        setenv(("KORLINK_COM" + std::to_string(port)).c_str(), m_terminal.c_str(), 1);
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

DemoSimulator::~DemoSimulator() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (!m_folder.empty()) {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
}

} // namespace trelm::shell
