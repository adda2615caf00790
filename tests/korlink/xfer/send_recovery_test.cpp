// fsend against receivers that, as lrzsz's do, throw away whatever reaches
// them right after they answer: a block that arrives in that moment is lost
// whole, and such a receiver asks again only after seconds of silence. The
// send must recover well inside that silence without confusing answers.
#include "case_name.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

// How long the scripted receivers stay silent after losing a block; far
// longer than the library's quick repeat, far shorter than its time-out.
constexpr auto receiverSilence = 3s;

std::string asText(const std::vector<uint8_t> &bytes) { return {bytes.begin(), bytes.end()}; }

// The script plays the receiver on the pty master; it gets the line and the
// blocks the file must arrive as, and records what went wrong.
using Script = std::function<void(testsupport::PtyPair &, const std::vector<std::string> &)>;

struct RecoveryCase {
    const char *name;
    int16_t protocol;
    Script receiver;
};

std::ostream &operator<<(std::ostream &out, const RecoveryCase &c) { return out << c.name; }

void answer(testsupport::PtyPair &line, uint8_t byte) { line.send(std::string(1, static_cast<char>(byte))); }
std::string take(testsupport::PtyPair &line, size_t count, std::chrono::milliseconds limit = 5s) {
    return line.receive(count, limit);
}

// The blocks from index `from` on, each acknowledged at once.
void acknowledgeBlocks(testsupport::PtyPair &line, const std::vector<std::string> &blocks, size_t from) {
    for (size_t i = from; i < blocks.size(); ++i) {
        EXPECT_EQ(take(line, blocks[i].size()), blocks[i]) << "block " << i + 1;
        answer(line, ACK);
    }
}

// The rest of the blocks, then the EOT, acknowledged at once.
void finishPlainFile(testsupport::PtyPair &line, const std::vector<std::string> &blocks, size_t from) {
    acknowledgeBlocks(line, blocks, from);
    EXPECT_EQ(take(line, 1), std::string(1, EOT));
    answer(line, ACK);
}

// A batch file after its header was accepted: the 'C' for the data, every
// block and the EOT acknowledged at once, then the 'C' for the next header.
void finishBatchFile(testsupport::PtyPair &line, const std::vector<std::string> &blocks) {
    answer(line, 'C');
    finishPlainFile(line, blocks, 0);
    answer(line, 'C');
}

// Block 2 reaches the receiver while it still clears its input after the
// ACK of block 1: it is gone, and the receiver waits in silence. The block
// must come again before that silence ends.
void loseBlockAfterAck(testsupport::PtyPair &line, const std::vector<std::string> &blocks) {
    answer(line, 'C');
    EXPECT_EQ(take(line, blocks[0].size()), blocks[0]);
    answer(line, ACK);
    EXPECT_EQ(take(line, blocks[1].size()), blocks[1]);   // lost to the receiver
    EXPECT_EQ(take(line, blocks[1].size(), receiverSilence), blocks[1]) << "not repeated in time";
    answer(line, ACK);
    finishPlainFile(line, blocks, 2);
}

// On a busy machine the receiver may still be clearing its input when the
// repeat comes: block 2 is lost twice, and a third copy must still come
// before the receiver's silence ends.
void loseBlockTwice(testsupport::PtyPair &line, const std::vector<std::string> &blocks) {
    answer(line, 'C');
    EXPECT_EQ(take(line, blocks[0].size()), blocks[0]);
    answer(line, ACK);
    for (int copy = 1; copy <= 3; ++copy)
        EXPECT_EQ(take(line, blocks[1].size(), receiverSilence), blocks[1]) << "copy " << copy << " not in time";
    answer(line, ACK);
    finishPlainFile(line, blocks, 2);
}

// The EOT reaches the receiver while it clears its input after the last ACK;
// it must come again before the receiver's silence ends.
void loseEot(testsupport::PtyPair &line, const std::vector<std::string> &blocks) {
    answer(line, 'C');
    acknowledgeBlocks(line, blocks, 0);
    EXPECT_EQ(take(line, 1), std::string(1, EOT));         // lost to the receiver
    EXPECT_EQ(take(line, 1, receiverSilence), std::string(1, EOT)) << "the EOT not repeated in time";
    answer(line, ACK);
}

