// fsend against a scripted receiver on the pty master: block layout and
// padding, the checksum fallback, streaming cancel, used-up queues.
#include "wait_until.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

// Longer than any background send here takes, even on a loaded machine.
constexpr auto kTransferLimit = 30s;

class SendTest : public ::testing::Test {
protected:
    OpenPort port;
    TempDir dir;
    StatusRecorder &recorder = StatusRecorder::instance();

    std::string queueFile(int16_t queue, const std::vector<uint8_t> &data) {
        std::string path = dir / ("file" + std::to_string(queue) + ".bin");
        writeFile(path, data);
        EXPECT_EQ(fqueue(queue, path.c_str()), 0);
        return path;
    }

    std::string take(size_t count) { return port.line().receive(count, 5s); }
    void answer(char byte) { port.line().send(std::string(1, byte)); }
};

std::string blockBytes(uint32_t number, const std::vector<uint8_t> &data, bool crc) {
    std::vector<uint8_t> block = makeBlock(number, data, 128, crc);
    return std::string(block.begin(), block.end());
}

TEST_F(SendTest, FileOfWholeBlocksIsFollowedByAPaddingBlock) {
    std::vector<uint8_t> data = patternBytes(256, 31);
    queueFile(1, data);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_PAD_BYTE, 0x55);
    std::vector<std::string> blocks;
    std::thread receiver([&] {
        answer('C');
        for (int i = 0; i < 3; ++i) {
            blocks.push_back(take(133));
            answer(ACK);
        }
        EXPECT_EQ(take(1), std::string(1, EOT));
        answer(ACK);
    });
    EXPECT_EQ(fsend(port.handle(), 1, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), 0);
    receiver.join();
    std::vector<uint8_t> padding{0x1A};
    padding.resize(128, 0x55);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], blockBytes(1, {data.begin(), data.begin() + 128}, true));
    EXPECT_EQ(blocks[1], blockBytes(2, {data.begin() + 128, data.end()}, true));
    std::vector<uint8_t> third = makeBlock(3, padding, 128, true);
    EXPECT_EQ(blocks[2], std::string(third.begin(), third.end()));
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_BYTE_COUNT), (std::vector<intptr_t>{0, 128, 256, 384}));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_RECOGNISED, KORLINK_START_CRC));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_RECOGNISED, 4));
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
}

TEST_F(SendTest, ReceiverAskingWithNakGetsTheChecksumAndResends) {
    std::vector<uint8_t> data = patternBytes(100, 32);
    queueFile(2, data);
    std::string first, again;
    std::thread receiver([&] {
        answer(NAK);
        first = take(132);          // one block with a one-byte sum...
        EXPECT_EQ(port.line().receive(1, 100ms), "");   // ...and nothing after it
        answer(NAK);
        again = take(132);
        answer(ACK);
        EXPECT_EQ(take(1), std::string(1, EOT));
        answer(ACK);
    });
    EXPECT_EQ(fsend(port.handle(), 2, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), 0);
    receiver.join();
    std::vector<uint8_t> padded = data;
    padded.push_back(0x1A);
    padded.resize(128, 0);
    EXPECT_EQ(first, blockBytes(1, padded, false));
    EXPECT_EQ(again, first);
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_RECOGNISED, KORLINK_START_CHECKSUM));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_NAK_RECEIVED, 0));
}

TEST_F(SendTest, StreamingSendStopsOnlyAfterMoreCansThanTheLimit) {
    std::vector<uint8_t> data = patternBytes(400000, 33);   // more than the line buffers hold
    queueFile(3, data);
    size_t streamed = 0;
    std::thread receiver([&] {
        answer('G');
        EXPECT_EQ(take(133).size(), 133u);   // block 0
        answer('G');
        EXPECT_EQ(take(1029).size(), 1029u);
        answer(CAN);                         // one CAN is noise: the stream goes on
        EXPECT_EQ(take(3 * 1029).size(), 3u * 1029);
        answer(CAN);
        answer(CAN);
        streamed = port.line().receive(data.size(), 1s).size();
    });
    EXPECT_EQ(fsend(port.handle(), 3, KORLINK_PROTO_YMODEM, 4096, StatusRecorder::callback, 0), -1);
    receiver.join();
    EXPECT_LT(streamed, data.size() / 2);
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_RECOGNISED, KORLINK_PROTO_YMODEM_G));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_REMOTE_CANCEL, 0));
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_STATUS_REMOTE_CANCEL);
}

