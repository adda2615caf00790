// RS-232 lines, break and character format on a pty, which has no modem
// lines but keeps its character format.
#include "frame/port.h"
#include "port_fixture.h"

#include <termios.h>

using namespace porttest;

TEST_F(PortTest, OutputLinesReadBackTheStateLastSet) {
    // Raised at open, whatever the device could do.
    EXPECT_EQ(COMMRS232Get(m_port, KORLINK_ITEM_DTR), 1);
    EXPECT_EQ(COMMRS232Get(m_port, KORLINK_ITEM_RTS), 1);
    EXPECT_EQ(COMMRS232Set(m_port, KORLINK_ITEM_RTS, 0), 0);
    EXPECT_EQ(COMMRS232Get(m_port, KORLINK_ITEM_RTS), 0);
    EXPECT_EQ(COMMRS232Get(m_port, KORLINK_ITEM_DTR), 1);
    EXPECT_TRUE(reports().empty());

    EXPECT_EQ(COMMRS232Set(m_port, KORLINK_ITEM_DTR, 2), KORLINK_E_BAD_ARG3);
    EXPECT_EQ(COMMRS232Get(m_port, KORLINK_ITEM_DTR), 1);
    EXPECT_EQ(COMMRS232Set(m_port, KORLINK_ITEM_CTS, 1), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(COMMRS232Get(m_port, 7), KORLINK_E_BAD_ARG2);
    ASSERT_EQ(reports().size(), 3u);
    EXPECT_EQ(reports()[0].text, "ERROR: BADPARM2. Parameter is not HIGH or LOW\r\nFunction: COMMRS232Set()");
    EXPECT_EQ(reports()[2].text, "ERROR: BADPARM1. Parameter value 7 is unrecognized\r\nFunction: COMMRS232Get()");
}

TEST_F(PortTest, InputLinesAPtyCannotReportGiveMinusOne) {
    for (int16_t item : {KORLINK_ITEM_CTS, KORLINK_ITEM_DSR, KORLINK_ITEM_CD, KORLINK_ITEM_RI})
        EXPECT_EQ(COMMRS232Get(m_port, item), -1) << item;
    // The carrier watch treats an unreadable carrier as present.
    COMMTxXlatSet(m_port, KORLINK_TX_CARRIER_WATCH, 1);
    peerSends("k");
    EXPECT_EQ(c_waitc(m_port, -1, 100), 'k');
    EXPECT_EQ(c_putc(m_port, 'x'), 0);
}

namespace {

// The data-format word is internal; the handle is the port object's address.
uint16_t formatWord(PortHandle port) { return reinterpret_cast<korlink::Port *>(port)->dataFormat; }

}  // namespace

// A pty keeps eight data bits and no parity whatever it is told: a real
// device refusing a format.
TEST_F(PortTest, DataFormatWordFollowsEverySetEvenWhenRefused) {
    EXPECT_EQ(formatWord(m_port), 0);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_STOPBITS, KORLINK_STOPBITS_TWO), 0);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_STOPBITS), KORLINK_STOPBITS_TWO);
    termios block{};
    ASSERT_EQ(tcgetattr(m_pty->master(), &block), 0);
    EXPECT_TRUE(block.c_cflag & CSTOPB);
    EXPECT_EQ(formatWord(m_port), 2);

    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_DATABITS, 7), -1);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_DATABITS), 8);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_PARITY, KORLINK_PARITY_EVEN), -1);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_PARITY), KORLINK_PARITY_NONE);
    EXPECT_EQ(formatWord(m_port), (2 << 5) | (2 << 2) | 2);

    // Stop bits 0 passes the argument check and the device refuses it.
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_STOPBITS, 0), -1);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_STOPBITS), KORLINK_STOPBITS_TWO);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_DATABITS, 8), 0);
    EXPECT_EQ(formatWord(m_port), (3 << 5) | (2 << 2) | 0);
    EXPECT_TRUE(reports().empty());

    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_DATABITS, 4), KORLINK_E_BAD_ARG3);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_PARITY, 5), KORLINK_E_BAD_ARG3);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_STOPBITS, 4), KORLINK_E_BAD_ARG3);
    EXPECT_EQ(COMMDataFormatSet(m_port, 50, 1), KORLINK_E_BAD_ARG2);
    ASSERT_EQ(reports().size(), 4u);
    EXPECT_EQ(reports()[0].text, "ERROR: BADPARM2. Data bits must be between 5 and 8\r\nFunction: COMMDataFormatSet()");
    EXPECT_EQ(reports()[1].text, "ERROR: BADPARM2. Parity value unrecognized\r\nFunction: COMMDataFormatSet()");
    EXPECT_EQ(reports()[2].text, "ERROR: BADPARM2. Stop bits value unrecognized\r\nFunction: COMMDataFormatSet()");
    EXPECT_EQ(formatWord(m_port), (3 << 5) | (2 << 2) | 0);

    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_FORMAT_EXTRA), -1);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_FORMAT_EXTRA, 1), -1);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_BAUD, 19200), 0);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_BAUD), 19200);
    EXPECT_EQ(COMMDataFormatSet(m_port, KORLINK_ITEM_BAUD, 12345), -1);
}

TEST_F(PortTest, BreakReturnsZeroAndKeepsTheDeviceResultInTheLastError) {
    uint32_t start = ms_pause(0);
    EXPECT_EQ(COMMRS232SendBreak(m_port, 5), 0);
    int16_t stored = COMMErrnoGet(m_port);
    // A device that takes the break holds it 300 ms; one that refuses it
    // leaves its error behind.
    if (stored == 0) EXPECT_GE(ms_pause(0) - start, 300u);
    else EXPECT_GT(stored, 0);
    EXPECT_EQ(c_putc(m_port, 'z'), 0);
    EXPECT_EQ(peerReceives(1), "z");
}
