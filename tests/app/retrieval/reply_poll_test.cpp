// The reply polling of the probe, the modem check and the dial on a real
// port: a pseudo-terminal whose far end the test writes, one reply per
// round. What counts towards giving up, what ends the polling, and that a
// stop leaves the port unread.
#include <gtest/gtest.h>

#include "case_name.h"
#include "korlink_binder/korlink_binder.h"
#include "pty_pair.h"
#include "recording_ui.h"
#include "retrieval/reply_poll.h"

using trelm::retrieval::PollEnd;

namespace {

constexpr int kPort = 9;

struct PollCase {
    const char *name;
    std::vector<std::string> replies; // the far end's reply in each round; silence after them
    int limit = 15;
    int noiseCount = 0;
    int stopAfterRounds = -1;         // the operator ends it in the wait of this round
    PollEnd end = PollEnd::Answered;
    int rounds = 0;                   // rounds asked
    std::string reply = {};           // the answer as returned
};

std::ostream &operator<<(std::ostream &out, const PollCase &c) { return out << c.name; }

bool answersOk(const std::string &reply) { return reply.size() > 1 && reply.find("OK") != std::string::npos; }

class ReplyPolling : public testing::TestWithParam<PollCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(trelm::korlink::ready());
        m_pty.exposeAs(kPort);
        m_port = trelm::korlink::COMMWinInit(kPort, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 1024, 512);
        ASSERT_NE(m_port, nullptr);
    }
    void TearDown() override {
        if (m_port)
            trelm::korlink::COMMPortDeinit(m_port, 0);
    }
    testsupport::PtyPair m_pty;
    PortHandle m_port = nullptr;
};

TEST_P(ReplyPolling, CountsAndEndsAsTheRepliesDemand) {
    const PollCase &c = GetParam();
    ScriptedQuestions questions;
    int rounds = 0;
    trelm::retrieval::ReplyPoll poll;
    poll.waitMs = 20;
    poll.limit = c.limit;
    poll.noiseCount = c.noiseCount;
    poll.ask = [&] {
        if (rounds < static_cast<int>(c.replies.size()))
            m_pty.send(c.replies[static_cast<size_t>(rounds)]);
        ++rounds;
    };
    poll.isAnswer = answersOk;
    poll.stopped = [&] { return c.stopAfterRounds >= 0 && rounds >= c.stopAfterRounds; };

    const trelm::retrieval::PollResult result = pollReplies(m_port, questions, poll);

    EXPECT_EQ(result.end, c.end);
    EXPECT_EQ(rounds, c.rounds);
    EXPECT_EQ(result.reply, c.reply);
    EXPECT_TRUE(questions.boxes.empty()) << questions.boxes.front(); // every port check was silent
    if (c.end == PollEnd::Stopped) {
        // The reply of the stopped round was never read.
        EXPECT_GT(trelm::korlink::c_rxcount(m_port), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rounds, ReplyPolling,
    testing::Values(
        PollCase{.name = "AnswerOnFirstRound", .replies = {"AT\r\r\nOK\r\n"}, .rounds = 1, .reply = "AT\r\r\nOK\r\n"},
        PollCase{.name = "AnswerIsUpperCased", .replies = {"ok\r\n"}, .rounds = 1, .reply = "OK\r\n"},
        PollCase{.name = "SilenceGivesUpOncePastTheLimit", .replies = {}, .end = PollEnd::GaveUp, .rounds = 16},
        PollCase{.name = "NoiseThatCountsTwiceHalvesTheRounds", .replies = std::vector<std::string>(20, "XY"),
                 .noiseCount = 2, .end = PollEnd::GaveUp, .rounds = 8},
        PollCase{.name = "NoiseThatDoesNotCountLengthensThePolling",
                 .replies = {"NO CARRIER", "NO CARRIER", "NO CARRIER"}, .limit = 3, .end = PollEnd::GaveUp,
                 .rounds = 7},
        PollCase{.name = "OneByteIsNoAnswer", .replies = {"O", "K", "OK"}, .rounds = 3, .reply = "OK"},
        PollCase{.name = "AnswerAfterSilenceAndNoise", .replies = {"", "ZZ", "", "OK"}, .rounds = 4, .reply = "OK"},
        PollCase{.name = "StopDuringAWaitLeavesThePortUnread", .replies = {"", "OK"}, .stopAfterRounds = 2,
                 .end = PollEnd::Stopped, .rounds = 2}),
    testsupport::CaseName());

} // namespace
