// A null-modem cable that corrupts: two pseudo-terminals whose masters a
// relay joins, flipping one bit of about one byte in `oneIn` in each
// direction (a seeded generator, so a failing run can be repeated). The
// library's end is exposed as a COM port; a peer opens the other end.
#pragma once

#include "pty_pair.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace kermittest {

class NoisyCable {
public:
    // `oneIn` 0: a clean cable.
    NoisyCable(int com, int oneIn, uint32_t seed);
    ~NoisyCable();
    NoisyCable(const NoisyCable &) = delete;
    NoisyCable &operator=(const NoisyCable &) = delete;

    const std::string &peerEnd() const { return m_peer.slavePath(); }
    // Bytes changed so far, both directions.
    int64_t flips() const { return m_flips.load(); }

private:
    void run(uint32_t seed);

    testsupport::PtyPair m_ours;
    testsupport::PtyPair m_peer;
    int m_oneIn;
    std::atomic<bool> m_stop{false};
    std::atomic<int64_t> m_flips{0};
    std::thread m_thread;
};

}  // namespace kermittest
