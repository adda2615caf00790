// The progress figures both front ends show: the percentage of the expected
// size, the time left at the rate so far, the line the command line prints,
// and the clock of one transfer.
#include <gtest/gtest.h>

#include "case_name.h"
#include "retrieval/transfer_progress.h"

using trelm::retrieval::ProgressFigures;
using trelm::retrieval::TransferProgress;

namespace {

constexpr std::int64_t kAll = 114688;
constexpr std::int64_t kEvents = 16384;

struct FiguresCase {
    const char *name;
    std::int64_t bytes;
    std::int64_t expected; // 0: the whole memory
    double elapsed;
    int percent;
    std::optional<std::int64_t> secondsLeft;
    const char *line;
};

std::ostream &operator<<(std::ostream &out, const FiguresCase &c) { return out << c.name; }

class Figures : public testing::TestWithParam<FiguresCase> {};

TEST_P(Figures, GivePercentTimeLeftAndLine) {
    const FiguresCase &c = GetParam();
    const ProgressFigures figures = trelm::retrieval::progressFigures(c.bytes, c.expected, c.elapsed);
    EXPECT_EQ(figures.percent, c.percent);
    EXPECT_EQ(figures.secondsLeft, c.secondsLeft);
    EXPECT_EQ(trelm::retrieval::progressLine(figures), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Figures,
    testing::Values(
        FiguresCase{"NothingYet", 0, kAll, 0.0, 0, std::nullopt, "0 bytes received, 0% of 114688"},
        FiguresCase{"FirstBlockNoTimeYet", 128, kAll, 0.0, 0, std::nullopt, "128 bytes received, 0% of 114688"},
        FiguresCase{"HalfOfTheEventArea", 8192, kEvents, 9.0, 50, 9, "8192 bytes received, 50% of 16384, 0:09 left"},
        FiguresCase{"QuarterOfTheEventArea", 4096, kEvents, 2.0, 25, 6, "4096 bytes received, 25% of 16384, 0:06 left"},
        FiguresCase{"TimeLeftRoundsToTheNearestSecond", 4096, kEvents, 1.25, 25, 4,
                    "4096 bytes received, 25% of 16384, 0:04 left"},
        FiguresCase{"MinutesLeft", 1024, kAll, 60.0, 0, 6660, "1024 bytes received, 0% of 114688, 111:00 left"},
        FiguresCase{"PercentRoundsDown", 114687, kAll, 120.0, 99, 0,
                    "114687 bytes received, 99% of 114688, 0:00 left"},
        FiguresCase{"AllArrived", kAll, kAll, 120.0, 100, std::nullopt, "114688 bytes received, 100% of 114688"},
        FiguresCase{"LastBlockPastTheEventArea", 16512, kEvents, 17.0, 100, std::nullopt,
                    "16512 bytes received, 100% of 16384"},
        FiguresCase{"NoExpectedSizeMeansTheWholeMemory", 57344, 0, 60.0, 50, 60,
                    "57344 bytes received, 50% of 114688, 1:00 left"}),
    testsupport::CaseName());

using Clock = TransferProgress::Clock;

struct ClockCase {
    const char *name;
    std::vector<std::pair<std::int64_t, int>> counts; // bytes at a time in seconds
    std::optional<std::int64_t> lastSecondsLeft;
};

std::ostream &operator<<(std::ostream &out, const ClockCase &c) { return out << c.name; }

class ProgressClock : public testing::TestWithParam<ClockCase> {};

TEST_P(ProgressClock, TimesTheTransferFromItsStart) {
    const ClockCase &c = GetParam();
    const Clock::time_point origin{};
    TransferProgress progress;
    progress.setExpected(kEvents);
    ProgressFigures last;
    for (const auto &[bytes, second] : c.counts)
        last = progress.update(bytes, origin + std::chrono::seconds(second));
    EXPECT_EQ(last.secondsLeft, c.lastSecondsLeft);
    EXPECT_EQ(last.expected, kEvents);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressClock,
    testing::Values(
        // The receive reports 0 as it starts: the time before it is not the transfer's.
        ClockCase{"StartsAtTheZeroCount", {{0, 100}, {4096, 101}}, 3},
        // With no zero count the first count starts the clock.
        ClockCase{"StartsAtTheFirstCount", {{4096, 50}, {8192, 54}}, 4},
        // A second transfer (Retry, a new retrieval) restarts at its own zero.
        ClockCase{"RestartsAtTheNextZero", {{0, 0}, {8192, 100}, {0, 200}, {8192, 202}}, 2}),
    testsupport::CaseName());

TEST(ProgressClock, NewExpectedSizeRestartsTheClock) {
    const Clock::time_point origin{};
    TransferProgress progress;
    progress.setExpected(kAll);
    progress.update(0, origin);
    progress.setExpected(kEvents);
    const ProgressFigures figures = progress.update(8192, origin + std::chrono::seconds(500));
    EXPECT_EQ(figures.secondsLeft, std::nullopt); // the first count after the change starts it
    EXPECT_EQ(figures.percent, 50);
}

} // namespace
