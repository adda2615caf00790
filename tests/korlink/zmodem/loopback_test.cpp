// The library on both ends of a socat cable: the settings a peer of ours
// can ask for (a receive buffer that bounds the stream, escaping, CRC-16,
// short subpackets) each carry a batch byte-identical, and a cancel on one
// side reaches the other as the peer's cancel (five CAN).
#include "case_name.h"
#include "zmodem_peer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace zmodemtest;

namespace {

constexpr int senderCom = 12;
constexpr int receiverCom = 13;

// Two ports of the library joined by a cable, each with a folder.
class Loopback {
public:
    Loopback() : m_cable(senderCom) {
        setenv(("KORLINK_COM" + std::to_string(receiverCom)).c_str(), m_cable.peerEnd().c_str(), 1);
        m_sender = COMMWinInit(senderCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
        m_receiver = COMMWinInit(receiverCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
        StatusRecorder::instance().clear();
    }
    ~Loopback() {
        if (m_sender) COMMPortDeinit(m_sender, 0);
        if (m_receiver) COMMPortDeinit(m_receiver, 0);
    }
    PortHandle sender() const { return m_sender; }
    PortHandle receiver() const { return m_receiver; }
    TempDir from, to;

    // Sends the queue from the background; receives in the foreground.
    int16_t run(const std::vector<std::string> &names, StatusCallback receiveCallback) {
        ScopedWorkingDir workDir(to.path());
        for (const std::string &name : names) fqueue(6, (from / name).c_str());
        if (fsend(m_sender, 6, KORLINK_PROTO_ZMODEM, 4096, StatusRecorder::callback, 1) != 0) return -99;
        int16_t result = freceive(m_receiver, KORLINK_PROTO_ZMODEM, 4096, receiveCallback, 0);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (COMMPortGet(m_sender, KORLINK_PORT_LOCKED) == 1 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return result;
    }

private:
    kermittest::NullModemCable m_cable;
    PortHandle m_sender = nullptr;
    PortHandle m_receiver = nullptr;
};

struct LoopCase {
    const char *name;
    int16_t item;       // on the side named below
    intptr_t value;
    bool onReceiver;
};

std::ostream &operator<<(std::ostream &out, const LoopCase &c) { return out << c.name; }

class ZmodemLoopbackTest : public ::testing::TestWithParam<LoopCase> {};

TEST_P(ZmodemLoopbackTest, BatchArrivesByteIdentical) {
    const LoopCase &c = GetParam();
    Loopback loop;
    ASSERT_EQ(COMMZMODEMSet(c.onReceiver ? loop.receiver() : loop.sender(), c.item, c.value), 0);
    std::vector<TestFile> files = severalWithSpaces();
    std::vector<std::string> names = writeFiles(loop.from, files);
    EXPECT_EQ(loop.run(names, StatusRecorder::callback), 0) << reportTrail();
    EXPECT_EQ(COMMErrnoGet(loop.sender()), 0);
    for (const TestFile &file : files) EXPECT_EQ(readFile(loop.to / file.name), file.bytes) << file.name;
    if (c.item == KORLINK_ZMODEM_RECEIVE_BUFFER) {
        // The sender waited for a ZACK after every buffer's worth.
        EXPECT_GE(StatusRecorder::instance().paramsOf(KORLINK_STATUS_ACK_SENT).size(), 70000u / c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ZmodemLoopbackTest,
    ::testing::Values(LoopCase{"streaming_defaults", KORLINK_ZMODEM_CREATE, 0, false},
                      LoopCase{"receiver_buffer_2048", KORLINK_ZMODEM_RECEIVE_BUFFER, 2048, true},
                      LoopCase{"receiver_buffer_600_odd_size", KORLINK_ZMODEM_RECEIVE_BUFFER, 600, true},
                      LoopCase{"receiver_asks_escape_all", KORLINK_ZMODEM_ESCAPE_ALL, 1, true},
                      LoopCase{"sender_escapes_all", KORLINK_ZMODEM_ESCAPE_ALL, 1, false},
                      LoopCase{"receiver_refuses_crc32", KORLINK_ZMODEM_CRC32, 0, true},
                      LoopCase{"sender_short_subpackets", KORLINK_ZMODEM_SUBPACKET, 64, false},
                      LoopCase{"sender_longest_subpackets", KORLINK_ZMODEM_SUBPACKET, 8192, false}),
    testsupport::CaseName());

PortHandle g_cancelPort = nullptr;
int cancelOnProgress(PortHandle port, int32_t status, intptr_t param) {
    StatusRecorder::callback(port, status, param);
    if (status == KORLINK_STATUS_BYTE_COUNT && param > 20000 && g_cancelPort) {
        COMMXferCancel(g_cancelPort);
        g_cancelPort = nullptr;
    }
    return 0;
}

// The sender's cancel sequence ends the receive as the peer's cancel.
TEST(ZmodemLoopbackCancelTest, SenderCancelReachesTheReceiverAsPeerCancel) {
    Loopback loop;
    writeFile(loop.from / "big.bin", patternBytes(1 << 20, 4));
    g_cancelPort = loop.sender();
    EXPECT_EQ(loop.run({"big.bin"}, cancelOnProgress), -1);
    EXPECT_EQ(COMMErrnoGet(loop.receiver()), KORLINK_STATUS_REMOTE_CANCEL) << reportTrail();
    EXPECT_EQ(COMMErrnoGet(loop.sender()), KORLINK_E_CANCELLED);
    EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_STATUS_REMOTE_CANCEL, 0));
}

}  // namespace
