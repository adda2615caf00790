// A host that closes the port from inside a byte operation: from a string
// watch callback, a receive or transmit hook, or its pump. The operation ends
// without touching the freed port: KORLINK_E_NULL_PORT, or the byte that the
// callback saw.
// The test runs with freed memory overwritten (see CMakeLists.txt), so a
// read of the freed port goes astray instead of finding the old values.
#include "port_fixture.h"

#include <cstring>

using namespace porttest;

namespace {

int g_endOfStringCalls = 0;

int closeFromWatch(PortHandle port, int16_t) {
    COMMPortDeinit(port, 0);
    return 0;
}

int closeFromHook(PortHandle port, int byte) {
    COMMPortDeinit(port, 0);
    return byte;
}

void countEndOfString(PortHandle) { ++g_endOfStringCalls; }

}  // namespace

class HostCloseTest : public PortTest {
protected:
    void SetUp() override {
        PortTest::SetUp();
        g_endOfStringCalls = 0;
    }

    // The port was closed by the host: its handle is refused from now on.
    void expectClosed() {
        PortHandle closed = m_port;
        m_port = nullptr;
        removePump();
        reports().clear();
        EXPECT_EQ(c_rxcount(closed), KORLINK_E_NULL_PORT);
        EXPECT_EQ(reports().size(), 1u);
        m_port = COMMWinInit(kTestCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
        ASSERT_NE(m_port, nullptr);
    }

    // A pump that closes the port on its `call`-th call.
    void closeOnPumpCall(int call) {
        PortHandle port = m_port;
        installPump([port, call] {
            if (pumpCalls() == call) COMMPortDeinit(port, 0);
            return 0;
        });
    }

    // Receive options on (CR -> CR LF) with a hook that only passes bytes on,
    // so a read of the freed options would find garbage to act on.
    void receiveOptionsOn() {
        ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_OPTIONS, 1), 0);
        ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_LINE_ENDING, KORLINK_EOL_CR_TO_CRLF), 0);
    }
};

TEST_F(HostCloseTest, ClosingThePortInsideAByteOperationEndsItCleanly) {
    // A watch callback closes the port inside c_getc: the byte that completed
    // the watched text comes back as received.
    receiveOptionsOn();
    ASSERT_EQ(COMMWatchSet(m_port, "OK", 2, closeFromWatch), 0);
    peerSends("OK\rx");
    EXPECT_EQ(c_getc(m_port), 'O');
    EXPECT_EQ(c_getc(m_port), 'K');
    expectClosed();

    // ... and inside c_gets: the line ends with that byte.
    receiveOptionsOn();
    ASSERT_EQ(COMMWatchSet(m_port, "OK", 2, closeFromWatch), 0);
    peerSends("OK\rx");
    char line[16];
    std::memset(line, '#', sizeof line);
    EXPECT_EQ(c_gets(m_port, line, sizeof line, '\r'), 2);
    EXPECT_STREQ(line, "OK");
    expectClosed();

    // A receive hook closes the port inside c_getc.
    receiveOptionsOn();
    ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_HOOK, reinterpret_cast<intptr_t>(closeFromHook)), 0);
    peerSends("\rx");
    EXPECT_EQ(c_getc(m_port), '\r');
    expectClosed();

    // The pump closes the port while c_getc waits for a byte.
    receiveOptionsOn();
    ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_TIMEOUT_MS, 60000), 0);
    closeOnPumpCall(2);
    EXPECT_EQ(c_getc(m_port), KORLINK_E_NULL_PORT);
    expectClosed();

    // ... while c_gets waits for the first byte of a line.
    ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_TIMEOUT_MS, 100), 0);
    ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_LINE_TIMEOUT_MS, 60000), 0);
    closeOnPumpCall(2);
    std::memset(line, '#', sizeof line);
    EXPECT_EQ(c_gets(m_port, line, sizeof line, '\r'), KORLINK_E_NULL_PORT);
    EXPECT_STREQ(line, "");
    expectClosed();

    // ... while c_waits looks for its text.
    closeOnPumpCall(2);
    EXPECT_EQ(c_waits(m_port, "OK", 60000), KORLINK_E_NULL_PORT);
    expectClosed();

    // ... while c_puts sends its last byte: the end-of-string hook of the
    // freed port is not called.
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_END_OF_STRING, reinterpret_cast<intptr_t>(countEndOfString)), 0);
    closeOnPumpCall(2);
    EXPECT_EQ(c_puts(m_port, "ab"), KORLINK_E_NULL_PORT);
    EXPECT_EQ(g_endOfStringCalls, 0);
    expectClosed();

    // ... during the pause of a pause character.
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1), 0);
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_PAUSE_CHAR, 'p'), 0);
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_PAUSE_MS, 20), 0);
    closeOnPumpCall(1);
    EXPECT_EQ(c_puts(m_port, "p\r"), KORLINK_E_NULL_PORT);
    expectClosed();

    // ... during the inter-character delay after the CR of a CR LF expansion.
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1), 0);
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_LINE_ENDING, KORLINK_EOL_LF_TO_CRLF), 0);
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_INTERCHAR_MS, 20), 0);
    closeOnPumpCall(1);
    EXPECT_EQ(c_putc(m_port, '\n'), KORLINK_E_NULL_PORT);
    expectClosed();

    // A transmit hook closes the port inside c_putc.
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1), 0);
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_LINE_ENDING, KORLINK_EOL_LF_TO_CRLF), 0);  // two bytes to send
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_HOOK, reinterpret_cast<intptr_t>(closeFromHook)), 0);
    EXPECT_EQ(c_putc(m_port, '\n'), KORLINK_E_NULL_PORT);
    expectClosed();
}
