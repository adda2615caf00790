#include "peer_process.h"

#include "xfer_fixture.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace xfertest {

PeerProcess::PeerProcess(const std::vector<std::string> &argv, const std::string &slavePath,
                         const std::string &workDir, bool outputToPipe)
    : m_workDir(workDir) {
    int pipeEnds[2] = {-1, -1};
    if (outputToPipe && pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<char *> args;
    for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
    args.push_back(nullptr);
    std::string logPath = workDir + "/peer.log";
    m_pid = fork();
    if (m_pid < 0) throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        setsid();
        int tty = open(slavePath.c_str(), O_RDWR);
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (tty < 0 || log < 0 || chdir(workDir.c_str()) != 0) _exit(126);
        dup2(tty, 0);
        dup2(outputToPipe ? pipeEnds[1] : tty, 1);
        dup2(log, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (outputToPipe) {
        ::close(pipeEnds[1]);
        m_outputPipe = pipeEnds[0];
    }
}

PeerProcess::~PeerProcess() {
    if (m_outputPipe >= 0) ::close(m_outputPipe);
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

void PeerProcess::vanish() const {
    if (m_pid > 0) kill(m_pid, SIGKILL);
}

void PeerProcess::stop() const {
    if (m_pid > 0) kill(m_pid, SIGTERM);
}

int PeerProcess::wait(std::chrono::milliseconds limit) {
    if (m_pid <= 0) return -1;
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    rusage usage{};
    for (;;) {
        pid_t done = wait4(m_pid, &status, WNOHANG, &usage);
        if (done == m_pid) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(m_pid, SIGKILL);
            wait4(m_pid, &status, 0, &usage);
            m_pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_pid = -1;
    m_cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string PeerProcess::log() const {
    return readText(m_workDir + "/peer.log");
}

}  // namespace xfertest
