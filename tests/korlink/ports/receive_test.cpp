// Receiving: counting, flushing, waiting, peeking, lines, cancel and a peer
// that goes away.
#include "port_fixture.h"

#include <cerrno>

using namespace porttest;

TEST_F(PortTest, FlushCountsAndDiscardsWhatArrived) {
    EXPECT_EQ(c_rxflush(m_port, 0), 0);
    peerSends("abc");
    EXPECT_EQ(c_rxcount(m_port), 3);
    EXPECT_EQ(c_rxpeek(m_port, 2), 'c');
    EXPECT_EQ(c_rxpeek(m_port, 3), -1);
    EXPECT_EQ(c_rxflush(m_port, 0), 3);
    EXPECT_EQ(c_rxcount(m_port), 0);
    peerSends("defg");
    EXPECT_EQ(c_rxflush(m_port, 2), 2);
    EXPECT_EQ(c_inchar(m_port), 'f');
    EXPECT_EQ(c_getc(m_port), 'g');
    EXPECT_EQ(c_inchar(m_port), -1);
    EXPECT_EQ(c_getc(m_port), KORLINK_E_TIMEOUT);  // receive time-out 0: no wait
}

// A lower bound only: the wait cannot end before the floor, whatever the load.
TEST_F(PortTest, ShortWaitIsRaisedTo55Ms) {
    uint32_t start = ms_pause(0);
    EXPECT_EQ(c_waitc(m_port, -1, 10), KORLINK_E_TIMEOUT);
    EXPECT_GE(ms_pause(0) - start, 55u);
    installPump(nullptr);
    EXPECT_EQ(c_waitc(m_port, -1, 0), KORLINK_E_TIMEOUT);  // one pass
    EXPECT_EQ(pumpCalls(), 1);
}

TEST_F(PortTest, WaitForAByteDropsTheOthers) {
    peerSends("xyzCq");
    EXPECT_EQ(c_waitc(m_port, 'C', 1000), 'C');
    EXPECT_EQ(c_inchar(m_port), 'q');
    peerSends("abc");
    EXPECT_EQ(c_waitc(m_port, 'C', 100), KORLINK_E_TIMEOUT);
    EXPECT_EQ(c_rxcount(m_port), 0);
}

TEST_F(PortTest, EscapeFromThePumpCancelsWaits) {
    installPump([] { return pumpCalls() >= 3 ? kEscape : 0; });
    EXPECT_EQ(c_waitc(m_port, -1, 60000), KORLINK_E_CANCELLED);
    installPump([] { return pumpCalls() >= 3 ? kEscape : 0; });
    EXPECT_EQ(c_rxpeeks(m_port, "never", 60000), KORLINK_E_CANCELLED);
    // Another key does not cancel.
    installPump([] { return 'a'; });
    EXPECT_EQ(c_waitc(m_port, -1, 100), KORLINK_E_TIMEOUT);
}

TEST_F(PortTest, HostClosingThePortInsideAWaitEndsIt) {
    PortHandle port = m_port;
    installPump([port] {
        if (pumpCalls() == 2) COMMPortDeinit(port, 0);
        return 0;
    });
    EXPECT_EQ(c_waitc(m_port, -1, 60000), KORLINK_E_NULL_PORT);
    m_port = nullptr;
}

TEST_F(PortTest, TransferCancelEndsTheNextWaitOnce) {
    EXPECT_EQ(COMMXferCancel(m_port), 0);  // no window: the pending request
    EXPECT_EQ(c_waitc(m_port, -1, 60000), KORLINK_E_CANCELLED);
    EXPECT_EQ(c_waitc(m_port, -1, 0), KORLINK_E_TIMEOUT);
    // With a window the cancel key is posted; a plain pause leaves it alone.
    COMMPortSet(m_port, KORLINK_PORT_WINDOW, 0x1234);
    installPump(nullptr);
    EXPECT_EQ(COMMXferCancel(m_port), 0);
    ms_pause(20);
    EXPECT_EQ(c_waitc(m_port, -1, 60000), KORLINK_E_CANCELLED);
    EXPECT_EQ(c_waitc(m_port, -1, 0), KORLINK_E_TIMEOUT);
}

