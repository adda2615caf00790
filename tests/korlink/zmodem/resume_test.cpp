// Crash recovery against lrzsz: a 1 MB transfer cut at about half leaves a
// partial file; the rerun carries only the rest (counted on the relay) and
// the file ends byte-identical.
#include "case_name.h"
#include "zmodem_peer.h"

#include <gtest/gtest.h>

using namespace zmodemtest;

namespace {

constexpr int64_t fileSize = 1 << 20;
// ZDLE escaping of random data (8 of 256 values), headers and checks: what
// the line carries beyond the data itself, at most.
constexpr double lineOverhead = 1.06;
// lrzsz's rz -r asks from a whole kilobyte below its partial length.
constexpr int64_t resumeRounding = 1024;

enum class Direction { SzToUs, UsToRz };

struct ResumeCase {
    const char *name;
    Direction direction;
    Cut cut;
};

std::ostream &operator<<(std::ostream &out, const ResumeCase &c) { return out << c.name; }

class ZmodemResumeTest : public ::testing::TestWithParam<ResumeCase> {};

TEST_P(ZmodemResumeTest, RerunCarriesOnlyTheRest) {
    const ResumeCase &c = GetParam();
    const std::vector<uint8_t> data = patternBytes(fileSize, 77);
    const bool peerSending = c.direction == Direction::SzToUs;
    std::vector<uint8_t> partial;
    {
        // A socat cable buffers little: a killed sender's data stops there.
        kermittest::KermitLink cut;
        COMMZMODEMSet(cut.handle(), KORLINK_ZMODEM_TIMEOUT_MS, 1000);
        COMMZMODEMSet(cut.handle(), KORLINK_ZMODEM_RETRY_LIMIT, 2);
        writeFile((peerSending ? cut.peerDir() : cut.ourDir()) / "random.bin", data);
        cutAt(c.cut, fileSize / 2, peerSending ? fs::path() : cut.peerDir() / "random.bin");
        Outcome first = peerSending ? peerSends(cut, {"random.bin"}) : weSend(cut, {"random.bin"});
        ASSERT_EQ(first.result, -1);
        const fs::path left = (peerSending ? cut.ourDir() : cut.peerDir()) / "random.bin";
        ASSERT_TRUE(fs::exists(left)) << "the cut transfer kept no partial file";
        partial = readFile(left);
    }
    ASSERT_GT(partial.size(), 0u);
    ASSERT_LT(partial.size(), data.size());
    ASSERT_TRUE(std::equal(partial.begin(), partial.end(), data.begin())) << "the partial file is not a prefix";

    PeerLink rerun;
    writeFile((peerSending ? rerun.peerDir() : rerun.ourDir()) / "random.bin", data);
    writeFile((peerSending ? rerun.ourDir() : rerun.peerDir()) / "random.bin", partial);
    StatusRecorder::instance().clear();
    Outcome second = peerSending ? peerSends(rerun, {"random.bin"}) : weSend(rerun, {"random.bin"}, {"-r"});
    EXPECT_EQ(second.result, 0) << reportTrail();
    EXPECT_EQ(second.peerStatus, 0) << second.peerLog;
    const fs::path whole = (peerSending ? rerun.ourDir() : rerun.peerDir()) / "random.bin";
    EXPECT_EQ(readFile(whole), data);
    const int64_t rest = fileSize - static_cast<int64_t>(partial.size());
    const int64_t carried = peerSending ? rerun.relay().toLibrary() : rerun.relay().toPeer();
    EXPECT_GE(carried, rest);
    EXPECT_LE(carried, static_cast<int64_t>((rest + resumeRounding) * lineOverhead))
        << "carried " << carried << " for the " << rest << " bytes left";
    std::vector<intptr_t> resumed = StatusRecorder::instance().paramsOf(KORLINK_STATUS_RESUME_AT);
    ASSERT_FALSE(resumed.empty());
    EXPECT_LE(static_cast<int64_t>(partial.size()) - resumed.front(), resumeRounding);
}

INSTANTIATE_TEST_SUITE_P(
    Lrzsz, ZmodemResumeTest,
    ::testing::Values(ResumeCase{"sz_to_us_we_cancel_half_way", Direction::SzToUs, Cut::WeCancel},
                      ResumeCase{"sz_to_us_sender_vanishes_half_way", Direction::SzToUs, Cut::PeerVanishes},
                      ResumeCase{"us_to_rz_receiver_vanishes_half_way", Direction::UsToRz, Cut::PeerVanishes}),
    testsupport::CaseName());

// With resume off a partial file is written afresh, whole.
TEST(ZmodemResumeOffTest, PartialFileIsReplacedWhole) {
    const std::vector<uint8_t> data = patternBytes(200000, 5);
    PeerLink link;
    ASSERT_EQ(COMMZMODEMSet(link.handle(), KORLINK_ZMODEM_RESUME, 0), 0);
    writeFile(link.peerDir() / "random.bin", data);
    writeFile(link.ourDir() / "random.bin", std::vector<uint8_t>(1000, 0xEE));
    Outcome outcome = peerSends(link, {"random.bin"});
    EXPECT_EQ(outcome.result, 0) << reportTrail();
    EXPECT_EQ(readFile(link.ourDir() / "random.bin"), data);
    EXPECT_TRUE(StatusRecorder::instance().paramsOf(KORLINK_STATUS_RESUME_AT).empty());
}

}  // namespace
