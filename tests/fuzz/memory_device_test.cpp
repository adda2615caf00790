// The in-memory device and the virtual clock that the transfer fuzz target
// runs the library on: what is written collects, what is fed is read, a line
// opens once at a time, time-outs pass without sleeping, and a whole
// XMODEM-family receive completes against a scripted sender. A close lets a
// held queue go out, waiting no longer than its line time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "device/device_io.h"
#include "device/device_memory.h"
#include "frame/clock.h"
#include "frame/port.h"
#include "korlink.h"
#include "transfer/checks.h"
#include "case_name.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCom = 21;
constexpr uint8_t kSoh = 1, kStx = 2, kEot = 4, kAck = 6, kNak = 21;

// A sender driven from the clock's idle hook: it answers what the receiver
// wrote since the last idle step, as a peer on the line would.
struct ScriptedSender {
    std::string block;       // the one data block to send
    int stage = 0;           // 0 wait for the start, 1 block sent, 2 EOT sent
    int eotsSent = 0;
};
ScriptedSender g_sender;

void senderStep() {
    korlink::MemoryLine &line = korlink::memoryLine(kCom);
    for (unsigned char answer : line.takeOutgoing()) {
        if (g_sender.stage == 0 && (answer == 'C' || answer == kNak)) {
            line.feed(g_sender.block);
            g_sender.stage = 1;
        } else if (g_sender.stage == 1 && answer == kAck) {
            line.feed(std::string(1, static_cast<char>(kEot)));
            g_sender.stage = 2;
            ++g_sender.eotsSent;
        } else if (g_sender.stage == 2 && answer == kNak) {
            line.feed(std::string(1, static_cast<char>(kEot)));  // the receiver asks for EOT again
            ++g_sender.eotsSent;
        }
    }
}

class MemoryDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("memory_device." + std::to_string(getpid()));
        fs::create_directories(m_folder);
        fs::current_path(m_folder);
        korlink::useMemoryDevices(true);
        korlink::useVirtualClock(nullptr);
        m_port = COMMWinInit(kCom, 9600, 8, 0, 1, 8192, 512);
        ASSERT_NE(m_port, nullptr);
        korlink::memoryLine(kCom).takeOutgoing();
    }
    void TearDown() override {
        if (m_port != nullptr) COMMPortDeinit(m_port, 0);
        korlink::useVirtualClock(nullptr);
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(m_folder);
    }

    fs::path m_folder;
    PortHandle m_port = nullptr;
};

TEST_F(MemoryDeviceTest, WrittenBytesCollectAndFedBytesAreRead) {
    ASSERT_EQ(c_puts(m_port, "ATZ\r"), 0);
    EXPECT_EQ(korlink::memoryLine(kCom).takeOutgoing(), "ATZ\r");
    korlink::memoryLine(kCom).feed(std::string("OK"));
    EXPECT_EQ(c_rxcount(m_port), 2);
    EXPECT_EQ(c_getc(m_port), 'O');
    EXPECT_EQ(c_getc(m_port), 'K');
    EXPECT_EQ(c_inchar(m_port), -1);
}

TEST_F(MemoryDeviceTest, LineOpensOnceAtATime) {
    EXPECT_EQ(COMMWinInit(kCom, 9600, 8, 0, 1, 512, 512), nullptr);
    EXPECT_EQ(COMMErrnoGet(nullptr), KORLINK_E_DEVICE);
    ASSERT_EQ(COMMPortDeinit(m_port, 0), 0);
    m_port = COMMWinInit(kCom, 9600, 8, 0, 1, 512, 512);
    EXPECT_NE(m_port, nullptr);
}

TEST_F(MemoryDeviceTest, FormatChangesAreKeptByTheLine) {
    ASSERT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_PARITY, 2), 0);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_PARITY), 2);
    ASSERT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_BAUD, 19200), 0);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_BAUD), 19200);
}

TEST_F(MemoryDeviceTest, TimeOutPassesOnTheVirtualClockWithoutSleeping) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(c_waitc(m_port, -1, 60000), -1);
    EXPECT_GE(ms_pause(30000), 90000u);  // ms_pause returns the tick
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

struct ReceiveCase {
    const char *name;
    int16_t protocol;
    size_t blockSize;
    bool crc;
};
void PrintTo(const ReceiveCase &c, std::ostream *out) { *out << c.name; }

class MemoryReceiveTest : public MemoryDeviceTest, public ::testing::WithParamInterface<ReceiveCase> {};

std::string dataBlock(const std::string &payload, size_t blockSize, bool crc) {
    std::string data = payload;
    data.resize(blockSize, '\x1A');
    std::string block;
    block += static_cast<char>(blockSize == 1024 ? kStx : kSoh);
    block += '\x01';
    block += '\xFE';
    block += data;
    uint16_t check = korlink::blockCheck(reinterpret_cast<const uint8_t *>(data.data()), data.size(), crc);
    if (crc) block += static_cast<char>(check >> 8);
    block += static_cast<char>(check & 0xFF);
    return block;
}

