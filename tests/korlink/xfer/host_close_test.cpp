// A host that closes the port from inside a call (its pump, or the status
// callback of a transfer): the call ends with KORLINK_E_NULL_PORT at once, sends nothing
// more, restores nothing and reports nothing through the dead handle. Run
// under AddressSanitizer, the same table shows that the freed port is never
// read again.
#include "case_name.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <thread>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

enum class Call {
    ReceiveClosedByCallback,   // freceive; the callback closes at the first ACK report
    ReceiveClosedByPump,       // freceive; the pump closes while a block is awaited
    SendClosedByCallback,      // fsend; the callback closes when the file is opened
    SendClosedByPump,          // fsend; the pump closes while the start is awaited
    BreakClosedByPump,         // COMMRS232SendBreak; the pump closes during the break
    WaitClosedAndReopened      // c_waitc; the pump closes and opens the port again
};

const char *caseName(Call call) {
    switch (call) {
    case Call::ReceiveClosedByCallback: return "ReceiveClosedByCallback";
    case Call::ReceiveClosedByPump: return "ReceiveClosedByPump";
    case Call::SendClosedByCallback: return "SendClosedByCallback";
    case Call::SendClosedByPump: return "SendClosedByPump";
    case Call::BreakClosedByPump: return "BreakClosedByPump";
    case Call::WaitClosedAndReopened: return "WaitClosedAndReopened";
    }
    return "Unknown";
}

void PrintTo(Call call, std::ostream *out) { *out << caseName(call); }

PortHandle g_port = nullptr;
PortHandle g_reopened = nullptr;
int32_t g_closeAtStatus = 0;
int g_closeAtPumpCall = 0;
int g_pumpCalls = 0;
bool g_reopen = false;
std::vector<std::string> g_reports;

void closePort() {
    COMMPortDeinit(g_port, 0);
    if (g_reopen) g_reopened = COMMWinInit(testCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
}

int closingPump() {
    if (++g_pumpCalls == g_closeAtPumpCall) closePort();
    return 0;
}

int closingCallback(PortHandle port, int32_t status, intptr_t param) {
    StatusRecorder::callback(port, status, param);
    if (status == g_closeAtStatus) closePort();
    return 0;
}

void captureReport(const char *, const char *text) { g_reports.emplace_back(text); }

class HostCloseTest : public ::testing::TestWithParam<Call> {
protected:
    testsupport::PtyPair line;
    TempDir dir;
    ScopedWorkingDir workDir{dir.path()};
    StatusRecorder &recorder = StatusRecorder::instance();

    void SetUp() override {
        line.exposeAs(testCom);
        g_port = COMMWinInit(testCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
        ASSERT_NE(g_port, nullptr);
        g_reopened = nullptr;
        g_closeAtStatus = 0;
        g_closeAtPumpCall = 0;
        g_pumpCalls = 0;
        g_reopen = false;
        g_reports.clear();
        recorder.clear();
        COMMReportHookSet(captureReport);
        COMMXMODEMSet(g_port, KORLINK_XMODEM_TIMEOUT_MS, 1000);
    }

    void TearDown() override {
        COMMPumpHookSet(nullptr);
        COMMReportHookSet(nullptr);
        if (g_reopened) COMMPortDeinit(g_reopened, 0);
    }

    void closeAtPumpCall(int call) {
        g_closeAtPumpCall = call;
        COMMPumpHookSet(closingPump);
    }

    int16_t receive() { return freceive(g_port, KORLINK_PROTO_XMODEM_CRC, 4096, closingCallback, 0); }

    int16_t send() {
        std::string path = dir / "out.bin";
        writeFile(path, patternBytes(300, 51));
        EXPECT_EQ(fqueue(4, path.c_str()), 0);
        return fsend(g_port, 4, KORLINK_PROTO_XMODEM_CRC, 4096, closingCallback, 0);
    }
};

TEST_P(HostCloseTest, CallEndsWithoutTouchingTheClosedPort) {
    std::string sent;   // everything the library sent, for up to a second after the call
    // A receive has sent its first 'C' before the close; nothing may follow
    // it (no ACK, no cancel sequence).
    bool receives = GetParam() == Call::ReceiveClosedByCallback || GetParam() == Call::ReceiveClosedByPump;
    const std::string expected(receives ? 1 : 0, 'C');
    std::thread peer;
    int16_t result = 0;
    switch (GetParam()) {
    case Call::ReceiveClosedByCallback:
        g_closeAtStatus = KORLINK_STATUS_ACK_SENT;
        peer = std::thread([&] {
            sent = line.receive(1, 5s);
            line.send(makeBlock(1, patternBytes(128, 52), 128, true));
            sent += line.receive(64, 1s);
        });
        result = receive();
        break;
    case Call::ReceiveClosedByPump:
        closeAtPumpCall(3);
        result = receive();
        break;
    case Call::SendClosedByCallback:
        g_closeAtStatus = KORLINK_STATUS_FILE_OPENING;
        line.send("C");
        result = send();
        break;
    case Call::SendClosedByPump:
        closeAtPumpCall(3);
        result = send();
        break;
    case Call::BreakClosedByPump:
        closeAtPumpCall(1);
        result = COMMRS232SendBreak(g_port, 0);
        break;
    case Call::WaitClosedAndReopened:
        g_reopen = true;
        closeAtPumpCall(2);
        result = c_waitc(g_port, -1, 2000);
        ASSERT_NE(g_reopened, nullptr);
        break;
    }
    if (peer.joinable()) peer.join();
    else sent = line.receive(64, 1s);
    EXPECT_EQ(result, KORLINK_E_NULL_PORT);
    EXPECT_EQ(sent, expected);
    EXPECT_TRUE(g_reports.empty()) << g_reports.front();
    // No report after the one that closed the port.
    if (g_closeAtStatus != 0) {
        EXPECT_EQ(recorder.reports().back().status, g_closeAtStatus);
    }
    // The handle is dead; a port opened in its place is a port of its own.
    EXPECT_EQ(c_rxcount(g_port), KORLINK_E_NULL_PORT);
    if (g_reopened) {
        EXPECT_EQ(c_rxcount(g_reopened), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Exports, HostCloseTest,
                         ::testing::Values(Call::ReceiveClosedByCallback, Call::ReceiveClosedByPump,
                                           Call::SendClosedByCallback, Call::SendClosedByPump,
                                           Call::BreakClosedByPump, Call::WaitClosedAndReopened),
                         testsupport::CaseName());

}  // namespace
