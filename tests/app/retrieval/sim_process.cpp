#include "sim_process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>

extern char **environ;

SimProcess::SimProcess(std::vector<std::string> args) {
    char folder[] = "/tmp/sim-process.XXXXXX";
    if (!mkdtemp(folder))
        throw std::runtime_error("cannot make a folder for the simulator");
    m_folder = folder;
    const std::string pathFile = (m_folder / "path").string();
    args.insert(args.begin(), TRELM_SIM);
    for (const std::string &extra : {std::string("--path-file"), pathFile, std::string("--log"),
                                    (m_folder / "sent").string()})
        args.push_back(extra);
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&m_pid, TRELM_SIM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error(std::string("cannot start ") + TRELM_SIM);
    // The path file appears whole (written aside, then renamed).
    for (int waited = 0; waited < 1000 && m_path.empty(); ++waited) {
        std::ifstream(pathFile) >> m_path;
        if (m_path.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (m_path.empty())
        throw std::runtime_error("trelm-sim did not tell its terminal");
}

SimProcess::~SimProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    std::error_code error;
    std::filesystem::remove_all(m_folder, error);
}

std::string SimProcess::sent() const {
    std::ifstream file(m_folder / "sent", std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

int SimProcess::waitExit(int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}
