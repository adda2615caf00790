// COMMXferCancel wins whichever wait a transfer is in: the request (a plain
// cancel request, or the cancel key posted to the port's window, item 108)
// ends freceive or fsend with KORLINK_E_CANCELLED and the cancel sequence, and nothing
// else is sent once it has been seen.
#include "case_name.h"
#include "wait_until.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <tuple>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

// The waits a cancel request can meet.
enum class Wait {
    DrainAfterRefusedBlock,   // receive: the line is drained before the NAK
    DroppingRepeatedBlock,    // receive: the rest of a repeated block is read and dropped
    PauseBetweenBatchFiles,   // receive: the pause after a batch file's EOT
    StartAfterBlockZero,      // send: the receiver's 'C' after the ACK of block 0
    StreamingBlocks,          // send: the look for a receiver's CAN between streamed blocks
    EndOfBatch                // send: the receiver's 'C' for the block that ends a batch
};

enum class Path { Request, WindowKey };

const char *caseName(Wait wait) {
    switch (wait) {
    case Wait::DrainAfterRefusedBlock: return "DrainAfterRefusedBlock";
    case Wait::DroppingRepeatedBlock: return "DroppingRepeatedBlock";
    case Wait::PauseBetweenBatchFiles: return "PauseBetweenBatchFiles";
    case Wait::StartAfterBlockZero: return "StartAfterBlockZero";
    case Wait::StreamingBlocks: return "StreamingBlocks";
    case Wait::EndOfBatch: return "EndOfBatch";
    }
    return "Unknown";
}

const char *caseName(Path path) { return path == Path::Request ? "ByRequest" : "ByWindowKey"; }

// "DrainAfterRefusedBlock_ByWindowKey": the wait, then how the cancel came.
std::string caseName(const std::tuple<Wait, Path> &param) {
    return std::string(caseName(std::get<0>(param))) + "_" + caseName(std::get<1>(param));
}

void PrintTo(Wait wait, std::ostream *out) { *out << caseName(wait); }
void PrintTo(Path path, std::ostream *out) { *out << caseName(path); }

const std::string cancelSequence = std::string(5, char(CAN)) + std::string(5, '\b');

std::vector<uint8_t> headerData(const std::string &fields) {
    std::vector<uint8_t> data(fields.begin(), fields.end());
    data.resize(128, 0);
    return data;
}

// Decides from each report whether the host asks for the cancel now.
std::function<bool(PortHandle, int32_t, intptr_t)> g_cancelWhen;

int cancellingCallback(PortHandle port, int32_t status, intptr_t param) {
    StatusRecorder::callback(port, status, param);
    if (g_cancelWhen && g_cancelWhen(port, status, param)) {
        g_cancelWhen = nullptr;
        COMMXferCancel(port);
    }
    return 0;
}

// Waits until the port has `count` received bytes buffered, so that the
// transfer's next reads find them before it looks at the cancel request.
void awaitBuffered(PortHandle port, int count) {
    testsupport::waitUntil([&] { return c_rxcount(port) >= count; }, 2s);
}

class CancelWaitTest : public ::testing::TestWithParam<std::tuple<Wait, Path>> {
protected:
    OpenPort port;
    TempDir dir;
    ScopedWorkingDir workDir{dir.path()};
    StatusRecorder &recorder = StatusRecorder::instance();

    void SetUp() override {
        // Short waits and few retries: a transfer that lost the request ends
        // soon by itself, with another code than KORLINK_E_CANCELLED.
        ASSERT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 1000), 0);
        ASSERT_EQ(COMMXMODEMSet(port.handle(), KORLINK_XMODEM_RETRY_LIMIT, 2), 0);
        if (std::get<1>(GetParam()) == Path::WindowKey) {
            ASSERT_EQ(COMMPortSet(port.handle(), KORLINK_PORT_WINDOW, 1), 0);
        }
    }
    void TearDown() override { g_cancelWhen = nullptr; }

    std::string take(size_t count) { return port.line().receive(count, 5s); }
    void answer(const std::string &text) { port.line().send(text); }

    // Runs the peer script and the transfer; the bytes the library sent after
    // the script's last step up to the cancel sequence (or for 4 s), and the
    // transfer's result.
    std::pair<std::string, int16_t> run(const std::function<void()> &script,
                                        const std::function<int16_t()> &transfer) {
        std::string tail;
        std::thread peer([&] {
            script();
            auto until = std::chrono::steady_clock::now() + 4s;
            while (!tail.ends_with(cancelSequence) && std::chrono::steady_clock::now() < until)
                tail += port.line().receive(1, 100ms);
        });
        int16_t result = transfer();
        peer.join();
        return {tail, result};
    }

    int16_t receive(int16_t protocol) {
        return freceive(port.handle(), protocol, 4096, cancellingCallback, 0);
    }

    int16_t send(int16_t protocol) {
        std::string path = dir / "out.bin";
        writeFile(path, patternBytes(100, 41));
        EXPECT_EQ(fqueue(3, path.c_str()), 0);
        return fsend(port.handle(), 3, protocol, 4096, cancellingCallback, 0);
    }
};