TEST_F(SendTest, QueueIsUsedUpWhateverTheOutcome) {
    queueFile(4, patternBytes(10, 34));
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 100);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_RETRY_LIMIT, 2);
    EXPECT_EQ(fsend(port.handle(), 4, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_STATUS_TIMEOUT);
    EXPECT_EQ(fsend(port.handle(), 4, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), KORLINK_E_FILE);
    EXPECT_EQ(funqueue(4, (dir / "file4.bin").c_str()), KORLINK_E_FILE);
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_SEND_START), (std::vector<intptr_t>{1}));
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_TIMEOUT), (std::vector<intptr_t>{1, 2}));
}

TEST_F(SendTest, StartWithoutTheReceiversCharacterWhenAsked) {
    std::vector<uint8_t> data = patternBytes(50, 35);
    queueFile(5, data);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 100);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_NO_START_WAIT, 1);
    std::string block;
    std::thread receiver([&] {
        block = take(133);
        answer(ACK);
        EXPECT_EQ(take(1), std::string(1, EOT));
        answer(ACK);
    });
    EXPECT_EQ(fsend(port.handle(), 5, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), 0);
    receiver.join();
    std::vector<uint8_t> padded = data;
    padded.push_back(0x1A);
    padded.resize(128, 0);
    EXPECT_EQ(block, blockBytes(1, padded, true));
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_TIMEOUT), (std::vector<intptr_t>{1}));
}

TEST_F(SendTest, VanishedFileFailsTheSend) {
    std::string path = queueFile(6, patternBytes(10, 36));
    fs::remove(path);
    std::thread receiver([&] { answer('C'); });
    EXPECT_EQ(fsend(port.handle(), 6, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), -1);
    receiver.join();
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_E_FILE);
}

TEST_F(SendTest, StreamingProtocolWaitsForAnswersWhenTheReceiverAsksWithC) {
    std::vector<uint8_t> data = patternBytes(100, 39);
    queueFile(9, data);
    std::string first, again, tail;
    std::thread receiver([&] {
        answer('C');
        EXPECT_EQ(take(133).size(), 133u);   // block 0
        answer(ACK);
        answer('C');
        first = take(1029);
        answer(NAK);                         // a refused block is sent again...
        again = take(1029);
        answer(ACK);
        tail = take(1);                      // ...and only the accepted one is followed by EOT
        answer(ACK);
        answer('C');
        EXPECT_EQ(take(133).size(), 133u);   // the empty block 0 ending the batch
        answer(ACK);
    });
    EXPECT_EQ(fsend(port.handle(), 9, KORLINK_PROTO_YMODEM_G, 4096, StatusRecorder::callback, 0), 0);
    receiver.join();
    EXPECT_EQ(first.size(), 1029u);
    EXPECT_EQ(again, first);
    EXPECT_EQ(tail, std::string(1, EOT));
    EXPECT_FALSE(recorder.contains(KORLINK_STATUS_RECOGNISED, KORLINK_PROTO_YMODEM_G));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_NAK_RECEIVED, 0));
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
}

TEST_F(SendTest, StreamingSendWithoutTheStartCharacterStaysStreaming) {
    std::vector<uint8_t> data = patternBytes(100, 40);
    queueFile(10, data);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 100);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_NO_START_WAIT, 1);
    std::string block, tail;
    std::thread receiver([&] {
        EXPECT_EQ(take(133).size(), 133u);   // block 0, sent after the first time-out
        answer('G');
        block = take(1029);
        tail = take(1);                      // EOT follows without an answer to the block
        answer(ACK);
        answer('G');
        EXPECT_EQ(take(133).size(), 133u);   // the empty block 0 ending the batch
        answer(ACK);
    });
    EXPECT_EQ(fsend(port.handle(), 10, KORLINK_PROTO_YMODEM_G, 4096, StatusRecorder::callback, 0), 0);
    receiver.join();
    EXPECT_EQ(block.size(), 1029u);
    EXPECT_EQ(tail, std::string(1, EOT));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_RECOGNISED, KORLINK_PROTO_YMODEM_G));
}

