// Reply classification, the settings record, command lines and their
// replies, initialisation and the speed class, against the scripted modem.
#include "case_name.h"
#include "modem_fixture.h"

#include <cstring>

using namespace modemtest;

namespace {

// ---------------------------------------------------------------- replies

struct ReplyCase {
    const char *name;
    const char *reply;
    int16_t number;
};

void PrintTo(const ReplyCase &c, std::ostream *out) { *out << ::testing::PrintToString(std::string(c.reply)); }

class ReplyClassification : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyClassification, GivesTheFirstRowFound) {
    EXPECT_EQ(COMMModemParseReply(GetParam().reply), GetParam().number) << GetParam().reply;
}

// Longer texts win over the texts they contain; numeric replies count only
// when no verbose text is there.
INSTANTIATE_TEST_SUITE_P(Table, ReplyClassification, ::testing::Values(
    ReplyCase{"Connect2400Rel", "\r\nCONNECT 2400/REL\r\n", KORLINK_RESULT_CONNECT_2400},
    ReplyCase{"Connect9600", "CONNECT 9600", KORLINK_RESULT_CONNECT_9600},
    ReplyCase{"Connect", "CONNECT", KORLINK_RESULT_CONNECT},
    ReplyCase{"Connect1200", "CONNECT 1200", KORLINK_RESULT_CONNECT_1200},
    ReplyCase{"Busy", "\r\nBUSY\r\n", KORLINK_RESULT_BUSY},
    ReplyCase{"NoDialTone", "NO DIAL TONE", KORLINK_RESULT_NO_DIAL_TONE},
    ReplyCase{"NoDialtoneOneWord", "NO DIALTONE", KORLINK_RESULT_NO_DIAL_TONE},
    ReplyCase{"NoCarrier", "\r\nNO CARRIER\r\n", KORLINK_RESULT_NO_CARRIER},
    ReplyCase{"CarrierThenConnect", "CARRIER 2400\r\nCONNECT 2400", KORLINK_RESULT_CARRIER_2400},
    ReplyCase{"ProtocolNone", "PROTOCOL:NONE\r\n", KORLINK_RESULT_PROTOCOL_NONE},
    ReplyCase{"Ok", "\r\nOK\r\n", KORLINK_RESULT_OK},
    ReplyCase{"Numeric10", "10\r", KORLINK_RESULT_CONNECT_2400},
    ReplyCase{"Numeric12", "12\r", KORLINK_RESULT_CONNECT_9600},
    ReplyCase{"Numeric3", "3\r", KORLINK_RESULT_NO_CARRIER},
    ReplyCase{"Numeric0", "0\r", KORLINK_RESULT_OK}, ReplyCase{"Garbage", "garbage", -1},
    ReplyCase{"NumericWithoutCr", "10", -1}, ReplyCase{"Empty", "", -1},
    // Whole replies only: a longer speed or number is not a shorter one's code.
    ReplyCase{"Connect12000IsPlainConnect", "\r\nCONNECT 12000\r\n", KORLINK_RESULT_CONNECT},
    ReplyCase{"Connect24000IsPlainConnect", "CONNECT 24000/REL", KORLINK_RESULT_CONNECT},
    ReplyCase{"Numeric13IsNotNoCarrier", "13\r", -1}, ReplyCase{"Numeric16IsNotNoDialTone", "16\r", -1},
    ReplyCase{"NumericAfterEcho", "ATQD12\r12\r", KORLINK_RESULT_CONNECT_9600}, ReplyCase{"NumericInsideEchoIgnored", "ATQD3\r", -1},
    ReplyCase{"OkInsideAWord", "BROKEN\r\n", -1}),
    testsupport::CaseName());

TEST(ReplyClassificationArguments, NullTextIsReported) {
    reportTexts().clear();
    COMMReportHookSet([](const char *, const char *text) { reportTexts().push_back(text); });
    EXPECT_EQ(COMMModemParseReply(nullptr), KORLINK_E_NULL_PORT);
    COMMReportHookSet(nullptr);
    ASSERT_EQ(reportTexts().size(), 1u);
    EXPECT_NE(reportTexts()[0].find("COMMModemParseReply()"), std::string::npos);
}

// ------------------------------------------------------- settings record

using ModemSettingsTest = ModemTest;

