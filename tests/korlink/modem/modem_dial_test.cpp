// Dialling, the dial's outcome and link report, hang-up and escape, against
// the scripted modem with a simulated carrier.
#include "case_name.h"
#include "modem_fixture.h"

#include <string>

using namespace modemtest;

namespace {

// ----------------------------------------------------------- dial outcome

struct OutcomeCase {
    const char *name;
    Rule rule;
    int16_t result;
    int32_t speed = 0;   // COMMLinkGet 200 after the wait
    int32_t errorCorrection = 0, v42 = 0, compression = 0;
    bool verbose = true;   // false: the modem answers in numbers (V0)
};

void PrintTo(const OutcomeCase &c, std::ostream *out) { *out << c.name; }

class DialOutcome : public ModemTest, public ::testing::WithParamInterface<OutcomeCase> {};

// The dial command goes out with COMMModemPuts; the wait classifies what the
// modem answers. Failures end the wait at once, a connection reports its link.
TEST_P(DialOutcome, ClassifiesTheModemsAnswer) {
    const OutcomeCase &c = GetParam();
    useShortWaits();
    COMMModemSet(m_port, KORLINK_MODEM_CARRIER_WAIT, reinterpret_cast<intptr_t>("S7=1"));  // wait at most 1 s
    m_modem->setVerbose(c.verbose);
    m_modem->addRule(c.rule);
    ASSERT_EQ(COMMModemPuts(m_port, "D5551234"), 0);
    EXPECT_EQ(COMMModemWaitResponse(m_port), c.result);
    std::string reply = reinterpret_cast<const char *>(COMMModemGet(m_port, KORLINK_MODEM_LAST_DIAL_REPLY));
    if (c.rule.raw) {
        EXPECT_EQ(reply.size(), 81u);  // the wait stopped looking at 81 bytes
    }
    if (c.result != 0) return;
    EXPECT_EQ(COMMLinkGet(m_port, KORLINK_LINK_CARRIER_SPEED), c.speed);
    EXPECT_EQ(COMMLinkGet(m_port, KORLINK_LINK_MNP), c.errorCorrection);
    EXPECT_EQ(COMMLinkGet(m_port, KORLINK_LINK_V42), c.v42);
    EXPECT_EQ(COMMLinkGet(m_port, KORLINK_LINK_COMPRESSION), c.compression);
    if (c.verbose) {
        EXPECT_NE(reply.find("CONNECT"), std::string::npos) << reply;
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, DialOutcome, ::testing::Values(
    OutcomeCase{"ConnectRel", {"D", "CONNECT 2400/REL", 10, true}, 0, 2400, 1, 0, 0},
    OutcomeCase{"ConnectV42bis", {"D", "CARRIER 9600\r\n\r\nCONNECT 19200/V42B", 14, true}, 0, 9600, 0, 1, 1},
    OutcomeCase{"Busy", {"D", "BUSY", 7}, KORLINK_RESULT_BUSY},
    OutcomeCase{"NoAnswer", {"D", "NO ANSWER", 8}, KORLINK_RESULT_NO_ANSWER},
    OutcomeCase{"NoDialTone", {"D", "NO DIALTONE", 6}, KORLINK_RESULT_NO_DIAL_TONE},
    OutcomeCase{"NoCarrier", {"D", "NO CARRIER", 3}, KORLINK_RESULT_NO_CARRIER},
    OutcomeCase{"Error", {"D", "ERROR", 4}, KORLINK_RESULT_ERROR},
    OutcomeCase{"Silence", {"D", "", 0, false, true}, -1},
    // 81 bytes without a recognised reply end the wait: no recognised reply.
    OutcomeCase{"Garbage", {"D", std::string(200, '#'), 0, false, false, true}, -1},
    OutcomeCase{"Flood", {"D", "NO CARRIE", 0, false, false, true, false, true}, -1},
    // A longer speed is its own, not a shorter one's.
    OutcomeCase{"Connect12000", {"D", "CONNECT 12000", 1, true}, 0, 12000},
    // Numeric mode (V0): "12" CR is CONNECT 9600, "13" and "16" CR are no reply of the table.
    OutcomeCase{"NumericConnect9600", {"D", "CONNECT 9600", 12, true}, 0, 9600, 0, 0, 0, false},
    OutcomeCase{"NumericConnect", {"D", "CONNECT", 1, true}, 0, 9600, 0, 0, 0, false},
    OutcomeCase{"NumericBusy", {"D", "BUSY", 7}, 7, 0, 0, 0, 0, false},
    OutcomeCase{"NumericNoCarrier", {"D", "NO CARRIER", 3}, 3, 0, 0, 0, 0, false},
    OutcomeCase{"Numeric13IsNoReply", {"D", "?", 13}, -1, 0, 0, 0, 0, false},
    OutcomeCase{"Numeric16IsNoReply", {"D", "?", 16}, -1, 0, 0, 0, 0, false}),
    testsupport::CaseName());

// A dial as a host runs it: the number goes out after the dial command, the
// wait sees CONNECT and, without the fixed-speed flag, the port takes the
// carrier's speed.
TEST_F(ModemTest, DialConnectsAndTakesTheCarrierSpeed) {
    useShortWaits();
    COMMModemSet(m_port, KORLINK_MODEM_FIXED_SPEED, 0);
    m_modem->addRule({"D", "CONNECT 2400/REL", 10, true});
    EXPECT_EQ(COMMModemDial(m_port, "5551234"), 0);
    EXPECT_EQ(m_modem->received(), "ATQD5551234\r");
    EXPECT_EQ(COMMLinkGet(m_port, KORLINK_LINK_CARRIER_SPEED), 2400);
    EXPECT_EQ(COMMLinkGet(m_port, KORLINK_LINK_MNP), 1);
    EXPECT_EQ(COMMDataFormatGet(m_port, KORLINK_ITEM_BAUD), 2400);
    EXPECT_EQ(COMMRS232Get(m_port, KORLINK_ITEM_CD), 1);
}

ScriptedModem *g_modem = nullptr;

// Escape once the modem has the whole dial line.
int escapeAfterDialLine() { return g_modem->received().find("D123\r") != std::string::npos ? 283 : 0; }

// The cancel key stops the wait; CR stops the modem dialling and DTR, raised
// for the dial, goes down again.
TEST_F(ModemTest, CancelledDialStopsTheModem) {
    useShortWaits();
    m_modem->addRule({"D", "", 0, false, true});
    COMMRS232Set(m_port, KORLINK_ITEM_DTR, 0);
    g_modem = m_modem.get();
    COMMPumpHookSet(escapeAfterDialLine);
    EXPECT_EQ(COMMModemDial(m_port, "123"), KORLINK_E_CANCELLED);
    COMMPumpHookSet(nullptr);
    EXPECT_TRUE(m_modem->waitFor("ATQD123\r\r"));
    EXPECT_EQ(m_modem->dtr(), "0");
}

TEST_F(ModemTest, DialRefusesBadNumbers) {
    EXPECT_EQ(COMMModemDial(m_port, nullptr), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(COMMModemDial(m_port, std::string(41, '5').c_str()), KORLINK_E_BAD_ARG2);
    ASSERT_EQ(reportTexts().size(), 2u);
    EXPECT_NE(reportTexts()[1].find("too many digits"), std::string::npos);
    EXPECT_EQ(m_modem->received(), "");
}

// --------------------------------------------------------------- hang-up

struct HangupCase {
    const char *name;
    bool carrier;
    bool modemFollowsDtr;
    const char *sent;   // what the modem hears
    int16_t result;
};

void PrintTo(const HangupCase &c, std::ostream *out) { *out << c.name; }

class ModemHangup : public ModemTest, public ::testing::WithParamInterface<HangupCase> {};

TEST_P(ModemHangup, EndsTheCall) {
    const HangupCase &c = GetParam();
    useShortWaits();
    // Long enough for the modem to see DTR drop on a busy machine.
    COMMModemSet(m_port, KORLINK_MODEM_DTR_DROP_MS, 1000);
    m_modem->setHangUpOnDtr(c.modemFollowsDtr);
    m_modem->setCarrier(c.carrier);
    COMMTxXlatSet(m_port, KORLINK_TX_CARRIER_WATCH, 1);  // the carrier watch must not end the hang-up's own waits
    EXPECT_EQ(COMMModemHangup(m_port), c.result);
    EXPECT_EQ(m_modem->received(), c.sent);
    EXPECT_EQ(COMMRS232Get(m_port, KORLINK_ITEM_CD), 0);
    EXPECT_EQ(m_modem->dtr(), "1");  // DTR is back up
    EXPECT_EQ(COMMTxXlatGet(m_port, KORLINK_TX_CARRIER_WATCH), 1);
}

INSTANTIATE_TEST_SUITE_P(Modems, ModemHangup, ::testing::Values(
    // Nothing to end: nothing is sent.
    HangupCase{"CarrierLow", false, true, "", 0},
    // Dropping DTR is enough: the modem says NO CARRIER.
    HangupCase{"ModemFollowsDtr", true, true, "", 0},
    // The modem ignores DTR: escape with guard times, +++ again, H0 twice.
    HangupCase{"ModemIgnoresDtr", true, false, "++++++ATQH0\rATQH0\r", KORLINK_RESULT_OK}),
    testsupport::CaseName());

// Without carrier there is nothing to hang up: the reset command goes out
// with the port's time-outs put back afterwards.
TEST_F(ModemTest, ResetSendsTheResetCommand) {
    useShortWaits();
    COMMRxXlatSet(m_port, KORLINK_RX_TIMEOUT_MS, 20);
    EXPECT_EQ(COMMModemReset(m_port), KORLINK_RESULT_OK);
    EXPECT_EQ(m_modem->received(), "ATQZ\r");
    EXPECT_EQ(COMMRxXlatGet(m_port, KORLINK_RX_TIMEOUT_MS), 20);
}

TEST_F(ModemTest, GoCommandEscapesOnlyWithCarrier) {
    useShortWaits();
    EXPECT_EQ(COMMModemGoCommand(m_port), 0);
    EXPECT_EQ(m_modem->received(), "");
    m_modem->setCarrier(true);
    EXPECT_EQ(COMMModemGoCommand(m_port), 0);
    EXPECT_TRUE(m_modem->waitFor("+++"));
    EXPECT_EQ(c_waits(m_port, "OK", 2000), 0);  // the modem is back in command mode
}

}  // namespace
