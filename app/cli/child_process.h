// A child program with its standard output and error on pipes the parent
// reads, its input from /dev/null, default signal handling and a process
// group of its own, so a Ctrl-C at the terminal reaches the parent alone and
// the parent decides how each child is told to stop.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "datafile/result.h"

namespace trelm::cli {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess(); // closes the pipes; the process itself is the caller's to reap
    ChildProcess(ChildProcess &&other) noexcept;
    ChildProcess &operator=(ChildProcess &&other) noexcept;
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts `program` with `args` (args[0] is the program's name).
    static Result<ChildProcess> spawn(const std::string &program, const std::vector<std::string> &args);

    pid_t pid() const { return m_pid; }
    // Non-blocking read ends; -1 once closed.
    int outFd() const { return m_out; }
    int errFd() const { return m_err; }
    void closeOut();
    void closeErr();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

// The path of the running program (/proc/self/exe), to start itself again.
std::string ownProgramPath();

} // namespace trelm::cli