TEST_F(ModemSettingsTest, RecordComesWithTheFirstCallOtherThanGet) {
    EXPECT_EQ(COMMModemGet(m_port, KORLINK_MODEM_DIAL_COMMAND), KORLINK_E_NO_MODEM);
    EXPECT_EQ(COMMModemIsFixedSpeed(m_port), 4);
    struct { int16_t item; const char *text; } texts[] = {
        {KORLINK_MODEM_DIAL_COMMAND, "D"}, {KORLINK_MODEM_ECHO, "E1"}, {KORLINK_MODEM_ESCAPE, "S2=043"},
        {KORLINK_MODEM_RESULT_CODES, "Q"}, {KORLINK_MODEM_RESET, "Z"}, {KORLINK_MODEM_SPEAKER, "M1"},
        {KORLINK_MODEM_VERBOSE, "V1"}, {KORLINK_MODEM_ATTENTION, "AT"}, {KORLINK_MODEM_CARRIER_WAIT, "S7=60"}};
    for (const auto &entry : texts)
        EXPECT_STREQ(reinterpret_cast<const char *>(COMMModemGet(m_port, entry.item)), entry.text) << entry.item;
    struct { int16_t item; intptr_t value; } values[] = {
        {KORLINK_MODEM_DTR_DROP_MS, 2500}, {KORLINK_MODEM_REPLY_TIMEOUT_MS, 500},
        {KORLINK_MODEM_LINE_TIMEOUT_MS, 2500}, {KORLINK_MODEM_INTERCHAR_MS, 56},
        {KORLINK_MODEM_FIXED_SPEED, 1}, {KORLINK_MODEM_INITIALISED, 128}};
    for (const auto &entry : values) EXPECT_EQ(COMMModemGet(m_port, entry.item), entry.value) << entry.item;
    EXPECT_EQ(COMMLinkGet(m_port, KORLINK_LINK_CARRIER_SPEED), 9600);  // no dial yet: the port's baud rate
}

TEST_F(ModemSettingsTest, TextsAreCutToTheirFieldAndBadItemsRefused) {
    ASSERT_EQ(COMMModemSet(m_port, KORLINK_MODEM_ESCAPE, reinterpret_cast<intptr_t>("S2=043XYZW")), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMModemGet(m_port, KORLINK_MODEM_ESCAPE)), "S2=043XY");
    ASSERT_EQ(COMMModemSet(m_port, KORLINK_MODEM_DIAL_COMMAND, reinterpret_cast<intptr_t>("DTW")), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMModemGet(m_port, KORLINK_MODEM_DIAL_COMMAND)), "DT");
    ASSERT_EQ(COMMModemSet(m_port, KORLINK_MODEM_FIXED_SPEED, 0), 0);
    EXPECT_EQ(COMMModemIsFixedSpeed(m_port), 0);
    EXPECT_EQ(COMMModemSet(m_port, KORLINK_MODEM_ECHO, 0), KORLINK_E_BAD_ARG3);         // a null text is not read
    EXPECT_EQ(COMMModemSet(m_port, KORLINK_MODEM_INITIALISED, 1), KORLINK_E_BAD_ARG2);  // read-only
    EXPECT_EQ(COMMModemGet(m_port, KORLINK_MODEM_HOST_VALUE), KORLINK_E_BAD_ARG2);      // set-only
    EXPECT_EQ(COMMLinkGet(m_port, 205), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(reportTexts().size(), 4u);
    EXPECT_EQ(COMMModemGet(nullptr, KORLINK_MODEM_DIAL_COMMAND), KORLINK_E_NULL_PORT);
}

// --------------------------------------------------------------- commands

struct CommandCase {
    const char *name;
    bool echo;
    bool verbose;
    Rule rule;
    int16_t result;
};

void PrintTo(const CommandCase &c, std::ostream *out) { *out << c.name; }

class ModemCommandTest : public ModemTest, public ::testing::WithParamInterface<CommandCase> {};

// Whatever the modem's echo and result mode, the line on the wire is exactly
// ATQH0 CR and the reply is classified.
TEST_P(ModemCommandTest, SendsTheLineAndClassifiesTheReply) {
    const CommandCase &c = GetParam();
    useShortWaits();
    m_modem->setEcho(c.echo);
    m_modem->setVerbose(c.verbose);
    m_modem->addRule(c.rule);
    EXPECT_EQ(COMMModemCommand(m_port, "h0"), c.result);
    EXPECT_EQ(m_modem->received(), "ATQH0\r");
}

