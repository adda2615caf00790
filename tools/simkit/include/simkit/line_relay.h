// A relay between two pty masters: the library's line on one side, a peer
// program's line on the other, paced at a line's byte rate when asked (the
// simulator's null-modem cable). It is also the tests' fault injector: faults
// are placed by offsets in the stream the peer sends (peer -> library), which
// are exact for every byte before the first fault.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <sys/types.h>
#include <mutex>
#include <thread>

namespace simkit {

// A line that sends the library's own bytes back to it (a modem or a
// terminal server with echo on): all of them, or only the start character
// 'C' a receive asks with. Echoed bytes still reach the peer.
enum class LineEcho { None, All, StartCharacter };

struct RelayFaults {
    int64_t corruptAt = -1;      // flip all bits of this byte
    int64_t dropFrom = -1;       // drop bytes [dropFrom, dropTo)
    int64_t dropTo = -1;
    int64_t duplicateFrom = -1;  // forward bytes [duplicateFrom, duplicateTo) twice
    int64_t duplicateTo = -1;
    int64_t stallAt = -1;        // hold the stream before this byte...
    std::chrono::milliseconds stallFor{0};  // ...this long
    LineEcho echo = LineEcho::None;
};

class LineRelay {
public:
    // Where one side's bytes are read and where bytes for it are written:
    // a pty master for both, or a pipe from a peer's stdout to read.
    struct Side {
        int read;
        int write;
    };

    // `bytesPerSecond` 0: no pacing; else both directions are paced.
    LineRelay(Side library, Side peer, RelayFaults faults = {}, int bytesPerSecond = 0);
    ~LineRelay();
    LineRelay(const LineRelay &) = delete;
    LineRelay &operator=(const LineRelay &) = delete;

    // Bytes forwarded so far in each direction.
    int64_t toLibrary() const { return m_toLibrary.load(); }
    int64_t toPeer() const { return m_toPeer.load(); }

private:
    void run();
    // Bytes the library sent that the line's echo returns to it.
    void echoBack(const uint8_t *data, ssize_t count, std::deque<uint8_t> &toLibrary) const;

    Side m_library;
    Side m_peer;
    RelayFaults m_faults;
    int m_bytesPerSecond;
    std::atomic<bool> m_stop{false};
    std::atomic<int64_t> m_toLibrary{0};
    std::atomic<int64_t> m_toPeer{0};
    std::thread m_thread;
};

}  // namespace simkit
