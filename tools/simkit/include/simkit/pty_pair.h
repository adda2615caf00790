// A pseudo-terminal pair: Korlink opens the slave as a COM port (through
// KORLINK_COM<n>); the simulator's relay, a test or a peer program drives the
// master.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace simkit {

class PtyPair {
public:
    PtyPair();                       // raw mode, no echo; throws on failure
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    int master() const { return m_master; }
    const std::string &slavePath() const { return m_slavePath; }

    // Points KORLINK_COM<com> at the slave so COMMWinInit(com, ...) opens it.
    void exposeAs(int com) const;

    // Writes all bytes to the master (the port's receive side).
    void send(const std::string &bytes) const;
    void send(const std::vector<unsigned char> &bytes) const;

    // Reads what the port sent until `count` bytes arrived or `timeout`
    // passed; waits with poll, never spins.
    std::string receive(size_t count, std::chrono::milliseconds timeout) const;

    // Closes the master: the peer vanishes.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;   // kept open so the line stays up between port opens
    std::string m_slavePath;
};

}  // namespace simkit
