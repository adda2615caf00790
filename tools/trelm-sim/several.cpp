#include "several.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace trelmsim {

namespace {

constexpr long kHighestUnit = 9999;
// How long a station's process may take to make its cable.
constexpr int kPathWaitMs = 10000;

bool number(const std::string &text, long high, long &value) {
    char *end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= 0 && value <= high;
}

// Reads the one line a station's process prints: the path of its cable.
std::string readPath(int fd) {
    std::string path;
    char c = 0;
    pollfd wait{fd, POLLIN, 0};
    while (poll(&wait, 1, kPathWaitMs) > 0 && read(fd, &c, 1) == 1 && c != '\n')
        path.push_back(c);
    return c == '\n' ? path : std::string();
}

void stopAll(const std::vector<pid_t> &children) {
    for (pid_t child : children)
        if (child > 0)
            kill(child, SIGTERM);
}

}  // namespace

bool parseStationSetup(const std::string &text, StationSetup &setup) {
    const auto first = text.find(':');
    if (!parseRole(text.substr(0, first), setup.role))
        return false;
    if (first == std::string::npos)
        return true;
    const auto second = text.find(':', first + 1);
    long value = 0;
    const std::string seed = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (!seed.empty()) {
        if (!number(seed, 1L << 30, value))
            return false;
        setup.seed = static_cast<unsigned>(value);
    }
    if (second != std::string::npos) {
        if (!number(text.substr(second + 1), kHighestUnit, value) || value == 0)
            return false;
        setup.unit = static_cast<int>(value);
    }
    return true;
}

void applyStationSetup(const StationSetup &setup, unsigned index, Options &options) {
    options.role = setup.role;
    options.seed = setup.seed.value_or(options.seed + index);
    if (setup.unit)
        options.unit = *setup.unit;
}

int serveSeveral(const std::vector<StationSetup> &stations, const Options &shared, const std::string &pathFile,
                 const sigset_t &signals) {
    std::vector<pid_t> children;
    std::vector<std::string> paths;
    for (unsigned i = 0; i < stations.size(); ++i) {
        int pathPipe[2];
        if (pipe(pathPipe) != 0)
            break;
        std::cout.flush();
        const pid_t child = fork();
        if (child == 0) {
            // The station's process: its path on the pipe instead of stdout.
            close(pathPipe[0]);
            dup2(pathPipe[1], STDOUT_FILENO);
            close(pathPipe[1]);
            Options options = shared;
            applyStationSetup(stations[i], i, options);
            if (!options.log.empty())
                options.log.replace_extension(options.log.extension().string().append(".").append(std::to_string(i)));
            _exit(serveOne(options, "", signals));
        }
        close(pathPipe[1]);
        const std::string path = child > 0 ? readPath(pathPipe[0]) : std::string();
        close(pathPipe[0]);
        children.push_back(child);
        if (path.empty()) {
            std::cerr << "trelm-sim: station " << i + 1 << " did not start\n";
            stopAll(children);
            for (pid_t started : children)
                if (started > 0)
                    waitpid(started, nullptr, 0);
            return 1;
        }
        paths.push_back(path);
    }
    std::string listed;
    for (const std::string &path : paths)
        listed += path + '\n';
    std::cout << listed << std::flush;
    if (!pathFile.empty()) {
        const std::string partial = pathFile + ".part";
        std::ofstream(partial) << listed;
        std::rename(partial.c_str(), pathFile.c_str());
    }
    // Until a signal, or until every station has ended by itself (--once).
    int failed = 0;
    std::size_t running = children.size();
    const timespec tick{0, 100 * 1000 * 1000};
    while (running > 0) {
        if (sigtimedwait(&signals, nullptr, &tick) >= 0) {
            stopAll(children);
            break;
        }
        for (pid_t &child : children) {
            int status = 0;
            if (child > 0 && waitpid(child, &status, WNOHANG) == child) {
                failed += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                child = -1;
                --running;
            }
        }
    }
    for (pid_t child : children) {
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child)
            failed += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return failed == 0 ? 0 : 1;
}

}  // namespace trelmsim