// A slow receiver: it has block 2 but acknowledges it only after the quick
// repeat went out, then acknowledges the repeat too. Block 3 may follow only
// once both ACKs are in; nothing but block 3 itself may follow it before its
// own ACK.
void acknowledgeLateAndTwice(testsupport::PtyPair &line, const std::vector<std::string> &blocks) {
    answer(line, 'C');
    EXPECT_EQ(take(line, blocks[0].size()), blocks[0]);
    answer(line, ACK);
    EXPECT_EQ(take(line, blocks[1].size()), blocks[1]);
    EXPECT_EQ(take(line, blocks[1].size(), receiverSilence), blocks[1]) << "not repeated in time";
    answer(line, ACK);
    answer(line, ACK);                                    // for the repeat
    EXPECT_EQ(take(line, blocks[2].size()), blocks[2]);
    std::string next = take(line, blocks[2].size(), 1s);
    EXPECT_TRUE(next.empty() || next == blocks[2]) << "sent on before block 3 was acknowledged";
    answer(line, ACK);
    if (!next.empty()) answer(line, ACK);
    finishPlainFile(line, blocks, 3);
}

// The batch header reaches the receiver while it clears its input after its
// 'C'; after its silence it asks with 'C' again. The header must come again:
// data now would be taken for a header and end the receiver's batch.
void loseHeaderAfterC(testsupport::PtyPair &line, const std::vector<std::string> &blocks) {
    answer(line, 'C');
    std::string header = take(line, 133);
    ASSERT_EQ(header.substr(0, 3), std::string("\x01\x00\xff", 3));   // lost to the receiver
    EXPECT_EQ(take(line, 1, receiverSilence), "");
    answer(line, 'C');
    EXPECT_EQ(take(line, 133), header) << "data sent to a receiver still asking for the header";
    answer(line, ACK);
    finishBatchFile(line, blocks);
    EXPECT_EQ(take(line, 133).size(), 133u);              // the empty header ending the batch
    answer(line, ACK);
}

// The empty header that ends the batch is lost after the receiver's 'C': it
// must come again before the receiver gives up waiting for it.
void loseBatchEnd(testsupport::PtyPair &line, const std::vector<std::string> &blocks) {
    answer(line, 'C');
    EXPECT_EQ(take(line, 133).substr(0, 3), std::string("\x01\x00\xff", 3));
    answer(line, ACK);
    finishBatchFile(line, blocks);
    std::string end = take(line, 133);                    // lost to the receiver
    EXPECT_EQ(end.substr(0, 4), std::string("\x01\x00\xff\x00", 4));
    EXPECT_EQ(take(line, 133, receiverSilence), end) << "the end of the batch not repeated in time";
    answer(line, ACK);
}

class SendRecoveryTest : public ::testing::TestWithParam<RecoveryCase> {};

TEST_P(SendRecoveryTest, FileGoesThroughInOrderWithoutWaitingOutTheTimeout) {
    const RecoveryCase &c = GetParam();
    OpenPort port;
    TempDir dir;
    size_t blockSize = c.protocol >= KORLINK_PROTO_XMODEM_1K ? 1024 : 128;
    std::vector<uint8_t> data = patternBytes(3 * blockSize + 40, 42);
    std::string path = dir / "file.bin";
    writeFile(path, data);
    ASSERT_EQ(fqueue(11, path.c_str()), 0);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_PAD_BYTE, 0x1A);   // pad as makeBlock does
    std::vector<std::string> blocks;
    for (size_t offset = 0, number = 1; offset < data.size(); offset += blockSize, ++number) {
        std::vector<uint8_t> part(data.begin() + static_cast<long>(offset),
                                  data.begin() + static_cast<long>(std::min(data.size(), offset + blockSize)));
        blocks.push_back(asText(makeBlock(static_cast<uint32_t>(number), part, blockSize, true)));
    }
    StatusRecorder::instance().clear();
    std::thread receiver([&] { c.receiver(port.line(), blocks); });
    EXPECT_EQ(fsend(port.handle(), 11, c.protocol, 4096, StatusRecorder::callback, 0), 0);
    receiver.join();
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Receivers, SendRecoveryTest,
    ::testing::Values(RecoveryCase{"block_lost_after_ack", KORLINK_PROTO_XMODEM_CRC, loseBlockAfterAck},
                      RecoveryCase{"block_lost_twice", KORLINK_PROTO_XMODEM_1K, loseBlockTwice},
                      RecoveryCase{"late_double_ack", KORLINK_PROTO_XMODEM_CRC, acknowledgeLateAndTwice},
                      RecoveryCase{"eot_lost", KORLINK_PROTO_XMODEM_CRC, loseEot},
                      RecoveryCase{"header_lost_after_c", KORLINK_PROTO_YMODEM, loseHeaderAfterC},
                      RecoveryCase{"batch_end_lost", KORLINK_PROTO_YMODEM, loseBatchEnd}),
    testsupport::CaseName());

}  // namespace
