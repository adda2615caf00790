// What a receive leaves on disk is this transfer's own: an EOT before any
// block still leaves a new, empty file (never an older file of that name),
// and a symbolic link planted under the name is replaced, not followed.
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <thread>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

class ReceiveOutputTest : public ::testing::Test {
protected:
    OpenPort port;
    TempDir dir;
    fs::path receiveDir = dir.path() / "in";
    StatusRecorder &recorder = StatusRecorder::instance();

    ReceiveOutputTest() { fs::create_directories(receiveDir); }

    // Receives `blocks` (none: the sender's first answer is EOT) into the
    // receive folder with protocol 106; the result of freceive.
    int16_t receive(const std::vector<std::vector<uint8_t>> &blocks) {
        ScopedWorkingDir workDir(receiveDir);
        std::thread sender([&] {
            EXPECT_EQ(awaitByte(port.line()), 'C');
            for (const auto &block : blocks) {
                port.line().send(block);
                EXPECT_EQ(awaitByte(port.line()), ACK);
            }
            port.line().send(std::string(1, EOT));
            EXPECT_EQ(awaitByte(port.line()), ACK);
        });
        int16_t result = freceive(port.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0);
        sender.join();
        return result;
    }

    fs::path output() const { return receiveDir / "temp0000.$$$"; }
};

TEST_F(ReceiveOutputTest, EotBeforeAnyBlockLeavesANewEmptyFile) {
    writeFile(output().string(), patternBytes(300, 61));   // an earlier run's image
    EXPECT_EQ(receive({}), 0);
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
    EXPECT_TRUE(fs::exists(output()));
    EXPECT_EQ(fs::file_size(output()), 0u);
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_FILE_OPENING).size(), 1u);
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_FILE_CLOSED, 0));
}

// The link points at a file outside the receive folder, or at a name there
// that does not exist yet; either way it is never written through.
class PlantedLinkTest : public ReceiveOutputTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PlantedLinkTest, LinkIsReplacedByTheReceivedFile) {
    bool targetExists = GetParam();
    fs::path target = dir.path() / "outside.txt";
    std::vector<uint8_t> outside{'k', 'e', 'e', 'p'};
    if (targetExists) writeFile(target.string(), outside);
    fs::create_symlink(target, output());
    std::vector<uint8_t> data = patternBytes(128, 62);
    EXPECT_EQ(receive({makeBlock(1, data, 128, true)}), 0);
    EXPECT_FALSE(fs::is_symlink(output()));
    EXPECT_EQ(readFile(output().string()), data);
    EXPECT_EQ(fs::exists(target), targetExists);
    if (targetExists) {
        EXPECT_EQ(readFile(target.string()), outside);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, PlantedLinkTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "TargetExists" : "TargetMissing"; });

}  // namespace
