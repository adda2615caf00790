// A CUPS scheduler of the test's own: cupsd started in a temporary folder
// with its own configuration, spool, logs and Unix socket, and cups-pdf
// queues whose PDFs land in that folder. cups-pdf reads its settings only
// from /etc/cups, so cupsd runs in a mount namespace of its own where the
// temporary configuration folder stands at /etc/cups; the machine's own
// configuration is never touched. Clients find it through CUPS_SERVER.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

#include "test_files.h"

class PrivateCups {
public:
    // Starts cupsd and waits for its socket. When it cannot run here,
    // skipReason() says why and nothing else works.
    PrivateCups();
    ~PrivateCups();
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;

    const std::string &skipReason() const { return m_skipReason; }
    std::string socket() const { return (m_dir.path() / "cups.sock").string(); }

    // Adds an enabled, accepting cups-pdf queue; `options` are lpadmin -o
    // settings such as "orientation-requested-default=4". Empty on
    // success, else lpadmin's complaint.
    std::string addPdfQueue(const std::string &name, const std::vector<std::string> &options);
    // cupsreject: the queue refuses new jobs.
    std::string reject(const std::string &name);

    // The PDFs the queues have written, once there are `count` of them or
    // the time is up.
    std::vector<std::filesystem::path> waitForPdfs(std::size_t count, std::chrono::seconds timeout) const;

private:
    // Empty when the command succeeded, else what it said.
    std::string run(const std::vector<std::string> &command) const;
    // What the command printed, its status in `status`.
    std::string capture(const std::vector<std::string> &command, int &status) const;
    void writeConfiguration() const;

    testfiles::TempDir m_dir{"cups"};
    pid_t m_pid = -1;
    std::string m_skipReason;
};
