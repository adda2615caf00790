// Real line conditions between the library and lrzsz: a line that echoes,
// a line paced at 9600 baud, receivers that exit without flushing their last
// answer. Each row ends byte-identical with success, or with a named
// failure, within its time budget.
#include "case_name.h"
#include "peer_link.h"
#include "simkit/sim_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

enum class Direction { Receive, Send };

struct LineCase {
    const char *name;
    LineEcho echo;
    int bytesPerSecond;            // 0: unpaced
    bool peerOutputToPipe;         // false: lrzsz's exit flush reaches the line
    std::vector<std::string> peer;
    Direction direction;
    int16_t protocol;
    size_t size;
    const char *peerFile;          // what a receiving peer writes
    int16_t result;
    int16_t lastError;
    std::chrono::seconds budget;
    int maxRepeats;                // blocks sent again (reported as 4016)
};

// lrzsz's receivers discard what reaches them as they answer: copies of a
// block are how a send gets past that, not a fault.
constexpr int repeatsNotCounted = 1 << 20;


std::ostream &operator<<(std::ostream &out, const LineCase &c) { return out << c.name; }

// Data blocks sent again: the time-outs reported before the last block's
// byte count (those after it are attempts at the end of file or batch).
int dataBlockRepeats(const std::vector<Report> &reports) {
    int repeats = 0;
    int beforeLastCount = 0;
    for (const Report &report : reports) {
        if (report.status == KORLINK_STATUS_TIMEOUT) ++repeats;
        if (report.status == KORLINK_STATUS_BYTE_COUNT && report.param > 0) beforeLastCount = repeats;
    }
    return beforeLastCount;
}

class LineConditionsTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineConditionsTest, EndsIntactOrWithANamedFailureWithinBudget) {
    const LineCase &c = GetParam();
    RelayFaults faults;
    faults.echo = c.echo;
    PeerLink link(faults, c.bytesPerSecond, c.peerOutputToPipe);
    std::vector<uint8_t> data = patternBytes(c.size, 61);
    bool receiving = c.direction == Direction::Receive;
    writeFile((receiving ? link.peerDir() : link.ourDir()) / "image.bin", data);
    PeerProcess &peer = link.startPeer(c.peer);
    Clock::time_point start = Clock::now();
    int16_t result;
    if (receiving) {
        ScopedWorkingDir workDir(link.ourDir().path());
        result = freceive(link.handle(), c.protocol, 4096, StatusRecorder::callback, 0);
    } else {
        std::string source = link.ourDir() / "image.bin";
        ASSERT_EQ(fqueue(6, source.c_str()), 0);
        result = fsend(link.handle(), 6, c.protocol, 4096, StatusRecorder::callback, 0);
    }
    auto took = Clock::now() - start;
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(COMMErrnoGet(link.handle()), c.lastError);
    EXPECT_LT(took, c.budget) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    if (c.result != 0) return;
    int repeats = dataBlockRepeats(StatusRecorder::instance().reports());
    EXPECT_LE(repeats, c.maxRepeats);
    EXPECT_EQ(peer.wait(10s), 0) << peer.log();
    if (receiving) {
        EXPECT_TRUE(equalUpToPadding(data, readFile(link.ourDir() / "temp0000.$$$"), 128));
    } else {
        std::vector<uint8_t> got = readFile(link.peerDir() / c.peerFile);
        size_t padding = c.protocol == KORLINK_PROTO_XMODEM_1K ? 1024 : 128;
        EXPECT_TRUE(c.protocol >= KORLINK_PROTO_YMODEM ? got == data : equalUpToPadding(data, got, padding))
            << got.size() << " bytes";
    }
}

const std::vector<std::string> sxSends{"sx", "-q", "image.bin"};
const std::vector<std::string> rxReceives{"rx", "-q", "-c", "out.bin"};
// A receiver that loses nothing: it never discards input it was sent.
const std::vector<std::string> pythonReceives{"/usr/bin/python3", XFER_PEER_SCRIPT, "recv", "out.bin"};
constexpr int baud9600 = 960;   // bytes per second: 10 bits a byte

