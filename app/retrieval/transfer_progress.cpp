#include "retrieval/transfer_progress.h"

#include <algorithm>
#include <cstdio>

#include "datafile/records.h"

namespace trelm::retrieval {

namespace {

constexpr int kWhole = 100;
constexpr std::int64_t kSecondsPerMinute = 60;

} // namespace

ProgressFigures progressFigures(std::int64_t bytes, std::int64_t expected, double elapsedSeconds) {
    ProgressFigures figures;
    figures.bytes = std::max<std::int64_t>(bytes, 0);
    figures.expected = expected > 0 ? expected : static_cast<std::int64_t>(MemoryImage::kSize);
    figures.percent = static_cast<int>(std::min<std::int64_t>(kWhole, figures.bytes * kWhole / figures.expected));
    // A rate needs both some bytes and some time; nothing is left once all arrived.
    if (elapsedSeconds > 0.0 && figures.bytes > 0 && figures.bytes < figures.expected) {
        const double rate = static_cast<double>(figures.bytes) / elapsedSeconds;
        figures.secondsLeft =
            static_cast<std::int64_t>(static_cast<double>(figures.expected - figures.bytes) / rate + 0.5);
    }
    return figures;
}

std::string minutesAndSeconds(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / kSecondsPerMinute),
                  static_cast<long long>(seconds % kSecondsPerMinute));
    return text;
}

std::string timeLeftText(const ProgressFigures &figures) {
    return figures.secondsLeft ? minutesAndSeconds(*figures.secondsLeft) + " left" : std::string();
}

std::string progressLine(const ProgressFigures &figures) {
    std::string text = std::to_string(figures.bytes) + " bytes received, " + std::to_string(figures.percent) +
                       "% of " + std::to_string(figures.expected);
    if (figures.secondsLeft)
        text += ", " + timeLeftText(figures);
    return text;
}

void TransferProgress::setExpected(std::int64_t bytes) {
    m_expected = bytes;
    m_start.reset();
}

void TransferProgress::reset() { setExpected(0); }

ProgressFigures TransferProgress::update(std::int64_t bytes, Clock::time_point now) {
    if (bytes <= 0 || !m_start)
        m_start = now;
    return progressFigures(bytes, m_expected, std::chrono::duration<double>(now - *m_start).count());
}

} // namespace trelm::retrieval
