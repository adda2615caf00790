// The trelmlink program run as a child process, as a script or cron job
// runs it: its stderr read line by line while it runs, signals sent to it,
// its exit awaited with a deadline. Needed where one process cannot stand
// in for the program (two retrievals at once, Ctrl-C, a file-size limit).
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <thread>
#include <vector>

class ProgramRun {
public:
    struct Options {
        std::vector<std::pair<std::string, std::string>> environment; // set in the child only
        std::optional<rlim_t> fileSizeLimit; // RLIMIT_FSIZE in bytes; SIGXFSZ ignored so writes fail instead
        std::optional<std::string> user;     // run as this user, with its group and no others (needs root)
        std::optional<std::string> program;  // another copy of the program to run
    };

    ProgramRun(const std::vector<std::string> &args, const Options &options);
    ~ProgramRun(); // kills a child still running
    ProgramRun(const ProgramRun &) = delete;
    ProgramRun &operator=(const ProgramRun &) = delete;

    pid_t pid() const { return m_pid; }
    // Waits until a stderr line holds `text`; false at the deadline or when
    // the program ended without one.
    bool waitForLine(const std::string &text, std::chrono::milliseconds timeout);
    void signal(int number) const;
    // The exit status, or nothing when it did not end in time (or was killed).
    std::optional<int> waitExit(std::chrono::milliseconds timeout);
    std::string err();
    std::string out();

private:
    void readAll(int fd, std::string &into);

    pid_t m_pid = -1;
    int m_status = -1;
    bool m_ended = false;
    std::mutex m_mutex;
    std::string m_err;
    std::string m_out;
    std::thread m_errReader;
    std::thread m_outReader;
};