INSTANTIATE_TEST_SUITE_P(Replies, ModemCommandTest, ::testing::Values(
    CommandCase{"EchoVerboseOk", true, true, {"H0", "OK", 0}, KORLINK_RESULT_OK},
    CommandCase{"QuietVerboseOk", false, true, {"H0", "OK", 0}, KORLINK_RESULT_OK},
    CommandCase{"EchoNumericOk", true, false, {"H0", "OK", 0}, KORLINK_RESULT_OK},
    CommandCase{"QuietNumericOk", false, false, {"H0", "OK", 0}, KORLINK_RESULT_OK},
    CommandCase{"QuietNumericBusy", false, false, {"H0", "BUSY", 7}, KORLINK_RESULT_BUSY},
    CommandCase{"EchoNumericNoCarrier", true, false, {"H0", "NO CARRIER", 3}, KORLINK_RESULT_NO_CARRIER},
    CommandCase{"VerboseError", true, true, {"H0", "ERROR", 4}, KORLINK_RESULT_ERROR},
    CommandCase{"Silence", true, true, {"H0", "", 0, false, true}, -1},
    CommandCase{"Garbage", true, true, {"H0", "#?!", 99}, -1},
    // A modem that never stops sending: the reply read still ends.
    CommandCase{"Flood", true, true, {"H0", std::string(64, '#'), 0, false, false, true, false, true}, -1}),
    testsupport::CaseName());

TEST_F(ModemTest, CommandStringReturnsTheReplyText) {
    useShortWaits();
    m_modem->addRule({"I3", "V3225 VERSION 1.0", 0});
    const char *reply = COMMModemCommandString(m_port, "I3", 40);
    ASSERT_NE(reply, nullptr);
    EXPECT_STREQ(reply, "\r\nV3225 VERSION 1.0\r\n");
    EXPECT_STREQ(COMMModemCommandString(m_port, "I3", 6), "\r\nV32");  // fewer than maxLength
    EXPECT_EQ(COMMModemIsUDS(m_port), 2);
    EXPECT_EQ(COMMModemCommandString(m_port, nullptr, 40), nullptr);
}

// --------------------------------------------------------------- probes

struct ProbeCase {
    const char *name;
    std::vector<Rule> rules;
    int16_t (*probe)(PortHandle);
    int16_t result;
    std::string sent;
};

void PrintTo(const ProbeCase &c, std::ostream *out) { *out << c.name; }

class ModemProbe : public ModemTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ModemProbe, RecognisesTheMake) {
    useShortWaits();
    for (const Rule &rule : GetParam().rules) m_modem->addRule(rule);
    EXPECT_EQ(GetParam().probe(m_port), GetParam().result);
    EXPECT_TRUE(m_modem->waitFor(GetParam().sent, std::chrono::milliseconds(1000)));
    EXPECT_EQ(m_modem->received(), GetParam().sent);
}

const char *const kGreeting = "\n\rHELLO: I'M READY\n\r*";

INSTANTIATE_TEST_SUITE_P(Makes, ModemProbe, ::testing::Values(
    ProbeCase{"Telebit", {{"I0", "123\r\n\r\nOK", 0}}, COMMModemIsTelebit, 123,
              "ATQS49=1\rATQI0\rATQS49=0\rATQI0\r"},
    ProbeCase{"NotTelebit", {{"I0", "14400\r\n\r\nOK", 0}}, COMMModemIsTelebit, 0, "ATQS49=1\rATQI0\r"},
    ProbeCase{"Uds3224", {{"I3", "V3224 VERSION 2", 0}}, COMMModemIsUDS, 1, "ATQI3\r"},
    ProbeCase{"NotUds", {}, COMMModemIsUDS, 0, "ATQI3\r"},
    ProbeCase{"RacalVadic", {{"\x05", kGreeting, 0, false, false, true, true}}, COMMModemIsRacalVadic, 1,
              "\x05\ri\r"},
    ProbeCase{"NotRacalVadic", {}, COMMModemIsRacalVadic, 0, "\x05\r"}),
    testsupport::CaseName());

