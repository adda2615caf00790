// Kermit against G-Kermit and C-Kermit on lines that corrupt or carry
// parity: each transfer ends either byte-identical with success or with a
// named failure, never with a differing file reported complete.
#include "case_name.h"
#include "noisy_cable.h"
#include "null_modem.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace kermittest;
using namespace xfertest;

namespace {

using Clock = std::chrono::steady_clock;

enum class Peer { GKermit, CKermit };
enum class Direction { PeerSends, WeSend };

struct LineCase {
    const char *name;
    Peer peer;
    Direction direction;
    int oneIn;                 // one byte in this many has a bit flipped; 0: clean
    bool evenParity = false;   // both sides set to even parity
};

std::ostream &operator<<(std::ostream &out, const LineCase &c) { return out << c.name; }

std::vector<uint8_t> lineTestBytes() {
    std::vector<uint8_t> bytes = allByteValues(4);
    std::vector<uint8_t> tail = patternBytes(30000, 11);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

// The library's port on the noisy cable, with patient retries.
class NoisyLink {
public:
    NoisyLink(int oneIn, bool evenParity) : m_cable(cableCom, oneIn, 20240) {
        m_handle = COMMWinInit(cableCom, 9600, 8, 0, 1, 32000, 512);
        if (!m_handle) throw std::runtime_error("COMMWinInit failed on the noisy cable");
        // Parity first: the Kermit record notes it when it is made.
        if (evenParity) COMMDataFormatSet(m_handle, KORLINK_ITEM_PARITY, 2);
        COMMKermitSet(m_handle, KORLINK_KERMIT_RETRY_LIMIT, 20);
        COMMKermitSet(m_handle, KORLINK_KERMIT_ASK_TIME, 2);
        StatusRecorder::instance().clear();
    }
    ~NoisyLink() {
        m_peer.reset();
        COMMPortDeinit(m_handle, 0);
    }
    PortHandle handle() const { return m_handle; }
    const NoisyCable &cable() const { return m_cable; }
    PeerProcess &start(const std::vector<std::string> &argv, bool onStdio) {
        m_peer = std::make_unique<PeerProcess>(argv, onStdio ? m_cable.peerEnd() : "/dev/null",
                                               peerDir.path().string());
        return *m_peer;
    }

    TempDir peerDir;
    TempDir ourDir;

private:
    NoisyCable m_cable;
    PortHandle m_handle = nullptr;
    std::unique_ptr<PeerProcess> m_peer;
};

class KermitLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(KermitLineTest, IdenticalWithSuccessOrANamedFailure) {
    const LineCase &c = GetParam();
    NoisyLink link(c.oneIn, c.evenParity);
    const std::vector<uint8_t> bytes = lineTestBytes();
    bool peerSends = c.direction == Direction::PeerSends;
    writeFile((peerSends ? link.peerDir : link.ourDir) / "line.bin", bytes);
    ScopedWorkingDir workDir(link.ourDir.path());
    bool gk = c.peer == Peer::GKermit;
    // C-Kermit asks for the 16-bit CRC; gkermit offers what it offers.
    std::string settings = std::string("set block-check 3, ") + (c.evenParity ? "set parity even, " : "");
    const std::string &line = link.cable().peerEnd();
    int16_t result;
    PeerProcess *peer;
    if (peerSends) {
        peer = &link.start(gk ? gkermitSend({"line.bin"}) : ckermitSend(line, {"line.bin"}, settings), gk);
        result = freceive(link.handle(), 104, 4096, StatusRecorder::callback, 0);
    } else {
        ASSERT_EQ(fqueue(3, "line.bin"), 0);
        peer = &link.start(gk ? gkermitReceive() : ckermitReceive(line, settings), gk);
        result = fsend(link.handle(), 3, 104, 4096, StatusRecorder::callback, 0);
    }
    int16_t lastError = COMMErrnoGet(link.handle());
    int peerExit = peer->wait(peerLimit);
    fs::path target = (peerSends ? link.ourDir : link.peerDir) / "line.bin";
    std::printf("%s: result %d, last error %d, peer exit %d, %lld bytes flipped, check type %c\n", c.name, result,
                lastError, peerExit, static_cast<long long>(link.cable().flips()),
                static_cast<char>(COMMKermitGet(link.handle(), KORLINK_KERMIT_USED_CHKT)));
    if (result == 0) {
        EXPECT_EQ(lastError, 0);
        ASSERT_TRUE(fs::exists(target));
        EXPECT_TRUE(readFile(target) == bytes) << "reported complete, but the file differs";
    } else {
        EXPECT_NE(lastError, 0) << "a failure without a named reason";
    }
    // The peer's own verdict on a file we sent must hold too.
    if (!peerSends && peerExit == 0 && fs::exists(target)) {
        EXPECT_TRUE(readFile(target) == bytes) << "the peer took a differing file as complete";
    }
    if (c.oneIn > 0) {
        EXPECT_GT(link.cable().flips(), 0);
    }
    // Parity and a clean line leave no excuse: the transfer must go through.
    if (c.evenParity) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(peerExit, 0) << peer->log();
    }
    if (!gk) {
        EXPECT_EQ(COMMKermitGet(link.handle(), KORLINK_KERMIT_USED_CHKT), '3');
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, KermitLineTest,
    ::testing::Values(
        LineCase{"ckermit_sends_1_flip_in_1000", Peer::CKermit, Direction::PeerSends, 1000},
        LineCase{"ckermit_receives_1_flip_in_1000", Peer::CKermit, Direction::WeSend, 1000},
        LineCase{"gkermit_sends_1_flip_in_1000", Peer::GKermit, Direction::PeerSends, 1000},
        LineCase{"gkermit_receives_1_flip_in_1000", Peer::GKermit, Direction::WeSend, 1000},
        LineCase{"ckermit_sends_even_parity", Peer::CKermit, Direction::PeerSends, 0, true},
        LineCase{"ckermit_receives_even_parity", Peer::CKermit, Direction::WeSend, 0, true}),
    testsupport::CaseName());

// A 124-character name cannot fit a 94-character packet: that file is left
// out with its own status, the next one still goes, and the send says so.
TEST(KermitNameTest, NameTooLongForAPacketIsRefusedAndTheBatchGoesOn) {
    NoisyLink link(0, false);
    std::string longName;   // no runs: the repeat prefix would shorten it
    for (int i = 0; i < 120; ++i) longName += static_cast<char>('a' + i % 26);
    longName += ".txt";
    writeFile(link.ourDir / longName, {'l', 'o', 'n', 'g'});
    writeFile(link.ourDir / "short.bin", {'s'});
    ScopedWorkingDir workDir(link.ourDir.path());
    ASSERT_EQ(fqueue(3, longName.c_str()), 0);
    ASSERT_EQ(fqueue(3, "short.bin"), 0);
    PeerProcess &peer = link.start(gkermitReceive(), true);
    EXPECT_EQ(fsend(link.handle(), 3, 104, 4096, StatusRecorder::callback, 0), -1);
    EXPECT_EQ(COMMErrnoGet(link.handle()), KORLINK_STATUS_KERMIT_NAME_TOO_LONG);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    EXPECT_EQ(readFile(link.peerDir / "short.bin"), std::vector<uint8_t>{'s'});
    for (const auto &entry : fs::directory_iterator(link.peerDir.path()))
        EXPECT_EQ(entry.path().filename().string().find("abcdef"), std::string::npos) << "a cut name arrived";
}

// A file refused on receive (every renamed name taken) ends with an error
// packet that reaches the sender: gkermit stops at once instead of retrying.
TEST(KermitRefusalTest, ErrorPacketOfARefusedFileReachesGkermit) {
    NoisyLink link(0, false);
    writeFile(link.peerDir / "dup.bin", {'n', 'e', 'w'});
    writeFile(link.ourDir / "dup.bin", {'o', 'l', 'd'});
    for (char digit = '0'; digit <= '9'; ++digit)
        writeFile(link.ourDir / (std::string("dup.DL") + digit), {'o', 'l', 'd'});
    ScopedWorkingDir workDir(link.ourDir.path());
    ASSERT_EQ(COMMKermitSet(link.handle(), KORLINK_KERMIT_RENAME, 1), 0);
    PeerProcess &peer = link.start(gkermitSend({"dup.bin"}), true);
    EXPECT_EQ(freceive(link.handle(), 104, 4096, StatusRecorder::callback, 0), -1);
    EXPECT_EQ(COMMErrnoGet(link.handle()), KORLINK_STATUS_FILE_FAILED);
    auto start = Clock::now();
    EXPECT_NE(peer.wait(std::chrono::seconds(60)), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10)) << "gkermit kept retrying: " << peer.log();
    EXPECT_EQ(readFile(link.ourDir / "dup.bin"), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

}  // namespace
