#include "archive_backends.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

#include "cli/commands.h"
#include "postgres_cluster.h"

extern char **environ;

namespace archivetest {

const char *caseName(Backend backend) { return backend == Backend::Sqlite ? "SQLite" : "PostgreSQL"; }

FreshArchive::FreshArchive(Backend backend) {
    if (backend == Backend::Sqlite) {
        location = (folder / "archive.sqlite").string();
        return;
    }
    if (PostgresCluster *cluster = PostgresCluster::shared(skipReason))
        location = cluster->createDatabase();
}

CommandRun runCommand(const std::vector<std::string> &args) {
    std::ostringstream out, err;
    CommandRun run;
    run.status = trelm::cli::runCli(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::string lastLine(const std::string &text) {
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.back() == '\n')
        trimmed.pop_back();
    const std::size_t newline = trimmed.rfind('\n');
    return newline == std::string::npos ? trimmed : trimmed.substr(newline + 1);
}

ChildProgram::ChildProgram(const std::vector<std::string> &args, const std::filesystem::path &folder,
                           const std::string &tag)
    : m_out(folder / (tag + ".out")), m_err(folder / (tag + ".err")) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> words = args;
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProgram::~ChildProgram() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

int ChildProgram::wait(int timeoutSeconds) {
    if (m_pid <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return -1; // the destructor kills it
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ChildProgram::out() const { return testfiles::readText(m_out); }
std::string ChildProgram::err() const { return testfiles::readText(m_err); }

} // namespace archivetest
