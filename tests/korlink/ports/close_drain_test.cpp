// Closing a port on a real pseudo-terminal: what was written just before the
// close reaches the far end, and a far end that never reads or is gone does
// not hold the close.
#include "case_name.h"
#include "port_fixture.h"

#include <chrono>

using namespace porttest;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

enum class FarEnd { ReadsAfterTheClose, Gone };

struct CloseCase {
    const char *name;
    size_t bytes;
    FarEnd farEnd;
    int rounds;   // a purge loses bytes only now and then: closes in a row
};
void PrintTo(const CloseCase &c, std::ostream *out) { *out << c.name; }

// Far beyond what a close may take for 4000 bytes at 9600 baud (4.2 s of
// line time plus the margin) on a pty, which hands bytes over at once.
constexpr auto kCloseLimit = 2s;

class CloseDrainTest : public PortTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseDrainTest, LastBytesArriveAndTheCloseNeverHangs) {
    const CloseCase &c = GetParam();
    std::string data(c.bytes, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('A' + i % 26);
    if (c.farEnd == FarEnd::Gone) m_pty->closeMaster();
    for (int round = 0; round < c.rounds; ++round) {
        if (m_port == nullptr)
            m_port = COMMWinInit(kTestCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
        ASSERT_NE(m_port, nullptr);
        int16_t written = c_putn(m_port, static_cast<int32_t>(data.size()), data.data());
        Clock::time_point start = Clock::now();
        EXPECT_EQ(COMMPortDeinit(m_port, 0), 0);
        m_port = nullptr;
        EXPECT_LT(Clock::now() - start, kCloseLimit);
        if (c.farEnd == FarEnd::Gone) return;
        ASSERT_EQ(written, 0);
        ASSERT_EQ(peerReceives(data.size(), 3000), data) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    FarEnds, CloseDrainTest,
    ::testing::Values(CloseCase{"OneByteLikeAModemsCr", 1, FarEnd::ReadsAfterTheClose, 200},
                      CloseCase{"ErrorPacketSized", 40, FarEnd::ReadsAfterTheClose, 100},
                      CloseCase{"KilobyteBlock", 1029, FarEnd::ReadsAfterTheClose, 20},
                      CloseCase{"FourThousandBytesNobodyReadsYet", 4000, FarEnd::ReadsAfterTheClose, 5},
                      CloseCase{"FarEndGone", 1029, FarEnd::Gone, 1}),
    testsupport::CaseName());

}  // namespace