INSTANTIATE_TEST_SUITE_P(
    Lines, LineConditionsTest,
    ::testing::Values(
        // Every byte we send comes back: the sender's blocks still get through.
        LineCase{"echo_all_from_sx", LineEcho::All, 0, true, sxSends, Direction::Receive, 106, 6000, "", 0, 0,
                 20s, repeatsNotCounted},
        LineCase{"echo_start_only_from_sx", LineEcho::StartCharacter, 0, true, sxSends, Direction::Receive, 106,
                 6000, "", 0, 0, 20s, repeatsNotCounted},
        // Nobody sends: the echoed 'C's are header events, 11 end the receive.
        LineCase{"echo_all_nobody_sends", LineEcho::All, 0, true, {"sleep", "30"}, Direction::Receive, 106, 0,
                 "", -1, KORLINK_STATUS_TIMEOUT, 15s, 0},
        LineCase{"empty_file_to_rb", LineEcho::None, 0, false, {"rb", "-q"}, Direction::Send, 108, 0,
                 "image.bin", 0, 0, 10s, repeatsNotCounted},
        LineCase{"file_to_rx", LineEcho::None, 0, false, rxReceives, Direction::Send, 106, 20000, "out.bin", 0, 0,
                 8s, repeatsNotCounted},
        LineCase{"file_to_rb", LineEcho::None, 0, false, {"rb", "-q"}, Direction::Send, 108, 20000, "image.bin",
                 0, 0, 10s, repeatsNotCounted},
        // 128 blocks of 128 bytes, 16 of 1024, at 9600 baud: under 1% repeated.
        LineCase{"paced_9600_send_128", LineEcho::None, baud9600, true, pythonReceives, Direction::Send, 106,
                 16384, "out.bin", 0, 0, 30s, 1},
        LineCase{"paced_9600_send_1k", LineEcho::None, baud9600, true, pythonReceives, Direction::Send, 107,
                 16384, "out.bin", 0, 0, 30s, 0},
        // The same paced line into lrzsz's receivers, their exit flush on the
        // line. On a busy machine rx's input purge after its ACK can take the
        // head of the next 128-byte block; rx then asks again with its own
        // NAK, so its repeats are not a measure of the send.
        LineCase{"paced_9600_send_128_to_rx", LineEcho::None, baud9600, false, rxReceives, Direction::Send, 106,
                 16384, "out.bin", 0, 0, 90s, repeatsNotCounted},
        LineCase{"paced_9600_send_1k_to_rx", LineEcho::None, baud9600, false, rxReceives, Direction::Send, 107,
                 16384, "out.bin", 0, 0, 35s, 0},
        LineCase{"paced_9600_ymodem_1k_to_rb", LineEcho::None, baud9600, false, {"rb", "-q"}, Direction::Send,
                 108, 16384, "image.bin", 0, 0, 35s, 0}),
    testsupport::CaseName());

}  // namespace

namespace {

// A background receive that fails, polled with COMMErrnoGet all along: no
// poll takes its outcome away while it runs, and the first poll after the
// lock drops reads it.
TEST(BackgroundOutcomeTest, PollsDuringTheTransferLeaveTheOutcome) {
    OpenPort port;
    TempDir dir;
    ScopedWorkingDir workDir(dir.path());
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 100);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_RETRY_LIMIT, 2);
    ASSERT_EQ(freceive(port.handle(), 106, 4096, nullptr, 1), 0);
    std::vector<int16_t> polls;
    Clock::time_point deadline = Clock::now() + 10s;
    while (COMMPortGet(port.handle(), KORLINK_PORT_LOCKED) == 1 && Clock::now() < deadline) {
        polls.push_back(COMMErrnoGet(port.handle()));
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_LT(Clock::now(), deadline);
    for (int16_t poll : polls) EXPECT_EQ(poll, KORLINK_E_LOCKED);
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_STATUS_TIMEOUT);
    EXPECT_EQ(COMMErrnoGet(port.handle()), 0);
}

}  // namespace

namespace {

constexpr int simCom = 17;

// The simulator's own sender (the library's send) on a cable paced at 9600
// baud, once: the library's receive gets the whole image and the simulator
// ends with success only after its last block and end of file are answered.
TEST(SimulatorOnceTest, PacedTransferCompletesAndTheSimulatorExitsAfterItsLastAnswer) {
    TempDir dir;
    std::vector<uint8_t> image = patternBytes(16384, 17);
    writeFile(dir / "image.bin", image);
    fs::create_directories(dir / "in");
    simkit::SimProcess sim;
    trelm::Status started = sim.start(
        {TRELM_SIM, {"sampler", "--image", (dir / "image.bin").string(), "--baud", "9600", "--once"}});
    ASSERT_TRUE(started.ok()) << started.error().message();
    setenv(("KORLINK_COM" + std::to_string(simCom)).c_str(), sim.terminal().c_str(), 1);
    PortHandle port = COMMWinInit(simCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(c_puts(port, "\x1b{TFA\r"), 0);
    int16_t result;
    {
        ScopedWorkingDir workDir(dir / "in");
        result = freceive(port, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0);
    }
    EXPECT_EQ(result, 0) << COMMErrnoGet(port);
    EXPECT_EQ(sim.waitExit(15s), 0);
    COMMPortDeinit(port, 0);
    EXPECT_TRUE(equalUpToPadding(image, readFile(dir / "in" / "temp0000.$$$"), 128));
}

}  // namespace