TEST_F(PortTest, WaitWhileTheHostPumpsSeesBytesSentMeanwhile) {
    installPump([this] {
        if (pumpCalls() == 5) m_pty->send("Z");
        return 0;
    });
    EXPECT_EQ(c_waitc(m_port, 'Z', 60000), 'Z');
}

TEST_F(PortTest, VanishedPeerEndsTheWaitWithTheErrorStored) {
    m_pty->closeMaster();
    EXPECT_EQ(c_waitc(m_port, -1, 60000), -1);
    EXPECT_EQ(COMMErrnoGet(m_port), EIO);
    EXPECT_EQ(c_rxpeeks(m_port, "OK", 60000), -1);
}

TEST_F(PortTest, PeekSearchContinuesAPartialMatchAcrossRounds) {
    peerSends("xxCON");
    installPump([this] {
        if (pumpCalls() == 3) m_pty->send("NECT 9600");
        return 0;
    });
    EXPECT_EQ(c_rxpeeks(m_port, "CONNECT", 60000), 2);
    // Nothing was taken; a false start restarts one position later.
    EXPECT_EQ(c_rxcount(m_port), 2 + 7 + 5);
    c_rxflush(m_port, 0);
    peerSends("CCONNECT");
    EXPECT_EQ(c_rxpeeks(m_port, "CONNECT", 0), 1);
    EXPECT_EQ(c_rxpeeks(m_port, "", 0), -1);
    EXPECT_EQ(c_rxpeeks(m_port, nullptr, 0), KORLINK_E_BAD_ARG2);
}

TEST_F(PortTest, WaitForTextKeepsAPartialMatchAfterATimeOut) {
    peerSends("noise AB");
    EXPECT_EQ(c_waits(m_port, "ABC", 60), KORLINK_E_TIMEOUT);
    EXPECT_EQ(c_rxcount(m_port), 3);  // " AB" survives
    peerSends("C and more");
    EXPECT_EQ(c_waits(m_port, "ABC", 60), 0);
    EXPECT_EQ(c_inchar(m_port), ' ');  // everything up to the match is gone
}

// A failed c_waits discards only what was buffered before it: a reply that
// came during the wait (an "ERROR" instead of the "OK" waited for) stays.
TEST_F(PortTest, FailedWaitForTextKeepsWhatArrivedMeanwhile) {
    peerSends("old junk");
    testsupport::PtyPair *line = m_pty.get();
    installPump([line] {
        if (pumpCalls() == 2) line->send("ERROR\r\n");
        return 0;
    });
    EXPECT_EQ(c_waits(m_port, "OK", 300), KORLINK_E_TIMEOUT);
    removePump();
    char reply[32];
    EXPECT_EQ(c_gets(m_port, reply, sizeof reply, '\n'), 9);
    EXPECT_STREQ(reply, "nkERROR\r\n");
}

TEST_F(PortTest, LinesStopAtTerminatorSizeOrTimeOut) {
    char line[16];
    EXPECT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_TIMEOUT_MS, 60), 0);
    EXPECT_EQ(c_gets(m_port, line, sizeof line, '\r'), 0);  // nothing: first-byte time-out
    EXPECT_STREQ(line, "");
    EXPECT_EQ(COMMRxXlatGet(m_port, KORLINK_RX_LINE_TIMEOUT_MS), 60);  // the line time-out took the receive time-out

    peerSends("OK\rnext");
    EXPECT_EQ(c_gets(m_port, line, sizeof line, '\r'), 3);
    EXPECT_STREQ(line, "OK\r");
    EXPECT_EQ(c_gets(m_port, line, sizeof line, '\r'), 4);  // ends at the time-out
    EXPECT_STREQ(line, "next");

    peerSends("0123456789");
    EXPECT_EQ(c_gets(m_port, line, 5, -1), 4);
    EXPECT_STREQ(line, "0123");
    EXPECT_EQ(c_gets(m_port, nullptr, 5, -1), KORLINK_E_BAD_ARG2);
}

TEST_F(PortTest, GetsCancelledLineReturnsTheCancel) {
    char line[8];
    COMMRxXlatSet(m_port, KORLINK_RX_TIMEOUT_MS, 60000);
    peerSends("ab");
    installPump([] { return pumpCalls() >= 2 ? kEscape : 0; });
    EXPECT_EQ(c_gets(m_port, line, sizeof line, '\r'), KORLINK_E_CANCELLED);
    EXPECT_STREQ(line, "ab");
}
