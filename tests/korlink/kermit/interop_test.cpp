// Kermit against G-Kermit and C-Kermit over a null-modem cable, both
// directions: every file arrives byte-identical under its own name.
#include "case_name.h"
#include "null_modem.h"

#include <gtest/gtest.h>

#include <thread>

using namespace kermittest;
using namespace xfertest;

namespace {

struct TestFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Runs of equal bytes around the repeat limit of 94, including the prefix
// characters themselves, control characters and bytes with bit 7 set.
std::vector<uint8_t> longRuns() {
    std::vector<uint8_t> bytes;
    const std::pair<uint8_t, size_t> runs[] = {{0, 3000}, {'A', 94}, {'A', 2}, {'~', 95},
                                               {'#', 3},  {'&', 200}, {0xFF, 1000}, {13, 96},
                                               {0x80 | '#', 7}, {'B', 1}, {' ', 188}};
    for (auto [byte, count] : runs) bytes.insert(bytes.end(), count, byte);
    return bytes;
}

std::vector<uint8_t> crlfText() {
    std::string text;
    for (int line = 0; line < 400; ++line)
        text += "Line " + std::to_string(line) + " of a CRLF text\r\n" + (line % 7 == 0 ? "\r\n" : "");
    return {text.begin(), text.end()};
}

std::vector<uint8_t> binary() {
    std::vector<uint8_t> bytes = allByteValues(16);
    std::vector<uint8_t> tail = patternBytes(40000, 31);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

std::vector<TestFile> singleBinary() { return {{"values.bin", binary()}}; }

std::vector<TestFile> severalFiles() {
    return {{"values.bin", binary()}, {"runs.dat", longRuns()}, {"text.txt", crlfText()},
            {"empty.bin", {}}};
}

enum class Peer { GKermit, CKermit };
enum class Direction { PeerSends, WeSend };

struct InteropCase {
    const char *name;
    Peer peer;
    Direction direction;
    std::vector<TestFile> (*files)();
};

std::ostream &operator<<(std::ostream &out, const InteropCase &c) { return out << c.name; }

class KermitInteropTest : public ::testing::TestWithParam<InteropCase> {};

TEST_P(KermitInteropTest, EveryFileArrivesByteIdentical) {
    const InteropCase &c = GetParam();
    KermitLink link;
    // Generous limits: the peer may start late or stall on a loaded
    // machine. The peer waits 10 s for each of our packets before it sends
    // again; we try 20 times.
    ASSERT_EQ(COMMKermitSet(link.handle(), KORLINK_KERMIT_RETRY_LIMIT, 20), 0);
    ASSERT_EQ(COMMKermitSet(link.handle(), KORLINK_KERMIT_ASK_TIME, 10), 0);
    std::vector<TestFile> files = c.files();
    std::vector<std::string> names;
    const TempDir &source = c.direction == Direction::PeerSends ? link.peerDir() : link.ourDir();
    const TempDir &target = c.direction == Direction::PeerSends ? link.ourDir() : link.peerDir();
    for (const TestFile &file : files) {
        writeFile(source / file.name, file.bytes);
        names.push_back(file.name);
    }
    bool gk = c.peer == Peer::GKermit;
    ScopedWorkingDir workDir(link.ourDir().path());
    int16_t result;
    PeerProcess *peer;
    if (c.direction == Direction::PeerSends) {
        peer = &link.startPeer(gk ? gkermitSend(names) : ckermitSend(link.peerEnd(), names), gk);
        result = freceive(link.handle(), KORLINK_PROTO_KERMIT, 4096, StatusRecorder::callback, 0);
    } else {
        for (const std::string &name : names) ASSERT_EQ(fqueue(3, name.c_str()), 0);
        peer = &link.startPeer(gk ? gkermitReceive() : ckermitReceive(link.peerEnd()), gk);
        result = fsend(link.handle(), 3, KORLINK_PROTO_KERMIT, 4096, StatusRecorder::callback, 0);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(COMMErrnoGet(link.handle()), 0);
    EXPECT_EQ(peer->wait(peerLimit), 0) << peer->log();
    for (const TestFile &file : files) {
        ASSERT_TRUE(fs::exists(target / file.name)) << file.name;
        EXPECT_EQ(readFile(target / file.name), file.bytes) << file.name;
    }
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_KERMIT_BREAK).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Peers, KermitInteropTest,
    ::testing::Values(
        InteropCase{"gkermit_sends_one", Peer::GKermit, Direction::PeerSends, singleBinary},
        InteropCase{"gkermit_sends_several", Peer::GKermit, Direction::PeerSends, severalFiles},
        InteropCase{"gkermit_receives_one", Peer::GKermit, Direction::WeSend, singleBinary},
        InteropCase{"gkermit_receives_several", Peer::GKermit, Direction::WeSend, severalFiles},
        InteropCase{"ckermit_sends_several", Peer::CKermit, Direction::PeerSends, severalFiles},
        InteropCase{"ckermit_receives_several", Peer::CKermit, Direction::WeSend, severalFiles}),
    testsupport::CaseName());

}  // namespace

namespace {

// A background receive runs on a private copy of the port, which shares the
// settings record: the host's handle is locked meanwhile, and the outcome
// arrives in the port's last error.
TEST(KermitBackgroundTest, ReceiveOnAWorkerThread) {
    KermitLink link;
    ASSERT_EQ(COMMKermitSet(link.handle(), KORLINK_KERMIT_RETRY_LIMIT, 20), 0);
    ASSERT_EQ(COMMKermitSet(link.handle(), KORLINK_KERMIT_ASK_TIME, 10), 0);
    std::vector<uint8_t> data = binary();
    writeFile(link.peerDir() / "values.bin", data);
    ScopedWorkingDir workDir(link.ourDir().path());
    PeerProcess &peer = link.startPeer(gkermitSend({"values.bin"}), true);
    ASSERT_EQ(freceive(link.handle(), KORLINK_PROTO_KERMIT, 4096, StatusRecorder::callback, 1), 0);
    EXPECT_EQ(COMMKermitSet(link.handle(), KORLINK_KERMIT_RETRY_LIMIT, 3), KORLINK_E_LOCKED);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    auto deadline = std::chrono::steady_clock::now() + peerLimit;
    while (COMMPortGet(link.handle(), KORLINK_PORT_LOCKED) == 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(COMMPortGet(link.handle(), KORLINK_PORT_LOCKED), 0);
    EXPECT_EQ(COMMErrnoGet(link.handle()), 0);
    EXPECT_EQ(readFile(link.ourDir() / "values.bin"), data);
    EXPECT_EQ(COMMKermitGet(link.handle(), KORLINK_KERMIT_RETRY_LIMIT), 20);
}

}  // namespace
