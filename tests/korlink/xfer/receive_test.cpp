// freceive against a scripted sender on the pty master: report order, repeats,
// a silent sender, cancelling, batch headers from an untrusted peer, and the
// background mode.
#include "case_name.h"
#include "wait_until.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

// Longer than any background receive here takes, even on a loaded machine.
constexpr auto kTransferLimit = 30s;

// Sends blocks and waits for each acknowledgement; false when one was refused.
bool sendAcked(testsupport::PtyPair &line, const std::vector<uint8_t> &block) {
    line.send(block);
    return awaitByte(line) == ACK;
}

std::vector<uint8_t> slice(const std::vector<uint8_t> &bytes, size_t from, size_t count) {
    return {bytes.begin() + static_cast<long>(from),
            bytes.begin() + static_cast<long>(std::min(bytes.size(), from + count))};
}

// A block 1 whose last check byte is EOT, so that a receiver which drops
// too little of a repeat takes that byte for the end of the file.
std::vector<uint8_t> blockEndingInEot(std::vector<uint8_t> &data) {
    for (uint32_t seed = 100;; ++seed) {
        data = patternBytes(128, seed);
        std::vector<uint8_t> block = makeBlock(1, data, 128, true);
        if (block.back() == EOT) return block;
    }
}

class ReceiveTest : public ::testing::Test {
protected:
    OpenPort port;
    TempDir dir;
    ScopedWorkingDir workDir{dir.path()};
    StatusRecorder &recorder = StatusRecorder::instance();
};

TEST_F(ReceiveTest, CrcReceiveReportsInOrderAndKeepsSendersPadding) {
    std::vector<uint8_t> data = patternBytes(200, 1);
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), 'C');
        EXPECT_TRUE(sendAcked(port.line(), makeBlock(1, slice(data, 0, 128), 128, true)));
        EXPECT_TRUE(sendAcked(port.line(), makeBlock(2, slice(data, 128, 128), 128, true)));
        port.line().send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(port.line()), ACK);
    });
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), 0);
    sender.join();

    std::vector<Report> reports = recorder.reports();
    ASSERT_GE(reports.size(), 6u);
    std::vector<Report> first(reports.begin(), reports.begin() + 6);
    std::vector<Report> expected{{KORLINK_STATUS_BYTE_COUNT, 0, ""},
                                 {KORLINK_STATUS_RECOGNISED, 1, ""},
                                 {KORLINK_STATUS_RECOGNISED, KORLINK_PROTO_XMODEM_CRC, ""},
                                 {KORLINK_STATUS_FILE_OPENING, first[3].param, "temp0000.$$$"},
                                 {KORLINK_STATUS_ACK_SENT, 128, ""},
                                 {KORLINK_STATUS_BYTE_COUNT, 128, ""}};
    EXPECT_EQ(first, expected);
    EXPECT_EQ(reports.back(), (Report{KORLINK_STATUS_TRANSFER_END, 1, ""}));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_RECOGNISED, 4));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_FILE_CLOSED, 0));
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
    std::vector<uint8_t> received = readFile(dir / "temp0000.$$$");
    EXPECT_EQ(received.size(), 256u);
    EXPECT_TRUE(equalUpToPadding(data, received, 128));
}

TEST_F(ReceiveTest, RepeatedBlockIsAcknowledgedButWrittenOnce) {
    std::vector<uint8_t> first;
    std::vector<uint8_t> repeat = blockEndingInEot(first);
    std::vector<uint8_t> data = first;
    std::vector<uint8_t> second = patternBytes(128, 2);
    data.insert(data.end(), second.begin(), second.end());
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), 'C');
        EXPECT_TRUE(sendAcked(port.line(), repeat));
        EXPECT_TRUE(sendAcked(port.line(), repeat));
        EXPECT_TRUE(sendAcked(port.line(), makeBlock(2, slice(data, 128, 128), 128, true)));
        port.line().send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(port.line()), ACK);
    });
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), 0);
    sender.join();
    EXPECT_EQ(readFile(dir / "temp0000.$$$"), data);
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_ACK_SENT), (std::vector<intptr_t>{128, 128, 256}));
}

