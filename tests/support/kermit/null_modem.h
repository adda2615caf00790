// A null-modem cable for tests against real Kermit programs: two
// pseudo-terminals joined by socat, so the library and the peer each own
// their terminal's modes. The library's end is exposed as a COM port.
#pragma once

#include "peer_process.h"
#include "xfer_fixture.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kermittest {

using testfiles::TempDir;

class NullModemCable {
public:
    // Starts socat and waits until both ends exist; throws when they do not
    // appear. The library's end becomes COM `com`.
    explicit NullModemCable(int com);
    ~NullModemCable();
    NullModemCable(const NullModemCable &) = delete;
    NullModemCable &operator=(const NullModemCable &) = delete;

    const std::string &peerEnd() const { return m_peerEnd; }
    const std::string &ourEnd() const { return m_ourEnd; }

private:
    TempDir m_dir;
    std::string m_ourEnd;
    std::string m_peerEnd;
    int m_pid = -1;
};

// The library's port on one end of a cable, a peer folder and ours, and
// the peer program on the other end.
class KermitLink {
public:
    KermitLink();
    ~KermitLink();

    PortHandle handle() const { return m_handle; }
    const TempDir &peerDir() const { return m_peerDir; }
    const TempDir &ourDir() const { return m_ourDir; }
    const std::string &peerEnd() const { return m_cable.peerEnd(); }

    // gkermit talks over its standard input and output: the peer's end is
    // both. C-Kermit opens the line itself (`set line`) and gets /dev/null.
    xfertest::PeerProcess &startPeer(const std::vector<std::string> &argv, bool onStdio);

private:
    NullModemCable m_cable;
    TempDir m_peerDir;
    TempDir m_ourDir;
    PortHandle m_handle = nullptr;
    std::unique_ptr<xfertest::PeerProcess> m_peer;
};

inline constexpr int cableCom = 8;
inline constexpr auto peerLimit = std::chrono::seconds(150);

// gkermit held to 94-character packets, without streaming, binary files,
// names kept as they are.
std::vector<std::string> gkermitSend(const std::vector<std::string> &files);
std::vector<std::string> gkermitReceive();
// C-Kermit on `line`, binary files (no text detection by name), names kept;
// `settings` are more C-Kermit commands, each followed by ", ".
std::vector<std::string> ckermitSend(const std::string &line, const std::vector<std::string> &files,
                                     const std::string &settings = {});
std::vector<std::string> ckermitReceive(const std::string &line, const std::string &settings = {});

}  // namespace kermittest
