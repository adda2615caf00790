// Sending: the transmit options, line-ending modes in both directions, flow
// control holds, and the background lock on every byte operation.
#include "case_name.h"
#include "port_fixture.h"

#include <poll.h>

using namespace porttest;

TEST_F(PortTest, PlainBytesAndBlocksReachThePeer) {
    EXPECT_EQ(c_putc(m_port, 'A'), 0);
    EXPECT_EQ(c_puts(m_port, "T\r"), 0);
    EXPECT_EQ(c_putn(m_port, 4, "x\0yz"), 0);
    EXPECT_EQ(peerReceives(7), std::string("AT\rx\0yz", 7));
    EXPECT_EQ(c_putn(m_port, 1, nullptr), KORLINK_E_BAD_ARG3);
    EXPECT_EQ(c_putn(m_port, -1, "x"), KORLINK_E_BAD_ARG3);
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].text, "ERROR: BADPARM2. Parameter is NULL\r\nFunction: c_putn()");
    EXPECT_EQ(c_txcount(m_port), 512);
    EXPECT_EQ(c_txflush(m_port, 0), 0);
}

TEST_F(PortTest, PauseCharacterIsWaitedForInsteadOfSent) {
    COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1);
    COMMTxXlatSet(m_port, KORLINK_TX_PAUSE_CHAR, '~');
    COMMTxXlatSet(m_port, KORLINK_TX_PAUSE_MS, 100);
    uint32_t start = ms_pause(0);
    EXPECT_EQ(c_puts(m_port, "AT~Z~"), 0);
    EXPECT_GE(ms_pause(0) - start, 200u);  // two pauses; a lower bound only
    EXPECT_EQ(peerReceives(3), "ATZ");
    EXPECT_FALSE(peerHasData());
}

TEST_F(PortTest, CaseAndBit7OptionsApplyOnlyWhileSwitchedOn) {
    COMMTxXlatSet(m_port, KORLINK_TX_CASE, KORLINK_CASE_UPPER);
    COMMTxXlatSet(m_port, KORLINK_TX_DROP_BIT7, 1);
    EXPECT_EQ(c_puts(m_port, "at\xE9z"), 0);
    EXPECT_EQ(peerReceives(4), "at\xE9z");
    COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1);
    EXPECT_EQ(c_puts(m_port, "at\xE9z"), 0);
    EXPECT_EQ(peerReceives(3), "ATZ");
    EXPECT_FALSE(peerHasData());

    COMMRxXlatSet(m_port, KORLINK_RX_OPTIONS, 1);
    COMMRxXlatSet(m_port, KORLINK_RX_CASE, KORLINK_CASE_LOWER);
    peerSends("OK");
    EXPECT_EQ(c_getc(m_port), 'o');
    EXPECT_EQ(c_getc(m_port), 'k');
    EXPECT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_CASE, 3), KORLINK_E_BAD_ARG3);
    EXPECT_EQ(COMMRxXlatSet(m_port, 99, 0), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(reports().size(), 1u);
}

struct LineEndingCase {
    const char *name;
    int mode;
    const char *in;
    const char *out;
};

void PrintTo(const LineEndingCase &c, std::ostream *out) { *out << c.name; }

class LineEndings : public PortTest, public ::testing::WithParamInterface<LineEndingCase> {};

TEST_P(LineEndings, SameModeOnSendAndReceive) {
    const LineEndingCase &c = GetParam();
    std::string expected = c.out;
    COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1);
    COMMTxXlatSet(m_port, KORLINK_TX_LINE_ENDING, c.mode);
    EXPECT_EQ(c_puts(m_port, c.in), 0);
    EXPECT_EQ(peerReceives(expected.size()), expected);
    EXPECT_FALSE(peerHasData());

    COMMRxXlatSet(m_port, KORLINK_RX_OPTIONS, 1);
    COMMRxXlatSet(m_port, KORLINK_RX_LINE_ENDING, c.mode);
    peerSends(c.in);
    std::string received;
    for (int byte; (byte = c_getc(m_port)) >= 0;) received += static_cast<char>(byte);
    EXPECT_EQ(received, expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, LineEndings, ::testing::Values(
    LineEndingCase{"Mode0_Unchanged", KORLINK_EOL_UNCHANGED, "a\rb\nc\r\n", "a\rb\nc\r\n"},
    LineEndingCase{"Mode1_CrToCrLf", KORLINK_EOL_CR_TO_CRLF, "a\rb\n", "a\r\nb\n"},
    LineEndingCase{"Mode2_LfToCrLf", KORLINK_EOL_LF_TO_CRLF, "a\rb\n", "a\rb\r\n"},
    LineEndingCase{"Mode3_CrToLf", KORLINK_EOL_CR_TO_LF, "a\rb\n", "a\nb\n"},
    LineEndingCase{"Mode4_LfToCr", KORLINK_EOL_LF_TO_CR, "a\rb\n", "a\rb\r"},
    LineEndingCase{"Mode5_EveryEndToCr", KORLINK_EOL_ALL_TO_CR, "a\rb\nc\r\nd", "a\rb\rc\rd"},
    LineEndingCase{"Mode6_EveryEndToLf", KORLINK_EOL_ALL_TO_LF, "a\rb\nc\r\nd", "a\nb\nc\nd"},
    LineEndingCase{"Mode7_EveryEndToCrLf", KORLINK_EOL_ALL_TO_CRLF, "a\rb\nc\r\nd", "a\r\nb\r\nc\r\nd"},
    LineEndingCase{"Mode8_CrDropped", KORLINK_EOL_DROP_CR, "a\rb\nc\r\n", "ab\nc\n"}),
    testsupport::CaseName());

