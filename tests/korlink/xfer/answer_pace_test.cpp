// How long a send waits before it sends a block once more: the answer
// allowance learnt from the receiver's answers, its ceiling set by the
// block's line time, and the ceiling raised by copies the receiver answered
// as well (they were wasted) and lowered by one it did not (it was needed).
#include "case_name.h"
#include "xmodem/xmodem_send_pace.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using korlink::xmodemsend::AnswerPace;

enum class Event { Answer, CopiesWasted, CopyNeeded };

struct Step {
    Event event;
    double answerMs = 0;
};

struct PaceCase {
    const char *name;
    std::vector<Step> steps;
    int32_t lineMs;
    int32_t allowanceMs;
};
void PrintTo(const PaceCase &c, std::ostream *out) { *out << c.name; }

std::vector<Step> answers(int count, double ms) { return std::vector<Step>(count, Step{Event::Answer, ms}); }

std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<Step> wasted{{Event::CopiesWasted}};
const std::vector<Step> needed{{Event::CopyNeeded}};

class AnswerPaceTest : public ::testing::TestWithParam<PaceCase> {};

TEST_P(AnswerPaceTest, AllowanceFollowsTheAnswersAndTheLine) {
    const PaceCase &c = GetParam();
    AnswerPace pace;
    for (const Step &step : c.steps) {
        if (step.event == Event::Answer) pace.sample(step.answerMs);
        else pace.copiesAnswered(step.event == Event::CopiesWasted);
    }
    EXPECT_EQ(pace.allowanceMs(c.lineMs), c.allowanceMs);
}

INSTANTIATE_TEST_SUITE_P(
    Receivers, AnswerPaceTest,
    ::testing::Values(
        // Before any answer: the ceiling, the longer of 250 ms and the line time.
        PaceCase{"UnknownReceiverOnAFastLine", {}, 0, 250},
        PaceCase{"UnknownReceiverKilobyteBlockAt9600", {}, 1071, 1071},
        // Steady quick answers bring the allowance down to its 100 ms floor.
        PaceCase{"QuickSteadyReceiver", answers(200, 5), 138, 100},
        // Answers of about 300 ms exceed a short block's ceiling.
        PaceCase{"SlowReceiverShortBlock", answers(200, 300), 138, 250},
        PaceCase{"SlowReceiverKilobyteBlock", answers(200, 300), 1071, 300},
        // Copies the receiver answered as well double the ceiling, up to 8 times.
        PaceCase{"CopiesWastedOnce", answers(200, 300) + wasted, 138, 300},
        PaceCase{"CopiesWastedOften", answers(200, 900) + wasted + wasted + wasted + wasted, 138, 900},
        PaceCase{"WasteScaleStopsAtEight", answers(200, 5000) + wasted + wasted + wasted + wasted, 138, 2000},
        // A copy the receiver needed halves the ceiling again.
        PaceCase{"NeededCopyLowersTheCeiling", answers(200, 5000) + wasted + wasted + wasted + needed, 138, 1000},
        PaceCase{"NeededCopiesNeverGoBelowTheBase", answers(200, 5000) + needed + needed, 138, 250}),
    testsupport::CaseName());

}  // namespace
