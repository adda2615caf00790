// A Kermit send against a scripted receiver: lost and refused packets are
// sent again, and a send ends cleanly on the receiver's error packet and
// on the user's cancel.
#include "case_name.h"
#include "kermit_script.h"

#include <gtest/gtest.h>

#include <thread>

using namespace kermittest;
using namespace xfertest;

namespace {

struct SendCase {
    const char *name;
    std::vector<Step> steps;   // after the Send-Init exchange; the file holds "abc"
    int16_t lastError;
    int32_t reported;          // a status the send must have reported
};

std::ostream &operator<<(std::ostream &out, const SendCase &c) { return out << c.name; }

class KermitScriptedSendTest : public ::testing::TestWithParam<SendCase> {};

TEST_P(KermitScriptedSendTest, SendEndsAsScripted) {
    const SendCase &c = GetParam();
    OpenPort port;
    TempDir dir;
    writeFile(dir / "abc.txt", {'a', 'b', 'c'});
    ASSERT_EQ(fqueue(6, (dir / "abc.txt").c_str()), 0);
    // The receiver asks for 1-second waits, so a withheld answer is a
    // time-out soon.
    int16_t result = -99;
    std::thread sender(
        [&] { result = fsend(port.handle(), 6, KORLINK_PROTO_KERMIT, 4096, StatusRecorder::callback, 0); });
    playSteps(port, std::vector<Step>{expect('S', 0), send('Y', 0, "~! @-#Y1~")} + c.steps);
    sender.join();
    EXPECT_EQ(result, c.lastError == 0 ? 0 : -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), c.lastError);
    EXPECT_FALSE(StatusRecorder::instance().paramsOf(c.reported).empty()) << c.reported;
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_TRANSFER_END), std::vector<intptr_t>{1});
}

const std::vector<Step> rest = {expect('D', 2, "abc"), send('Y', 2), expect('Z', 3), send('Y', 3),
                                expect('B', 4), send('Y', 4)};

INSTANTIATE_TEST_SUITE_P(
    Receiver, KermitScriptedSendTest,
    ::testing::Values(
        SendCase{"nak_sends_again", std::vector<Step>{expect('F', 1, "abc.txt"), send('N', 1),
                                                      expect('F', 1, "abc.txt"), send('Y', 1)} + rest,
                 0, KORLINK_STATUS_NAK_RECEIVED},
        SendCase{"lost_answer_sends_again", std::vector<Step>{expect('F', 1), expect('F', 1), send('Y', 1)} + rest,
                 0, KORLINK_STATUS_TIMEOUT},
        SendCase{"nak_for_next_packet_counts_as_answer",
                 std::vector<Step>{expect('F', 1), send('N', 2)} + rest, 0, KORLINK_STATUS_KERMIT_FILE},
        SendCase{"stale_answer_ignored",
                 std::vector<Step>{expect('F', 1), send('Y', 0), send('Y', 1)} + rest, 0, KORLINK_STATUS_KERMIT_FILE},
        SendCase{"error_packet_stops_send",
                 {expect('F', 1), send('E', 1, "No room"), expect('E', 1)}, KORLINK_STATUS_REMOTE_CANCEL,
                 KORLINK_STATUS_KERMIT_ERROR},
        SendCase{"user_cancel_stops_send", {expect('F', 1), cancel(), expect('E', 1, "User intervention")},
                 KORLINK_E_CANCELLED, KORLINK_E_CANCELLED}),
    testsupport::CaseName());

}  // namespace