TEST_F(PortTest, XoffHoldsOutputUntilXon) {
    COMMTxXlatSet(m_port, KORLINK_TX_FLOW, KORLINK_FLOW_XONXOFF);
    peerSends("\x13");
    installPump([this] {
        // While held nothing may have reached the peer; then let it go.
        if (pumpCalls() == 5) {
            EXPECT_FALSE(peerHasData());
            m_pty->send("\x11");
        }
        return 0;
    });
    EXPECT_EQ(c_putc(m_port, 'x'), 0);
    EXPECT_GE(pumpCalls(), 5);
    EXPECT_EQ(peerReceives(1), "x");
    // XON and XOFF were line control, not data.
    EXPECT_EQ(c_rxcount(m_port), 0);

    peerSends("\x13");
    installPump([] { return pumpCalls() >= 3 ? kEscape : 0; });
    EXPECT_EQ(c_putn(m_port, 2, "ab"), KORLINK_E_CANCELLED);
    EXPECT_FALSE(peerHasData());
    COMMTxXlatSet(m_port, KORLINK_TX_FLOW_SUSPEND, 1);  // suspended: the hold no longer applies
    EXPECT_EQ(c_putc(m_port, 'y'), 0);
    EXPECT_EQ(peerReceives(1), "y");
}

TEST_F(PortTest, ReceiveFlowHoldsThePeerWhenFullAndLetsGoWhenDrained) {
    COMMPortDeinit(m_port, 0);
    m_port = COMMWinInit(kTestCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 100, 512);
    ASSERT_NE(m_port, nullptr);
    EXPECT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_FLOW, KORLINK_FLOW_XONXOFF), 0);
    peerSends(std::string(90, 'd'));  // above 80 % of 100 bytes
    EXPECT_EQ(peerReceives(1), "\x13");
    EXPECT_EQ(c_rxflush(m_port, 75), 75);
    EXPECT_FALSE(peerHasData());  // the resume check belongs to c_waitc
    EXPECT_EQ(c_waitc(m_port, -1, 0), 'd');
    EXPECT_EQ(peerReceives(1), "\x11");
}

TEST_F(PortTest, EveryByteOperationRefusesAPortHeldByABackgroundTransfer) {
    peerSends("abc");
    char line[8];
    ASSERT_EQ(COMMPortSet(m_port, KORLINK_PORT_BACKGROUND_LOCK, 1), 0);
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_LOCKED), 1);
    EXPECT_EQ(c_putc(m_port, 'x'), KORLINK_E_LOCKED);
    EXPECT_EQ(c_puts(m_port, "x"), KORLINK_E_LOCKED);
    EXPECT_EQ(c_putn(m_port, 1, "x"), KORLINK_E_LOCKED);
    EXPECT_EQ(c_getc(m_port), KORLINK_E_LOCKED);
    EXPECT_EQ(c_inchar(m_port), KORLINK_E_LOCKED);
    EXPECT_EQ(c_rxcount(m_port), KORLINK_E_LOCKED);
    EXPECT_EQ(c_rxflush(m_port, 0), KORLINK_E_LOCKED);
    EXPECT_EQ(c_txcount(m_port), KORLINK_E_LOCKED);
    EXPECT_EQ(c_txflush(m_port, 0), KORLINK_E_LOCKED);
    EXPECT_EQ(c_waitc(m_port, -1, 0), KORLINK_E_LOCKED);
    EXPECT_EQ(c_waits(m_port, "a", 0), KORLINK_E_LOCKED);
    EXPECT_EQ(c_rxpeek(m_port, 0), KORLINK_E_LOCKED);
    EXPECT_EQ(c_rxpeeks(m_port, "a", 0), KORLINK_E_LOCKED);
    EXPECT_EQ(c_gets(m_port, line, sizeof line, '\r'), KORLINK_E_LOCKED);
    EXPECT_EQ(COMMRS232Set(m_port, KORLINK_ITEM_DTR, 0), KORLINK_E_LOCKED);
    EXPECT_EQ(COMMRS232SendBreak(m_port, 1), KORLINK_E_LOCKED);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_DATABITS, 7), KORLINK_E_LOCKED);
    EXPECT_EQ(COMMPortDeinit(m_port, 0), KORLINK_E_LOCKED);
    EXPECT_TRUE(reports().empty());
    // Nothing was sent or taken.
    EXPECT_FALSE(peerHasData());
    ASSERT_EQ(COMMPortSet(m_port, KORLINK_PORT_BACKGROUND_LOCK, 0), 0);
    EXPECT_EQ(c_rxcount(m_port), 3);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_DATABITS), 8);
}

