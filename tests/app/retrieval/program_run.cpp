#include "program_run.h"

#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "wait_until.h"

ProgramRun::ProgramRun(const std::vector<std::string> &args, const Options &options) {
    int errPipe[2], outPipe[2];
    if (::pipe(errPipe) != 0 || ::pipe(outPipe) != 0)
        throw std::runtime_error("cannot make pipes for the program");
    std::vector<std::string> argv = args;
    argv.insert(argv.begin(), options.program.value_or(TRELMLINK_PROGRAM));
    std::vector<char *> pointers;
    for (std::string &arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    // Looked up before the fork: the child may make only async-signal-safe calls.
    std::optional<std::pair<uid_t, gid_t>> user;
    if (options.user) {
        const passwd *entry = ::getpwnam(options.user->c_str());
        if (!entry)
            throw std::runtime_error("no user " + *options.user);
        user.emplace(entry->pw_uid, entry->pw_gid);
    }
    m_pid = ::fork();
    if (m_pid < 0)
        throw std::runtime_error("cannot start the program");
    if (m_pid == 0) { // the child: only async-signal-safe calls from here on, bar setenv
        ::dup2(errPipe[1], STDERR_FILENO);
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::close(errPipe[0]);
        ::close(outPipe[0]);
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        for (const auto &[name, value] : options.environment)
            ::setenv(name.c_str(), value.c_str(), 1);
        if (options.fileSizeLimit) {
            ::signal(SIGXFSZ, SIG_IGN); // kept across exec: a write past the limit fails with EFBIG
            const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(user->second) != 0 || ::setuid(user->first) != 0))
            ::_exit(126);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    ::close(errPipe[1]);
    ::close(outPipe[1]);
    m_errReader = std::thread([this, fd = errPipe[0]] { readAll(fd, m_err); });
    m_outReader = std::thread([this, fd = outPipe[0]] { readAll(fd, m_out); });
}

ProgramRun::~ProgramRun() {
    if (!m_ended) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    m_errReader.join();
    m_outReader.join();
}

void ProgramRun::readAll(int fd, std::string &into) {
    char buffer[4096];
    for (;;) {
        const ssize_t size = ::read(fd, buffer, sizeof buffer);
        if (size <= 0)
            break;
        std::lock_guard lock(m_mutex);
        into.append(buffer, static_cast<std::size_t>(size));
    }
    ::close(fd);
}

bool ProgramRun::waitForLine(const std::string &text, std::chrono::milliseconds timeout) {
    return testsupport::waitUntil([&] { return err().find(text) != std::string::npos; }, timeout,
                                  std::chrono::milliseconds(5));
}

void ProgramRun::signal(int number) const { ::kill(m_pid, number); }

std::optional<int> ProgramRun::waitExit(std::chrono::milliseconds timeout) {
    const bool ended = m_ended || testsupport::waitUntil(
                                      [&] {
                                          if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid)
                                              m_ended = true;
                                          return m_ended;
                                      },
                                      timeout, std::chrono::milliseconds(5));
    if (!ended || !WIFEXITED(m_status))
        return std::nullopt;
    return WEXITSTATUS(m_status);
}

std::string ProgramRun::err() {
    std::lock_guard lock(m_mutex);
    return m_err;
}

std::string ProgramRun::out() {
    std::lock_guard lock(m_mutex);
    return m_out;
}
