// A damaged line between lrzsz's sx and our receive: the relay corrupts a
// byte, drops a block, repeats a block or stalls past the time-out. Each time
// the transfer recovers with its reports and the file arrives intact.
#include "case_name.h"
#include "peer_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <poll.h>
#include <string>
#include <unistd.h>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

constexpr int64_t blockLength = 133;          // SOH, number, complement, 128 data, CRC
constexpr int64_t fourthBlock = 3 * blockLength;

struct FaultCase {
    const char *name;
    RelayFaults faults;
    int32_t expectedStatus;   // the report that shows the recovery
    intptr_t expectedParam;
};

std::ostream &operator<<(std::ostream &out, const FaultCase &c) { return out << c.name; }

RelayFaults corruptAt(int64_t offset) {
    RelayFaults faults;
    faults.corruptAt = offset;
    return faults;
}

RelayFaults dropBlock() {
    RelayFaults faults;
    faults.dropFrom = fourthBlock;
    faults.dropTo = fourthBlock + blockLength;
    return faults;
}

RelayFaults duplicateBlock() {
    RelayFaults faults;
    faults.duplicateFrom = fourthBlock;
    faults.duplicateTo = fourthBlock + blockLength;
    return faults;
}

RelayFaults stallBlock() {
    RelayFaults faults;
    faults.stallAt = fourthBlock;
    faults.stallFor = 1500ms;   // past the 1000 ms time-out set below
    return faults;
}

// Reads `count` bytes from `fd`, giving up after 5 s without progress.
std::string readFrom(int fd, size_t count) {
    std::string got;
    while (got.size() < count) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 5000) <= 0) break;
        char buffer[64];
        ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

struct Pipe {
    int ends[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe(ends), 0); }
    ~Pipe() { close(ends[0]); close(ends[1]); }
    int read() const { return ends[0]; }
    int write() const { return ends[1]; }
};

// The duplicated range comes in two reads, and the relay forwards the first
// part before the rest arrives: the whole range still follows its end.
TEST(LineRelayTest, RangeArrivingInPartsIsDuplicatedWhole) {
    Pipe fromLibrary, toLibrary, fromPeer, toPeer;
    RelayFaults faults;
    faults.duplicateFrom = 4;
    faults.duplicateTo = 10;
    LineRelay relay({fromLibrary.read(), toLibrary.write()}, {fromPeer.read(), toPeer.write()},
                    faults);
    ASSERT_EQ(::write(fromPeer.write(), "0123456", 7), 7);
    EXPECT_EQ(readFrom(toLibrary.read(), 7), "0123456");
    ASSERT_EQ(::write(fromPeer.write(), "789abc", 6), 6);
    EXPECT_EQ(readFrom(toLibrary.read(), 12), "789456789abc");
}

class FaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, TransferRecoversAndTheFileIsIntact) {
    const FaultCase &c = GetParam();
    PeerLink link(c.faults);
    std::vector<uint8_t> data = patternBytes(20 * 128, 41);
    writeFile(link.peerDir() / "image.bin", data);
    PeerProcess &peer = link.startPeer({"sx", "-q", "image.bin"});
    COMMXMODEMSet(link.handle(), KORLINK_XMODEM_TIMEOUT_MS, 1000);
    ScopedWorkingDir workDir(link.ourDir().path());
    EXPECT_EQ(freceive(link.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0), 0);
    EXPECT_EQ(COMMErrnoGet(link.handle()), 0);
    EXPECT_EQ(peer.wait(60s), 0) << peer.log();
    EXPECT_EQ(readFile(link.ourDir() / "temp0000.$$$"), data);
    const StatusRecorder &recorder = StatusRecorder::instance();
    EXPECT_TRUE(recorder.contains(c.expectedStatus, c.expectedParam));
    std::vector<intptr_t> counts = recorder.paramsOf(KORLINK_STATUS_BYTE_COUNT);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));   // nothing written twice
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    ::testing::Values(
        FaultCase{"corrupt_data_byte", corruptAt(fourthBlock + 50), KORLINK_STATUS_BAD_CHECK, 384},
        FaultCase{"corrupt_block_number", corruptAt(fourthBlock + 1), KORLINK_STATUS_BAD_BLOCK_NUMBER, 384},
        FaultCase{"drop_block", dropBlock(), KORLINK_STATUS_NAK_SENT, 512},
        FaultCase{"duplicate_block", duplicateBlock(), KORLINK_STATUS_ACK_SENT, 512},
        FaultCase{"stall_past_timeout", stallBlock(), KORLINK_STATUS_NAK_SENT, 512}),
    testsupport::CaseName());

}  // namespace