TEST_F(PortTest, SavedOptionsComeBack) {
    COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1);
    COMMTxXlatSet(m_port, KORLINK_TX_LINE_ENDING, KORLINK_EOL_ALL_TO_CRLF);
    COMMRxXlatSet(m_port, KORLINK_RX_TIMEOUT_MS, 250);
    EXPECT_EQ(COMMSaveXlat(m_port), 0);
    COMMTxXlatSet(m_port, KORLINK_TX_LINE_ENDING, KORLINK_EOL_UNCHANGED);
    COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 0);
    COMMRxXlatSet(m_port, KORLINK_RX_TIMEOUT_MS, 0);
    EXPECT_EQ(COMMRestoreXlat(m_port), 0);
    EXPECT_EQ(COMMTxXlatGet(m_port, KORLINK_TX_LINE_ENDING), KORLINK_EOL_ALL_TO_CRLF);
    EXPECT_EQ(COMMRxXlatGet(m_port, KORLINK_RX_TIMEOUT_MS), 250);
    EXPECT_EQ(c_puts(m_port, "a\n"), 0);
    EXPECT_EQ(peerReceives(3), "a\r\n");
    EXPECT_EQ(COMMRestoreXlat(m_port), -1);  // nothing saved any more
}

// Saving and restoring the options moves settings only: a line-ending
// expansion under way is neither lost nor repeated.
TEST_F(PortTest, SaveAndRestoreAroundALineEndingExpansionKeepTheReceivedBytes) {
    ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_OPTIONS, 1), 0);
    ASSERT_EQ(COMMRxXlatSet(m_port, KORLINK_RX_LINE_ENDING, KORLINK_EOL_CR_TO_CRLF), 0);
    peerSends("a\rb");
    EXPECT_EQ(c_getc(m_port), 'a');
    EXPECT_EQ(COMMSaveXlat(m_port), 0);
    EXPECT_EQ(c_getc(m_port), '\r');  // its LF is pending
    EXPECT_EQ(COMMRestoreXlat(m_port), 0);
    EXPECT_EQ(c_getc(m_port), '\n');
    EXPECT_EQ(c_getc(m_port), 'b');
    EXPECT_EQ(c_getc(m_port), KORLINK_E_TIMEOUT);

    peerSends("\rc");
    EXPECT_EQ(c_getc(m_port), '\r');
    EXPECT_EQ(COMMSaveXlat(m_port), 0);  // saved with the LF pending
    EXPECT_EQ(c_getc(m_port), '\n');
    EXPECT_EQ(COMMRestoreXlat(m_port), 0);
    EXPECT_EQ(c_getc(m_port), 'c');
    EXPECT_EQ(c_getc(m_port), KORLINK_E_TIMEOUT);

    // The same on the sending side: a CR LF pair stays one line end (CR,
    // LF -> LF) however the save and restore fall between its bytes.
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_OPTIONS, 1), 0);
    ASSERT_EQ(COMMTxXlatSet(m_port, KORLINK_TX_LINE_ENDING, KORLINK_EOL_ALL_TO_LF), 0);
    EXPECT_EQ(COMMSaveXlat(m_port), 0);
    EXPECT_EQ(c_putc(m_port, '\r'), 0);
    EXPECT_EQ(COMMRestoreXlat(m_port), 0);
    EXPECT_EQ(c_putc(m_port, '\n'), 0);
    EXPECT_EQ(c_putc(m_port, 'x'), 0);
    EXPECT_EQ(peerReceives(2), "\nx");
}