TEST_P(MemoryReceiveTest, WholeReceiveCompletesAgainstScriptedSender) {
    const ReceiveCase &c = GetParam();
    const std::string payload = "event data from the memory line\r\n";
    g_sender = ScriptedSender{dataBlock(payload, c.blockSize, c.crc)};
    COMMXMODEMSet(m_port, KORLINK_XMODEM_TIMEOUT_MS, 1000);
    korlink::useVirtualClock(senderStep);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(freceive(m_port, c.protocol, 4096, nullptr, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(g_sender.stage, 2);
    std::ifstream in(m_folder / "temp0000.$$$", std::ios::binary);
    std::string received((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(received.substr(0, payload.size()), payload);
    EXPECT_EQ(received.size(), c.blockSize);
}

INSTANTIATE_TEST_SUITE_P(Protocols, MemoryReceiveTest,
                         ::testing::Values(ReceiveCase{"XmodemChecksum", KORLINK_PROTO_XMODEM, 128, false},
                                           ReceiveCase{"XmodemCrc", KORLINK_PROTO_XMODEM_CRC, 128, true},
                                           ReceiveCase{"Xmodem1k", KORLINK_PROTO_XMODEM_1K, 1024, true}),
                         testsupport::CaseName());

// --- a close drains what is queued, within its line time ---

struct DrainLimitCase {
    const char *name;
    int32_t queued;
    int32_t baud;
    int bitsPerByte;
    uint32_t limitMs;
};
void PrintTo(const DrainLimitCase &c, std::ostream *out) { *out << c.name; }

class DrainLimitTest : public ::testing::TestWithParam<DrainLimitCase> {};

TEST_P(DrainLimitTest, IsTheQueuesLineTimePlusTheMargin) {
    const DrainLimitCase &c = GetParam();
    EXPECT_EQ(korlink::drainLimitMs(c.queued, c.baud, c.bitsPerByte), c.limitMs);
}

INSTANTIATE_TEST_SUITE_P(
    Queues, DrainLimitTest,
    ::testing::Values(DrainLimitCase{"NothingQueuedWaitsNothing", 0, 9600, 10, 0},
                      // 133 bytes x 10 bits at 9600 baud: 138.5 ms, rounded up.
                      DrainLimitCase{"CrcBlockAt9600", 133, 9600, 10, 139 + 600},
                      DrainLimitCase{"KilobyteBlockAt1200SevenEvenTwo", 1029, 1200, 11, 9433 + 600},
                      DrainLimitCase{"UnknownBaudCountsAs9600", 960, 0, 10, 1000 + 600},
                      DrainLimitCase{"HugeQueueAtFiftyBaudDoesNotWrap", 2147483647, 50, 12,
                                     4294967295u}),
    testsupport::CaseName());

struct DrainCase {
    const char *name;
    int16_t dataBits;
    int16_t parity;
    int16_t stopBits;
    int32_t baud;
    size_t bytes;
    int releaseAtMs;        // when the line lets output go; -1 never
    uint32_t closeEndsMs;   // virtual time the close returns (within a step)
};
void PrintTo(const DrainCase &c, std::ostream *out) { *out << c.name; }

int g_releaseAtMs = -1;

void releaseHeldOutput() {
    if (g_releaseAtMs >= 0 && korlink::tickMs() >= static_cast<uint32_t>(g_releaseAtMs))
        korlink::memoryLine(kCom).holdOutput(false);
}

class CloseDrainTest : public MemoryDeviceTest, public ::testing::WithParamInterface<DrainCase> {
protected:
    void TearDown() override {
        korlink::memoryLine(kCom).holdOutput(false);
        MemoryDeviceTest::TearDown();
    }
};

TEST_P(CloseDrainTest, QueuedBytesGoOutOrTheCloseGivesUpAtTheirLineTime) {
    const DrainCase &c = GetParam();
    ASSERT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_DATABITS, c.dataBits), 0);
    ASSERT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_PARITY, c.parity), 0);
    ASSERT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_STOPBITS, c.stopBits), 0);
    ASSERT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_BAUD, c.baud), 0);
    korlink::MemoryLine &line = korlink::memoryLine(kCom);
    line.takeOutgoing();
    line.holdOutput(true);
    const std::string data(c.bytes, 'k');
    ASSERT_EQ(c_putn(m_port, static_cast<int32_t>(data.size()), data.data()), 0);
    g_releaseAtMs = c.releaseAtMs;
    korlink::useVirtualClock(releaseHeldOutput);
    ASSERT_EQ(COMMPortDeinit(m_port, 0), 0);
    m_port = nullptr;
    uint32_t ended = korlink::tickMs();
    EXPECT_GE(ended, c.closeEndsMs);
    EXPECT_LE(ended, c.closeEndsMs + 10);
    EXPECT_EQ(line.takeOutgoing(), c.releaseAtMs >= 0 ? data : std::string());
    EXPECT_EQ(line.queuedOutput(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CloseDrainTest,
    ::testing::Values(
        // The line lets go before the limit: every byte goes out, the close
        // returns at once after.
        DrainCase{"LineFreesUpBeforeTheLimit", 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 9600, 960, 300, 300},
        DrainCase{"LineFreesUpRightAway", 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 9600, 1, 0, 0},
        // Held for good: the close waits the queue's line time plus the
        // margin, then purges it.
        DrainCase{"LineHeldAt9600EightNoneOne", 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 9600, 960, -1,
                  1000 + 600},
        DrainCase{"LineHeldAt1200SevenEvenTwo", 7, KORLINK_PARITY_EVEN, KORLINK_STOPBITS_TWO, 1200, 120, -1,
                  1100 + 600}),
    testsupport::CaseName());

}  // namespace