TEST_P(CancelWaitTest, CancelEndsTheTransferWithTheCancelSequence) {
    std::vector<uint8_t> data = patternBytes(128, 40);
    std::pair<std::string, int16_t> outcome;
    std::string expectedTail = cancelSequence;
    switch (std::get<0>(GetParam())) {
    case Wait::DrainAfterRefusedBlock: {
        std::vector<uint8_t> damaged = makeBlock(1, data, 128, true);
        damaged[50] ^= 0x01;
        g_cancelWhen = [](PortHandle, int32_t status, intptr_t) { return status == KORLINK_STATUS_NAK_SENT; };
        outcome = run([&] { EXPECT_EQ(take(1), "C"); port.line().send(damaged); },
                      [&] { return receive(KORLINK_PROTO_XMODEM_CRC); });
        break;
    }
    case Wait::DroppingRepeatedBlock: {
        // The repeat is cut short, so dropping it has to wait for more.
        std::vector<uint8_t> block = makeBlock(1, data, 128, true);
        std::vector<uint8_t> repeat(block.begin(), block.begin() + 8);
        int headers = 0;
        g_cancelWhen = [&headers](PortHandle handle, int32_t status, intptr_t param) {
            if (status != KORLINK_STATUS_RECOGNISED || param != 1 || ++headers < 2) return false;
            awaitBuffered(handle, 7);
            return true;
        };
        outcome = run([&] {
            EXPECT_EQ(take(1), "C");
            port.line().send(block);
            EXPECT_EQ(take(1), std::string(1, ACK));
            port.line().send(repeat);
        }, [&] { return receive(KORLINK_PROTO_XMODEM_CRC); });
        break;
    }
    case Wait::PauseBetweenBatchFiles:
        expectedTail = std::string(1, ACK) + cancelSequence;   // the EOT's ACK comes first
        g_cancelWhen = [](PortHandle, int32_t status, intptr_t) { return status == KORLINK_STATUS_FILE_CLOSED; };
        outcome = run([&] {
            EXPECT_EQ(take(1), "C");
            port.line().send(makeBlock(0, headerData(std::string("a.bin") + '\0' + "128 0"), 128, true));
            EXPECT_EQ(take(2), std::string(1, ACK) + "C");
            port.line().send(makeBlock(1, data, 1024, true));
            EXPECT_EQ(take(1), std::string(1, ACK));
            answer(std::string(1, EOT));
        }, [&] { return receive(KORLINK_PROTO_YMODEM); });
        break;
    case Wait::StartAfterBlockZero:
    case Wait::StreamingBlocks: {
        // The answer to block 0 (ACK, or 'G' for a streaming receiver) is on
        // the line before block 0 goes out, so the request is first seen by
        // the wait for the 'C' after the ACK, or between streamed blocks.
        bool streaming = std::get<0>(GetParam()) == Wait::StreamingBlocks;
        std::string start = streaming ? "G" : "C";
        std::string reply = streaming ? "G" : std::string(1, ACK);
        g_cancelWhen = [this, reply](PortHandle handle, int32_t status, intptr_t param) {
            if (status != KORLINK_STATUS_BYTE_COUNT || param != 0) return false;
            answer(reply);
            awaitBuffered(handle, 1);
            return true;
        };
        outcome = run([&] { answer(start); },
                      [&] { return send(streaming ? KORLINK_PROTO_YMODEM_G : KORLINK_PROTO_YMODEM); });
        // Block 0 (and a streamed block 1), as far as the purge before the
        // cancel sequence left them; never a block sent again.
        size_t blocks = streaming ? 133u + 1029u : 133u;
        EXPECT_LE(outcome.first.size(), blocks + cancelSequence.size());
        outcome.first.erase(0, outcome.first.size() - std::min(outcome.first.size(), cancelSequence.size()));
        break;
    }
    case Wait::EndOfBatch:
        g_cancelWhen = [](PortHandle, int32_t status, intptr_t) { return status == KORLINK_STATUS_FILE_CLOSED; };
        outcome = run([&] {
            answer("C");
            EXPECT_EQ(take(133).size(), 133u);   // block 0
            answer(std::string(1, ACK) + "C");
            EXPECT_EQ(take(1029).size(), 1029u);
            answer(std::string(1, ACK));
            EXPECT_EQ(take(1), std::string(1, EOT));
            answer(std::string(1, ACK));
        }, [&] { return send(KORLINK_PROTO_YMODEM); });
        break;
    }
    EXPECT_EQ(outcome.second, -1);
    EXPECT_EQ(outcome.first, expectedTail);
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_E_CANCELLED);
    EXPECT_FALSE(recorder.paramsOf(KORLINK_E_CANCELLED).empty());
    EXPECT_EQ(recorder.reports().back(), (Report{KORLINK_STATUS_TRANSFER_END, 1, ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Waits, CancelWaitTest,
    ::testing::Combine(::testing::Values(Wait::DrainAfterRefusedBlock, Wait::DroppingRepeatedBlock,
                                         Wait::PauseBetweenBatchFiles, Wait::StartAfterBlockZero,
                                         Wait::StreamingBlocks, Wait::EndOfBatch),
                       ::testing::Values(Path::Request, Path::WindowKey)),
    testsupport::CaseName());

}  // namespace
