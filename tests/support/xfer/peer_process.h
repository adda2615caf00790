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
    // into `workDir`/peer.log, and `workDir` as its working directory. With
    // `outputToPipe` its stdout is a pipe instead (see outputPipe()).
    PeerProcess(const std::vector<std::string> &argv, const std::string &slavePath,
                const std::string &workDir, bool outputToPipe = false);
    ~PeerProcess();   // kills the peer if it still runs
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;

    // Waits for the exit; the exit status, or -1 when it did not end in time
    // (it is then killed).
    int wait(std::chrono::milliseconds limit);

    // Read end of the peer's stdout pipe, or -1. A pipe keeps what the peer
    // wrote even when it flushes its tty's output as it exits: lrzsz does,
    // so its last block or ACK could otherwise be lost to the reader.
    int outputPipe() const { return m_outputPipe; }

    // Kills the peer at once (SIGKILL), as a line that goes dead or a peer
    // that crashes: it gets no chance to answer or to tidy up its files.
    // Async-signal-safe: callable from a status callback on any thread.
    void vanish() const;
    // Asks the peer to stop (SIGTERM), as an operator ending it would: it
    // may still put its own last words on the line. Async-signal-safe.
    void stop() const;

    // What the peer wrote to stderr.
    std::string log() const;

    // CPU time (user + system) of the peer after wait(), in seconds.
    double cpuSeconds() const { return m_cpuSeconds; }

private:
    int m_pid = -1;
    int m_outputPipe = -1;
    std::string m_workDir;
    double m_cpuSeconds = 0;
};

}  // namespace xfertest
