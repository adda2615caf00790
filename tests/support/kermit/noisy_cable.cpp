#include "noisy_cable.h"

#include <poll.h>
#include <random>
#include <unistd.h>

namespace kermittest {

NoisyCable::NoisyCable(int com, int oneIn, uint32_t seed) : m_oneIn(oneIn) {
    m_ours.exposeAs(com);
    m_thread = std::thread([this, seed] { run(seed); });
}

NoisyCable::~NoisyCable() {
    m_stop = true;
    m_thread.join();
}

void NoisyCable::run(uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pick(0, m_oneIn > 0 ? m_oneIn - 1 : 0);
    std::uniform_int_distribution<int> bit(0, 7);
    const int from[2] = {m_ours.master(), m_peer.master()};
    const int to[2] = {m_peer.master(), m_ours.master()};
    while (!m_stop) {
        pollfd fds[2] = {{from[0], POLLIN, 0}, {from[1], POLLIN, 0}};
        if (poll(fds, 2, 20) <= 0) continue;
        for (int side = 0; side < 2; ++side) {
            if (!(fds[side].revents & POLLIN)) continue;
            unsigned char buffer[4096];
            ssize_t got = ::read(from[side], buffer, sizeof buffer);
            if (got <= 0) continue;
            for (ssize_t i = 0; i < got; ++i) {
                if (m_oneIn > 0 && pick(random) == 0) {
                    buffer[i] ^= static_cast<unsigned char>(1u << bit(random));
                    ++m_flips;
                }
            }
            for (ssize_t done = 0; done < got;) {
                ssize_t put = ::write(to[side], buffer + done, static_cast<size_t>(got - done));
                if (put <= 0) break;
                done += put;
            }
        }
    }
}

}  // namespace kermittest