TEST_F(ReceiveTest, DamagedBlockIsRefusedAndTakenWhenResent) {
    std::vector<uint8_t> data = patternBytes(128, 3);
    std::vector<uint8_t> damaged = makeBlock(1, data, 128, true);
    damaged[40] ^= 0x10;
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), 'C');
        port.line().send(damaged);
        EXPECT_EQ(awaitByte(port.line()), NAK);
        EXPECT_EQ(awaitByte(port.line()), 'C');   // still before the first good block
        EXPECT_TRUE(sendAcked(port.line(), makeBlock(1, data, 128, true)));
        port.line().send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(port.line()), ACK);
    });
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), 0);
    sender.join();
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_BAD_CHECK, 0));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_NAK_SENT, 128));
    EXPECT_EQ(readFile(dir / "temp0000.$$$"), data);
}

TEST_F(ReceiveTest, SilentSenderGetsElevenStartsThenTheCancelSequence) {
    ASSERT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 100), 0);
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), -1);
    std::string sent = port.line().receive(64, 300ms);
    EXPECT_EQ(sent, std::string(11, 'C') + std::string(5, char(CAN)) + std::string(5, '\b'));
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_TIMEOUT), (std::vector<intptr_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(recorder.reports().back(), (Report{KORLINK_STATUS_TRANSFER_END, 1, ""}));
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_STATUS_TIMEOUT);
}

TEST_F(ReceiveTest, ChecksumProtocolStartsWithNakAndChecksTheSum) {
    ASSERT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 2000), 0);
    std::vector<uint8_t> data = patternBytes(128, 4);
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), NAK);
        EXPECT_TRUE(sendAcked(port.line(), makeBlock(1, data, 128, false)));
        port.line().send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(port.line()), ACK);
    });
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM, 4096, StatusRecorder::callback, 0), 0);
    sender.join();
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_RECOGNISED, KORLINK_PROTO_XMODEM));
    EXPECT_EQ(readFile(dir / "temp0000.$$$"), data);
}

// The cancel key through the host's pump, or COMMXferCancel from the host.
enum class CancelBy { Key, XferCancel };
const char *caseName(CancelBy by) { return by == CancelBy::Key ? "Key" : "XferCancel"; }
void PrintTo(CancelBy by, std::ostream *out) { *out << caseName(by); }
std::atomic<bool> g_cancelNow{false};

int cancelKeyPump() { return g_cancelNow ? 283 : 0; }

int cancellingCallback(PortHandle port, int32_t status, intptr_t param) {
    StatusRecorder::callback(port, status, param);
    if (status == KORLINK_STATUS_BYTE_COUNT && param >= 256) g_cancelNow = true;
    return 0;
}

int xferCancelCallback(PortHandle port, int32_t status, intptr_t param) {
    StatusRecorder::callback(port, status, param);
    if (status == KORLINK_STATUS_BYTE_COUNT && param >= 256) COMMXferCancel(port);
    return 0;
}

class CancelTest : public ReceiveTest, public ::testing::WithParamInterface<CancelBy> {};

TEST_P(CancelTest, CancelDuringTransferSendsTheCancelSequenceAndFails) {
    g_cancelNow = false;
    bool byKey = GetParam() == CancelBy::Key;
    if (byKey) COMMPumpHookSet(cancelKeyPump);
    std::string seen;
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), 'C');
        for (uint32_t block = 1; block <= 2; ++block)
            EXPECT_TRUE(sendAcked(port.line(), makeBlock(block, patternBytes(128, block), 128, true)));
        seen = port.line().receive(10, 3s);   // the library cancels instead of waiting on
    });
    int16_t result = freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096,
                              byKey ? cancellingCallback : xferCancelCallback, 0);
    sender.join();
    COMMPumpHookSet(nullptr);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(seen, std::string(5, char(CAN)) + std::string(5, '\b'));
    EXPECT_TRUE(recorder.contains(KORLINK_E_CANCELLED, 256));
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_E_CANCELLED);
}

INSTANTIATE_TEST_SUITE_P(Both, CancelTest, ::testing::Values(CancelBy::Key, CancelBy::XferCancel),
                         testsupport::CaseName());

struct SizeCase {
    const char *name;
    int32_t size;
};

void PrintTo(const SizeCase &c, std::ostream *out) { *out << c.size; }

class BufferSizeTest : public ReceiveTest, public ::testing::WithParamInterface<SizeCase> {};

