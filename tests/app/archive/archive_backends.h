// The two engines every archive behaviour is checked on, and the running
// of trelmlink as a child process (imports killed or run side by side).
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <vector>

#include "test_files.h"

namespace archivetest {

enum class Backend { Sqlite, Postgres };
const char *caseName(Backend backend);
// gtest prints a parameter beside its test's name: the engine's name.
inline std::ostream &operator<<(std::ostream &out, Backend backend) { return out << caseName(backend); }

// A fresh archive of the backend for one test: an SQLite file in a temp
// folder or a new database on the test cluster. `location` is the --db
// value; `skipReason` is set (and location empty) when the backend cannot
// run here.
struct FreshArchive {
    explicit FreshArchive(Backend backend);
    std::string location;
    std::string skipReason;
    testfiles::TempDir folder{"archive-db"};
};

// The output and exit status of a command run in-process.
struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};
CommandRun runCommand(const std::vector<std::string> &args);

// The last line of a text ("" when there is none).
std::string lastLine(const std::string &text);

// trelmlink started as a child with its output in files of `folder`.
class ChildProgram {
public:
    ChildProgram(const std::vector<std::string> &args, const std::filesystem::path &folder, const std::string &tag);
    ~ChildProgram();
    ChildProgram(const ChildProgram &) = delete;
    ChildProgram &operator=(const ChildProgram &) = delete;
    // The exit status, -1 when it ended by a signal or not within the limit.
    int wait(int timeoutSeconds = 120);
    std::string out() const;
    std::string err() const;

private:
    pid_t m_pid = -1;
    std::filesystem::path m_out;
    std::filesystem::path m_err;
};

} // namespace archivetest
