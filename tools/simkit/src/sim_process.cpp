#include "simkit/sim_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace simkit {

namespace fs = std::filesystem;

namespace {

constexpr auto kPoll = std::chrono::milliseconds(10);

// Runs `args` (the program first) with standard output to /dev/null; the
// error number of a failed start, else 0.
int spawnQuiet(std::vector<std::string> args, pid_t &pid) {
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed;
}

} // namespace

std::string simulatorBesideProgram() {
    std::error_code error;
    const fs::path beside = fs::read_symlink("/proc/self/exe", error).parent_path() / "trelm-sim";
    return !error && fs::exists(beside, error) ? beside.string() : "trelm-sim";
}

trelm::Status SimProcess::start(SimLaunch launch) {
    stop();
    char folder[] = "/tmp/trelm-sim-process.XXXXXX";
    if (!mkdtemp(folder))
        return trelm::Error{"/tmp", std::string("cannot make a folder for the simulator: ") + std::strerror(errno)};
    m_folder = folder;
    const fs::path pathFile = m_folder / "terminal";
    std::vector<std::string> args = {launch.program};
    args.insert(args.end(), launch.args.begin(), launch.args.end());
    args.insert(args.end(), {"--path-file", pathFile.string()});
    if (launch.logSent)
        args.insert(args.end(), {"--log", (m_folder / "sent").string()});
    if (const int failed = spawnQuiet(args, m_pid); failed != 0) {
        m_pid = -1;
        stop();
        return trelm::Error{launch.program, std::string("cannot start the sampler simulator: ") + std::strerror(failed)};
    }
    // The simulator writes the terminal's path aside and renames it into
    // place once its end is open, so the file is read whole or not at all.
    const auto deadline = std::chrono::steady_clock::now() + launch.waitLimit;
    while (m_terminal.empty() && std::chrono::steady_clock::now() < deadline) {
        std::ifstream file(pathFile);
        m_terminals.clear();
        for (std::string path; file >> path;)
            m_terminals.push_back(path); // one a line when it serves several stations
        m_terminal = m_terminals.empty() ? std::string() : m_terminals.front();
        int status = 0;
        if (m_terminal.empty() && waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            stop();
            return trelm::Error{launch.program, "the sampler simulator ended at its start"};
        }
        if (m_terminal.empty())
            std::this_thread::sleep_for(kPoll);
    }
    if (m_terminal.empty()) {
        stop();
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(launch.waitLimit).count();
        return trelm::Error{launch.program, "the sampler simulator did not tell its terminal within " +
                                                std::to_string(seconds) + " seconds"};
    }
    return trelm::Done{};
}

std::string SimProcess::sent() const {
    std::ifstream file(m_folder / "sent", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

int SimProcess::waitExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (m_pid > 0) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(kPoll);
    }
    return -1;
}

void SimProcess::stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
    }
    if (!m_folder.empty()) {
        std::error_code error;
        fs::remove_all(m_folder, error);
        m_folder.clear();
    }
    m_terminal.clear();
    m_terminals.clear();
}

SimProcess::~SimProcess() { stop(); }

} // namespace simkit