// Requested buffer sizes at the ends of the int32 range are clamped like
// any other, without overflowing on the way.
TEST_P(BufferSizeTest, ExtremeBufferSizesReceiveTheFile) {
    std::vector<uint8_t> data = patternBytes(3 * 1024, 6);
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), 'C');
        for (uint32_t block = 0; block < 3; ++block)
            EXPECT_TRUE(sendAcked(port.line(), makeBlock(block + 1, slice(data, block * 1024, 1024), 1024, true)));
        port.line().send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(port.line()), ACK);
    });
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_1K, GetParam().size, StatusRecorder::callback, 0), 0);
    sender.join();
    EXPECT_EQ(readFile(dir / "temp0000.$$$"), data);
}

INSTANTIATE_TEST_SUITE_P(Limits, BufferSizeTest,
                         ::testing::Values(SizeCase{"Int32Max", INT32_MAX}, SizeCase{"Int32MaxLess100", INT32_MAX - 100},
                                           SizeCase{"Int32Min", INT32_MIN}, SizeCase{"Zero", 0}),
                         testsupport::CaseName());

// A protocol the library has no engine for moves nothing and fails: -1 with
// last error KORLINK_E_BAD_ARG2, never the 0 of a transfer that happened.
class UnknownProtocolTest : public ReceiveTest, public ::testing::WithParamInterface<int16_t> {};

TEST_P(UnknownProtocolTest, ReceiveAndSendFailWithoutTouchingTheLine) {
    EXPECT_EQ(freceive(port.handle(), GetParam(), 4096, StatusRecorder::callback, 0), -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_E_BAD_ARG2);
    EXPECT_TRUE(recorder.reports().empty());
    writeFile(dir / "queued.bin", patternBytes(10, 7));
    ASSERT_EQ(fqueue(5, (dir / "queued.bin").c_str()), 0);
    EXPECT_EQ(fsend(port.handle(), 5, GetParam(), 4096, StatusRecorder::callback, 0), -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(port.line().receive(1, 200ms), "");
    EXPECT_EQ(fs::directory_iterator(dir.path())->path().filename(), "queued.bin");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownProtocolTest, ::testing::Values(99, 0, -1, 101, 111),
                         [](const auto &info) {
                             return (info.param < 0 ? "ProtocolMinus" : "Protocol") + std::to_string(std::abs(info.param));
                         });

TEST_F(ReceiveTest, NullPortIsRefused) {
    EXPECT_EQ(freceive(nullptr, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), KORLINK_E_NULL_PORT);
}

TEST_F(ReceiveTest, BackgroundReceiveLocksTheHandleUntilItEnds) {
    std::vector<uint8_t> data = patternBytes(128, 5);
    std::atomic<bool> go{false};
    std::thread sender([&] {
        EXPECT_EQ(awaitByte(port.line()), 'C');
        EXPECT_TRUE(testsupport::waitUntil([&] { return go.load(); }, kTransferLimit));
        EXPECT_TRUE(sendAcked(port.line(), makeBlock(1, data, 128, true)));
        port.line().send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(port.line()), ACK);
    });
    ASSERT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 1), 0);
    EXPECT_EQ(c_putc(port.handle(), 'x'), KORLINK_E_LOCKED);
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), KORLINK_E_LOCKED);
    EXPECT_EQ(COMMPortGet(port.handle(), KORLINK_PORT_LOCKED), 1);
    go = true;
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return COMMPortGet(port.handle(), KORLINK_PORT_LOCKED) == 0; }, kTransferLimit));
    sender.join();
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
    EXPECT_EQ(readFile(dir / "temp0000.$$$"), data);
    EXPECT_EQ(c_putc(port.handle(), 'x'), 0);
}

TEST_F(ReceiveTest, XferCancelReachesABackgroundReceive) {
    ASSERT_EQ(freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 1), 0);
    EXPECT_EQ(awaitByte(port.line()), 'C');
    EXPECT_EQ(COMMXferCancel(port.handle()), 0);
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return COMMPortGet(port.handle(), KORLINK_PORT_LOCKED) == 0; }, kTransferLimit));
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_E_CANCELLED);
    EXPECT_TRUE(recorder.contains(KORLINK_E_CANCELLED, 0));
    // The request went to the transfer, not to the host's next wait.
    EXPECT_EQ(c_waitc(port.handle(), -1, 60), KORLINK_E_TIMEOUT);
}

}  // namespace