// Status callback that tries to change the queue being sent once the first
// block is through; the three results are kept for the test.
struct QueueChangeAttempt {
    static inline std::string name;
    static inline int16_t queue = 0;
    static inline std::vector<int16_t> results;
    static int callback(PortHandle port, int32_t status, intptr_t param) {
        if (status == KORLINK_STATUS_BYTE_COUNT && param == 128) {
            results.push_back(funload(queue, name.c_str()));
            results.push_back(funqueue(queue, name.c_str()));
            results.push_back(fqueue(queue, name.c_str()));
        }
        return StatusRecorder::callback(port, status, param);
    }
};

TEST_F(SendTest, QueueCannotBeChangedWhileItIsSent) {
    std::vector<uint8_t> data = patternBytes(5000, 37);
    QueueChangeAttempt::queue = 7;
    QueueChangeAttempt::name = queueFile(7, data);
    QueueChangeAttempt::results.clear();
    std::string received;
    std::thread receiver([&] {
        answer('C');
        for (int block = 1; block <= 40; ++block) {
            std::string got = take(133);
            if (got.size() != 133) break;
            received += got.substr(3, 128);
            answer(ACK);
        }
        EXPECT_EQ(take(1), std::string(1, EOT));
        answer(ACK);
    });
    EXPECT_EQ(fsend(port.handle(), 7, KORLINK_PROTO_XMODEM_CRC, 4096, QueueChangeAttempt::callback, 0), 0);
    receiver.join();
    EXPECT_EQ(QueueChangeAttempt::results,
              (std::vector<int16_t>{KORLINK_E_LOCKED, KORLINK_E_LOCKED, KORLINK_E_LOCKED}));
    ASSERT_EQ(received.size(), 40u * 128);
    EXPECT_EQ(std::vector<uint8_t>(received.begin(), received.begin() + 5000), data);
    EXPECT_EQ(funqueue(7, QueueChangeAttempt::name.c_str()), KORLINK_E_FILE);   // used up
}

TEST_F(SendTest, BackgroundSendKeepsItsQueueToItself) {
    std::vector<uint8_t> data = patternBytes(100, 38);
    std::string path = queueFile(8, data);
    std::atomic<bool> go{false};
    std::thread receiver([&] {
        EXPECT_TRUE(testsupport::waitUntil([&] { return go.load(); }, kTransferLimit));
        answer('C');
        EXPECT_EQ(take(133).size(), 133u);
        answer(ACK);
        EXPECT_EQ(take(1), std::string(1, EOT));
        answer(ACK);
    });
    ASSERT_EQ(fsend(port.handle(), 8, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 1), 0);
    EXPECT_EQ(fqueue(8, path.c_str()), KORLINK_E_LOCKED);
    EXPECT_EQ(funqueue(8, path.c_str()), KORLINK_E_LOCKED);
    EXPECT_EQ(funload(8, path.c_str()), KORLINK_E_LOCKED);
    testsupport::PtyPair otherLine;
    otherLine.exposeAs(testCom + 1);
    PortHandle other = COMMWinInit(testCom + 1, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    EXPECT_NE(other, nullptr);
    if (other) {
        // nor another port's fsend
        EXPECT_EQ(fsend(other, 8, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), KORLINK_E_LOCKED);
        COMMPortDeinit(other, 0);
    }
    go = true;
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return COMMPortGet(port.handle(), KORLINK_PORT_LOCKED) == 0; }, kTransferLimit));
    receiver.join();
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
    EXPECT_EQ(funqueue(8, path.c_str()), KORLINK_E_FILE);   // used up
    EXPECT_EQ(fqueue(8, path.c_str()), 0);        // and free again
    EXPECT_EQ(funqueue(8, path.c_str()), 0);
}

}  // namespace
