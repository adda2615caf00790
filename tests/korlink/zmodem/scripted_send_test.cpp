// fsend(110) against a scripted receiver on the library's in-memory line and
// virtual clock, which answers ZEOFs with ZRPOS as a receiver that lost data
// would. Little data between two losses halves the subpackets (a noisy line
// still lets most of them through); much doubles them again, up to the set
// length. The file still arrives whole.
#include "case_name.h"
#include "device/device_memory.h"
#include "frame/clock.h"
#include "korlink.h"
#include "scripted_peer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace korlink;
using namespace zmodemscript;
namespace fs = std::filesystem;

namespace {

constexpr int kCom = 24;

// What the receiver saw: the subpacket lengths of each ZDATA stream, and
// the data it kept.
struct Receiver {
    std::vector<uint32_t> asks;    // ZRPOS positions answered to the ZEOFs
    size_t answered = 0;
    std::vector<std::vector<size_t>> streams;
    std::vector<uint8_t> received;
} g_rx;

void receiverStep() {
    MemoryLine &line = memoryLine(kCom);
    OutgoingSource source(line.takeOutgoing());
    ZmodemReader reader(source, 0);
    ZmodemHeader h;
    std::vector<uint8_t> data(zmodemMaxSubpacket);
    for (int type; (type = reader.readHeader(h, 1 << 20)) >= 0;) {
        size_t count = 0;
        if (type == ZRQINIT) {
            line.feed(hexHeader(ZmodemHeader::withFlags(ZRINIT, CANFDX | CANOVIO | CANFC32)));
        } else if (type == ZFILE) {
            reader.readSubpacket(data.data(), count);
            line.feed(hexHeader(ZmodemHeader::at(ZRPOS, 0)));
        } else if (type == ZDATA) {
            g_rx.received.resize(h.position());
            g_rx.streams.emplace_back();
            for (int end = 0; end != ZCRCE && end != ZCRCW;) {
                end = reader.readSubpacket(data.data(), count);
                if (end < 0) return;
                g_rx.streams.back().push_back(count);
                g_rx.received.insert(g_rx.received.end(), data.begin(), data.begin() + static_cast<long>(count));
            }
        } else if (type == ZEOF) {
            bool lost = g_rx.answered < g_rx.asks.size();
            line.feed(hexHeader(lost ? ZmodemHeader::at(ZRPOS, g_rx.asks[g_rx.answered++])
                               : ZmodemHeader::withFlags(ZRINIT, CANFDX | CANOVIO)));
        } else if (type == ZFIN) {
            line.feed(hexHeader(ZmodemHeader::at(ZFIN, 0)));
        }
    }
}

struct LossCase {
    const char *name;
    std::vector<uint32_t> asks;
    std::vector<size_t> firstLengths;   // of each stream
};

std::ostream &operator<<(std::ostream &out, const LossCase &c) { return out << c.name; }

class ZmodemLossTest : public ::testing::TestWithParam<LossCase> {};

TEST_P(ZmodemLossTest, SubpacketLengthFollowsWhatArrivedBetweenLosses) {
    const LossCase &c = GetParam();
    const fs::path folder = fs::temp_directory_path() / ("zmodem_scripted_send." + std::to_string(getpid()));
    fs::create_directories(folder);
    std::vector<uint8_t> data(20000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 251);
    std::ofstream(folder / "sent.bin", std::ios::binary).write(reinterpret_cast<const char *>(data.data()),
                                                               static_cast<std::streamsize>(data.size()));
    useMemoryDevices(true);
    PortHandle port = COMMWinInit(kCom, 9600, 8, 0, 1, 8192, 512);
    ASSERT_NE(port, nullptr);
    memoryLine(kCom).takeOutgoing();
    COMMZMODEMSet(port, KORLINK_ZMODEM_TIMEOUT_MS, 1000);
    g_rx = Receiver{c.asks, 0, {}, {}};
    ASSERT_EQ(fqueue(7, (folder / "sent.bin").c_str()), 0);
    useVirtualClock(receiverStep);
    EXPECT_EQ(fsend(port, 7, KORLINK_PROTO_ZMODEM, 4096, nullptr, 0), 0);
    useVirtualClock(nullptr);
    COMMPortDeinit(port, 0);
    useMemoryDevices(false);
    fs::remove_all(folder);

    std::vector<size_t> firsts;
    for (const auto &stream : g_rx.streams) firsts.push_back(stream.front());
    EXPECT_EQ(firsts, c.firstLengths);
    // No length changes blindly within a stream.
    for (const auto &stream : g_rx.streams)
        for (size_t i = 0; i + 1 < stream.size(); ++i) EXPECT_EQ(stream[i], stream.front());
    EXPECT_EQ(g_rx.received, data);
}

INSTANTIATE_TEST_SUITE_P(
    Receivers, ZmodemLossTest,
    ::testing::Values(LossCase{"clean_line_keeps_1024", {}, {1024}},
                      LossCase{"lost_at_one_place_halves_each_time", {0, 0, 0}, {1024, 512, 256, 128}},
                      LossCase{"never_below_64", {0, 0, 0, 0, 0, 0}, {1024, 512, 256, 128, 64, 64, 64}},
                      LossCase{"much_arrived_between_losses_doubles", {0, 0, 2048, 12000}, {1024, 512, 256, 512, 1024}}),
    testsupport::CaseName());

}  // namespace
