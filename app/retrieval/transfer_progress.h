// How far a transfer has come and how long the rest should take at the rate
// so far: one computation for the command line's progress line and the
// status window's bar, so both always show the same figures.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace trelm::retrieval {

struct ProgressFigures {
    std::int64_t bytes = 0;
    std::int64_t expected = 0;               // the size the transfer should reach
    int percent = 0;                         // 0 to 100
    std::optional<std::int64_t> secondsLeft; // none before a rate is known and once all arrived
};

// The figures for `bytes` of `expected` (0 or less: the whole memory) after
// `elapsedSeconds` of transfer.
ProgressFigures progressFigures(std::int64_t bytes, std::int64_t expected, double elapsedSeconds);

// "m:ss" for a count of seconds.
std::string minutesAndSeconds(std::int64_t seconds);
// "m:ss left", or empty text when no time left is known.
std::string timeLeftText(const ProgressFigures &figures);
// "N bytes received, P% of E" and, when known, ", m:ss left".
std::string progressLine(const ProgressFigures &figures);

// The clock of one transfer: a byte count of 0 (the receive starting) or the
// first count after a reset starts it; every count gives the figures.
class TransferProgress {
public:
    using Clock = std::chrono::steady_clock;

    // The size the transfer should reach; 0: the whole memory. Also resets the clock.
    void setExpected(std::int64_t bytes);
    // Forgets the clock and the expected size (a new retrieval).
    void reset();
    ProgressFigures update(std::int64_t bytes, Clock::time_point now);

private:
    std::int64_t m_expected = 0;
    std::optional<Clock::time_point> m_start;
};

} // namespace trelm::retrieval
