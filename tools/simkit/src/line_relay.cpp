#include "simkit/line_relay.h"

#include <algorithm>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace simkit {
namespace {

using Clock = std::chrono::steady_clock;

// How far behind its line clock a paced lane may fall and still catch up.
constexpr std::chrono::milliseconds pacingCredit{20};
// The longest the relay sleeps: a stop request is seen this soon.
constexpr int idleMs = 10;

// One direction of the relay: bytes read but not yet written, with the
// pacing clock and, for the peer's direction, the faults.
struct Lane {
    Lane(int source, int sink, std::atomic<int64_t> *counter)
        : from(source), to(sink), forwarded(counter) {}

    int from;
    int to;
    std::deque<uint8_t> pending;
    std::deque<uint8_t> duplicate;  // bytes of the duplicated range read so far
    int64_t readOffset = 0;        // stream offset of the next byte read
    Clock::time_point nextByte{};  // pacing: when the next byte may go
    Clock::time_point stallUntil{};
    bool stallDone = false;
    const RelayFaults *faults = nullptr;  // only on the peer -> library lane
    std::atomic<int64_t> *forwarded;

    void take(const uint8_t *data, ssize_t count) {
        for (ssize_t i = 0; i < count; ++i, ++readOffset) {
            uint8_t byte = data[i];
            bool dropped = false;
            if (faults) {
                if (readOffset == faults->corruptAt) byte = static_cast<uint8_t>(~byte);
                dropped = readOffset >= faults->dropFrom && readOffset < faults->dropTo;
                if (!dropped && readOffset == faults->stallAt && !stallDone) {
                    stallUntil = Clock::now() + faults->stallFor;
                    stallDone = true;
                }
            }
            if (!dropped) pending.push_back(byte);
            if (faults && readOffset >= faults->duplicateFrom && readOffset < faults->duplicateTo)
                keepForDuplicate(byte, dropped);
        }
    }

    // The duplicated range may arrive over several reads, with part of it
    // already forwarded in between: its bytes are kept aside, and sent again
    // right after its last byte.
    void keepForDuplicate(uint8_t byte, bool dropped) {
        if (!dropped) duplicate.push_back(byte);
        if (readOffset + 1 != faults->duplicateTo) return;
        pending.insert(pending.end(), duplicate.begin(), duplicate.end());
        duplicate.clear();
    }

    // When the lane can next write: after `ms` at the latest, sooner once
    // its sink is writable when `whenWritable`.
    struct Wake {
        int ms;
        bool whenWritable;
    };

    // Writes what pacing and stalls allow.
    Wake flush(int bytesPerSecond) {
        Clock::time_point now = Clock::now();
        if (pending.empty()) return {idleMs, false};
        if (now < stallUntil) return {msUntil(stallUntil, now), false};
        size_t allowed = pending.size();
        if (bytesPerSecond > 0) {
            auto perByte = std::chrono::nanoseconds(1000000000LL / bytesPerSecond);
            // The relay wakes about once a millisecond, later under load: the
            // bytes that fell due since the last wake go now. Credit is capped
            // at a short span, so a line idle for long does not burst.
            auto credit = std::max<std::chrono::nanoseconds>(perByte, pacingCredit);
            if (nextByte < now - credit) nextByte = now - credit;
            allowed = 0;
            while (nextByte <= now && allowed < pending.size()) { nextByte += perByte; ++allowed; }
            if (allowed == 0) return {msUntil(nextByte, now), false};
        }
        uint8_t buffer[4096];
        size_t count = std::min({allowed, pending.size(), sizeof buffer});
        std::copy(pending.begin(), pending.begin() + static_cast<long>(count), buffer);
        ssize_t written = ::write(to, buffer, count);
        if (written > 0) {
            pending.erase(pending.begin(), pending.begin() + written);
            *forwarded += written;
        }
        if (pending.empty()) return {idleMs, false};
        if (bytesPerSecond > 0) return {msUntil(nextByte, now), false};
        // Unpaced: the rest goes as fast as the sink takes it.
        return {idleMs, true};
    }

    static int msUntil(Clock::time_point when, Clock::time_point now) {
        return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(when - now).count()) + 1;
    }
};

}  // namespace

LineRelay::LineRelay(Side library, Side peer, RelayFaults faults, int bytesPerSecond)
    : m_library(library), m_peer(peer), m_faults(faults), m_bytesPerSecond(bytesPerSecond) {
    // A full pty must not block the relay: the other direction has to flow.
    for (int fd : {library.read, library.write, peer.read, peer.write})
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_thread = std::thread([this] { run(); });
}

LineRelay::~LineRelay() {
    m_stop = true;
    m_thread.join();
}

void LineRelay::run() {
    Lane toLibrary(m_peer.read, m_library.write, &m_toLibrary);
    toLibrary.faults = &m_faults;
    Lane toPeer(m_library.read, m_peer.write, &m_toPeer);
    Lane *lanes[] = {&toLibrary, &toPeer};
    // A source whose far end closed polls as hung up at once, for ever: it is
    // looked at again only after a pause, in case a new peer opens it.
    Clock::time_point hungUntil[2] = {};
    while (!m_stop) {
        int wait = idleMs;
        pollfd fds[4];
        int watched = 0;
        int laneOf[4];
        for (int i = 0; i < 2; ++i) {
            Lane::Wake wake = lanes[i]->flush(m_bytesPerSecond);
            wait = std::min(wait, wake.ms);
            if (wake.whenWritable) {
                laneOf[watched] = -1;
                fds[watched++] = {lanes[i]->to, POLLOUT, 0};
            }
        }
        Clock::time_point now = Clock::now();
        for (int i = 0; i < 2; ++i) {
            if (now < hungUntil[i]) continue;
            laneOf[watched] = i;
            fds[watched++] = {lanes[i]->from, POLLIN, 0};
        }
        if (poll(fds, static_cast<nfds_t>(watched), std::max(wait, 0)) <= 0) continue;
        for (int k = 0; k < watched; ++k) {
            int i = laneOf[k];
            if (i < 0) continue;
            if (!(fds[k].revents & POLLIN)) {
                if (fds[k].revents & (POLLHUP | POLLERR)) hungUntil[i] = Clock::now() + std::chrono::milliseconds(idleMs);
                continue;
            }
            uint8_t buffer[4096];
            ssize_t got = ::read(fds[k].fd, buffer, sizeof buffer);
            if (got <= 0) continue;
            lanes[i]->take(buffer, got);
            if (lanes[i] == &toPeer) echoBack(buffer, got, toLibrary.pending);
        }
    }
}

void LineRelay::echoBack(const uint8_t *data, ssize_t count, std::deque<uint8_t> &toLibrary) const {
    for (ssize_t i = 0; i < count; ++i)
        if (m_faults.echo == LineEcho::All || (m_faults.echo == LineEcho::StartCharacter && data[i] == 'C'))
            toLibrary.push_back(data[i]);
}

}  // namespace simkit