// The option dialogue: greeting, "o", option number, value, CR, and "i" at
// the end.
TEST_F(ModemTest, RacalCommandWalksTheOptionDialogue) {
    const char *prompt = "\n\rOPTION NUMBER?\n\r";
    for (Rule rule : {Rule{"\x05", kGreeting}, Rule{"o", prompt}, Rule{"12", "*\n\r"}, Rule{"3", prompt},
                      Rule{"", "*"}}) {
        rule.raw = rule.anyLine = true;
        m_modem->addRule(rule);
    }
    EXPECT_EQ(COMMModemRacalCommand(m_port, 12, 3), 0);
    EXPECT_TRUE(m_modem->waitFor("\x05\ro\r12\r3\r\ri\r"));
}

struct LengthCase {
    const char *name;
    size_t commandLength;
    int16_t result;
};

void PrintTo(const LengthCase &c, std::ostream *out) { *out << c.commandLength << " characters"; }

class CommandLength : public ModemTest, public ::testing::WithParamInterface<LengthCase> {};

// AT, Q and CR leave 38 characters for the command: a line of 42 or more is
// refused whole with KORLINK_E_NO_MEMORY.
TEST_P(CommandLength, LongLinesAreRefusedWithoutSendingAnything) {
    useShortWaits();
    std::string command(GetParam().commandLength, '1');
    EXPECT_EQ(COMMModemPuts(m_port, command.c_str()), GetParam().result);
    if (GetParam().result == 0) {
        EXPECT_TRUE(m_modem->waitFor("ATQ" + command + "\r"));
    } else {
        EXPECT_EQ(COMMModemCommand(m_port, command.c_str()), GetParam().result);
        c_waitc(m_port, -1, 200);  // give a stray byte time to arrive
        EXPECT_EQ(m_modem->received(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, CommandLength, ::testing::Values(
    LengthCase{"Sent37", 37, 0}, LengthCase{"Refused38", 38, KORLINK_E_NO_MEMORY},
    LengthCase{"Refused40", 40, KORLINK_E_NO_MEMORY}),
    testsupport::CaseName());

// ---------------------------------------------------------- initialisation

struct InitCase {
    const char *name;
    int16_t model;
    bool firstCommandAnswered;
    const char *sent;
    int16_t result;
};

void PrintTo(const InitCase &c, std::ostream *out) { *out << c.name; }

class ModemInit : public ModemTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(ModemInit, SendsTheModelsLines) {
    const InitCase &c = GetParam();
    useShortWaits();
    if (!c.firstCommandAnswered) m_modem->addRule({"&C1", "", 0, false, true});
    EXPECT_EQ(COMMModemInit(m_port, c.model), c.result);
    EXPECT_EQ(m_modem->received(), c.sent);
}

INSTANTIATE_TEST_SUITE_P(Models, ModemInit, ::testing::Values(
    InitCase{"Code0", 0, true, "ATQX1TE1V1S0=0S2=043S7=60S6=2M1\rATQ\r", 0},
    InitCase{"Code1", 1, true, "ATQ&C1&D2X4S11=50\rATQTE1V1S0=0S2=043S7=60S6=2M1\rATQ\r", 0},
    InitCase{"Code300", 300, true, "ATQTE1V1S0=0S2=043S7=60S6=2M1\rATQ\r", 0},
    InitCase{"Code961", 961, true, "ATQX3TE1V1S0=0S2=043S7=60S6=2M1\rATQ\r", 0},
    InitCase{"Code1300", 1300, true, "ATQL1X4TE1V1S0=0S2=043S7=60S6=2M1\rATQ\r", 0},
    InitCase{"FirstCommandUnanswered", 9600, false, "ATQ&C1&D2X4S11=50\r", -1}),
    testsupport::CaseName());

struct TypeCase {
    const char *name;
    const char *identification;
    int16_t speed;
};

void PrintTo(const TypeCase &c, std::ostream *out) { *out << c.speed; }

class ModemType : public ModemTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ModemType, ReadsTheSpeedClassFromI0) {
    useShortWaits();
    m_modem->addRule({"I0", GetParam().identification, 0});
    EXPECT_EQ(COMMModemType(m_port), GetParam().speed);
    EXPECT_EQ(m_modem->received(), "ATQV1\rATQI0\r");
}

INSTANTIATE_TEST_SUITE_P(Replies, ModemType, ::testing::Values(
    TypeCase{"Speed28800", "28800\r\n\r\nOK", 28800}, TypeCase{"Speed14400", "14400\r\n\r\nOK", 14400},
    TypeCase{"Speed2400", "2400\r\n\r\nOK", 2400}, TypeCase{"UnknownAnswer", "ACME\r\n\r\nOK", 0}),
    testsupport::CaseName());

}  // namespace
