// The library's port and a peer program joined through a relay: pty pair A
// carries the library's line, pty pair B the peer's, the relay bridges the
// two masters (and injects faults or paces the line when asked).
#pragma once

#include "line_relay.h"
#include "peer_process.h"
#include "xfer_fixture.h"

#include <memory>
#include <string>
#include <vector>

namespace xfertest {

class PeerLink {
public:
    // `peerOutputToPipe` false leaves the peer's stdout on its tty, as on a
    // real line: what lrzsz flushes from its tty as it exits is then lost.
    explicit PeerLink(RelayFaults faults = {}, int bytesPerSecond = 0, bool peerOutputToPipe = true)
        : m_faults(faults), m_bytesPerSecond(bytesPerSecond), m_peerOutputToPipe(peerOutputToPipe) {}
    ~PeerLink() {
        m_relay.reset();   // before the peer's pipe closes
        m_peer.reset();
    }

    PortHandle handle() const { return m_port.handle(); }
    const TempDir &peerDir() const { return m_peerDir; }
    const TempDir &ourDir() const { return m_ourDir; }
    const LineRelay &relay() const { return *m_relay; }

    // Starts a peer program in the peer's folder on the peer's line (its
    // output through a pipe: see PeerProcess::outputPipe()), and the relay.
    PeerProcess &startPeer(const std::vector<std::string> &argv) {
        m_peer = std::make_unique<PeerProcess>(argv, m_peerLine.slavePath(),
                                               m_peerDir.path().string(), m_peerOutputToPipe);
        int library = m_port.line().master();
        int peerOutput = m_peerOutputToPipe ? m_peer->outputPipe() : m_peerLine.master();
        m_relay = std::make_unique<LineRelay>(LineRelay::Side{library, library},
                                              LineRelay::Side{peerOutput, m_peerLine.master()},
                                              m_faults, m_bytesPerSecond);
        return *m_peer;
    }

private:
    RelayFaults m_faults;
    int m_bytesPerSecond;
    bool m_peerOutputToPipe;
    OpenPort m_port;
    testsupport::PtyPair m_peerLine;
    TempDir m_peerDir;
    TempDir m_ourDir;
    std::unique_ptr<PeerProcess> m_peer;
    std::unique_ptr<LineRelay> m_relay;
};

}  // namespace xfertest
