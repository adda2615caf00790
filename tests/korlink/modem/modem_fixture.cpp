#include "modem_fixture.h"

namespace modemtest {

namespace {

void captureReport(const char *, const char *text) { reportTexts().push_back(text); }

}  // namespace

std::vector<std::string> &reportTexts() {
    static std::vector<std::string> texts;
    return texts;
}

void ModemTest::SetUp() {
    m_modem = std::make_unique<ScriptedModem>(kModemCom);
    reportTexts().clear();
    COMMReportHookSet(captureReport);
    m_port = COMMWinInit(kModemCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(m_port, nullptr);
}

void ModemTest::TearDown() {
    if (m_port != nullptr) COMMPortDeinit(m_port, 0);
    COMMReportHookSet(nullptr);
    m_modem.reset();
}

void ModemTest::useShortWaits() {
    COMMModemSet(m_port, KORLINK_MODEM_REPLY_TIMEOUT_MS, 150);
    COMMModemSet(m_port, KORLINK_MODEM_LINE_TIMEOUT_MS, 2000);
    COMMModemSet(m_port, KORLINK_MODEM_INTERCHAR_MS, 0);
    COMMModemSet(m_port, KORLINK_MODEM_DTR_DROP_MS, 50);
}

}  // namespace modemtest
