// ZMODEM against lrzsz on bad lines: a cable that flips bits both ways
// (every transfer completes byte-identical or fails with a named reason,
// never reported complete and different), a cancel from our side, and a
// peer that vanishes mid-stream (a clear code, the partial file kept).
#include "case_name.h"
#include "noisy_cable.h"
#include "zmodem_peer.h"

#include <gtest/gtest.h>

#include <iostream>
#include <set>

using namespace zmodemtest;

namespace {

enum class Direction { SzToUs, UsToRz };

constexpr int noisyCom = 11;

struct NoisyCase {
    const char *name;
    Direction direction;
    uint32_t seed;
};

std::ostream &operator<<(std::ostream &out, const NoisyCase &c) { return out << c.name; }

class ZmodemNoisyLineTest : public ::testing::TestWithParam<NoisyCase> {};

TEST_P(ZmodemNoisyLineTest, CompletesIdenticalOrFailsWithANamedReason) {
    const NoisyCase &c = GetParam();
    kermittest::NoisyCable cable(noisyCom, 1000, c.seed);
    PortHandle port = COMMWinInit(noisyCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(port, nullptr);
    StatusRecorder::instance().clear();
    COMMZMODEMSet(port, KORLINK_ZMODEM_TIMEOUT_MS, 3000);
    COMMZMODEMSet(port, KORLINK_ZMODEM_RETRY_LIMIT, 20);
    TempDir peerDir, ourDir;
    const std::vector<uint8_t> data = patternBytes(100000, c.seed);
    bool peerSending = c.direction == Direction::SzToUs;
    writeFile((peerSending ? peerDir : ourDir) / "noisy.bin", data);
    std::unique_ptr<PeerProcess> peer;
    auto start = [&](const std::vector<std::string> &argv) -> PeerProcess & {
        peer = std::make_unique<PeerProcess>(argv, cable.peerEnd(), peerDir.path().string());
        return *peer;
    };
    Outcome outcome = peerSending ? runPeerSends(port, ourDir.path(), start, {"noisy.bin"}, {})
                                  : runWeSend(port, ourDir.path(), start, {"noisy.bin"}, {});
    COMMPortDeinit(port, 0);
    EXPECT_GT(cable.flips(), 0);
    const fs::path target = (peerSending ? ourDir : peerDir) / "noisy.bin";
    std::cout << c.name << ": " << cable.flips() << " bytes flipped, "
              << (outcome.result == 0 ? "complete" : "failed with " + std::to_string(outcome.lastError)) << "\n";
    if (outcome.result == 0) {
        EXPECT_EQ(outcome.lastError, 0);
        ASSERT_TRUE(fs::exists(target));
        EXPECT_EQ(readFile(target), data) << "reported complete but different";
    } else {
        const std::set<int> named = {KORLINK_STATUS_TIMEOUT, KORLINK_STATUS_REMOTE_CANCEL,
                                     KORLINK_STATUS_SHORT_FILE, KORLINK_STATUS_LONG_FILE};
        EXPECT_TRUE(named.count(outcome.lastError)) << "last error " << outcome.lastError << " " << reportTrail();
    }
}

INSTANTIATE_TEST_SUITE_P(Lrzsz, ZmodemNoisyLineTest,
                         ::testing::Values(NoisyCase{"sz_to_us_seed_1", Direction::SzToUs, 1},
                                           NoisyCase{"sz_to_us_seed_2", Direction::SzToUs, 2},
                                           NoisyCase{"us_to_rz_seed_1", Direction::UsToRz, 1},
                                           NoisyCase{"us_to_rz_seed_2", Direction::UsToRz, 2}),
                         testsupport::CaseName());

struct CutCase {
    const char *name;
    Direction direction;
    Cut cut;
    int16_t lastError;
};

std::ostream &operator<<(std::ostream &out, const CutCase &c) { return out << c.name; }

class ZmodemCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(ZmodemCutTest, EndsWithItsCodeAndKeepsThePartialFile) {
    const CutCase &c = GetParam();
    kermittest::KermitLink link;
    COMMZMODEMSet(link.handle(), KORLINK_ZMODEM_TIMEOUT_MS, 1000);
    COMMZMODEMSet(link.handle(), KORLINK_ZMODEM_RETRY_LIMIT, 3);
    const std::vector<uint8_t> data = patternBytes(1 << 20, 8);
    bool peerSending = c.direction == Direction::SzToUs;
    writeFile((peerSending ? link.peerDir() : link.ourDir()) / "cut.bin", data);
    cutAt(c.cut, 300000, peerSending ? fs::path() : link.peerDir() / "cut.bin");
    const auto started = std::chrono::steady_clock::now();
    Outcome outcome = peerSending ? peerSends(link, {"cut.bin"}) : weSend(link, {"cut.bin"});
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.lastError, c.lastError) << reportTrail();
    // The peer heard the cancel (or was gone): it ended well before its own
    // long time-outs would have ended it.
    EXPECT_NE(outcome.peerStatus, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_TRANSFER_END), std::vector<intptr_t>{1});
    if (peerSending) {
        // Our partial file stays for a later resume.
        ASSERT_TRUE(fs::exists(link.ourDir() / "cut.bin"));
        std::vector<uint8_t> partial = readFile(link.ourDir() / "cut.bin");
        EXPECT_LT(partial.size(), data.size());
        EXPECT_TRUE(std::equal(partial.begin(), partial.end(), data.begin()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lrzsz, ZmodemCutTest,
    ::testing::Values(CutCase{"we_cancel_receive_from_sz", Direction::SzToUs, Cut::WeCancel, KORLINK_E_CANCELLED},
                      CutCase{"we_cancel_send_to_rz", Direction::UsToRz, Cut::WeCancel, KORLINK_E_CANCELLED},
                      CutCase{"sz_vanishes_mid_stream", Direction::SzToUs, Cut::PeerVanishes, KORLINK_STATUS_TIMEOUT},
                      CutCase{"rz_vanishes_mid_stream", Direction::UsToRz, Cut::PeerVanishes, KORLINK_STATUS_TIMEOUT}),
    testsupport::CaseName());

// lrzsz told to stop puts its cancel sequence on the line and then, as it
// exits, flushes its tty, which on a pty can drop the sequence before anyone
// read it (a UART's drain would have sent it). Its output goes through a
// pipe here (PeerLink), which keeps what it wrote. The relay takes a
// sender's data at once, so the file is large enough for the cut to land
// while data still streams.
struct PeerCancelCase {
    const char *name;
    Direction direction;
};

std::ostream &operator<<(std::ostream &out, const PeerCancelCase &c) { return out << c.name; }

class ZmodemPeerCancelTest : public ::testing::TestWithParam<PeerCancelCase> {};

TEST_P(ZmodemPeerCancelTest, EndsAsCancelledByTheOtherSideKeepingThePartialFile) {
    const PeerCancelCase &c = GetParam();
    PeerLink link;
    COMMZMODEMSet(link.handle(), KORLINK_ZMODEM_TIMEOUT_MS, 1000);
    COMMZMODEMSet(link.handle(), KORLINK_ZMODEM_RETRY_LIMIT, 3);
    const std::vector<uint8_t> data = patternBytes(16 << 20, 14);
    bool peerSending = c.direction == Direction::SzToUs;
    writeFile((peerSending ? link.peerDir() : link.ourDir()) / "cut.bin", data);
    cutAt(Cut::PeerCancels, 300000, peerSending ? fs::path() : link.peerDir() / "cut.bin");
    Outcome outcome = peerSending ? peerSends(link, {"cut.bin"}) : weSend(link, {"cut.bin"});
    EXPECT_EQ(outcome.result, -1);
    EXPECT_EQ(outcome.lastError, KORLINK_STATUS_REMOTE_CANCEL) << reportTrail();
    EXPECT_NE(outcome.peerStatus, 0);
    const fs::path received = (peerSending ? link.ourDir() : link.peerDir()) / "cut.bin";
    ASSERT_TRUE(fs::exists(received));
    std::vector<uint8_t> partial = readFile(received);
    EXPECT_LT(partial.size(), data.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), data.begin()));
}

INSTANTIATE_TEST_SUITE_P(Lrzsz, ZmodemPeerCancelTest,
                         ::testing::Values(PeerCancelCase{"sz_cancels_mid_stream", Direction::SzToUs},
                                           PeerCancelCase{"rz_cancels_mid_stream", Direction::UsToRz}),
                         testsupport::CaseName());

}  // namespace
