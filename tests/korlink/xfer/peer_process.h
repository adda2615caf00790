// A peer program (lrzsz, the Python XMODEM module) running on the slave side
// of a pty pair, in a folder of its own.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace xfertest {

class PeerProcess {
public:
    // Starts `argv` with the tty at `slavePath` as stdin and stdout, stderr
    // into `workDir`/peer.log, and `workDir` as its working directory.
    PeerProcess(const std::vector<std::string> &argv, const std::string &slavePath,
                const std::string &workDir);
    ~PeerProcess();   // kills the peer if it still runs
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;

    // Waits for the exit; the exit status, or -1 when it did not end in time
    // (it is then killed).
    int wait(std::chrono::milliseconds limit);

    // What the peer wrote to stderr.
    std::string log() const;

    // CPU time (user + system) of the peer after wait(), in seconds.
    double cpuSeconds() const { return m_cpuSeconds; }

private:
    int m_pid = -1;
    std::string m_workDir;
    double m_cpuSeconds = 0;
};

}  // namespace xfertest
