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
    m_port = COMMWinInit(kModemCom, 9600, 8, 0, 1, 32000, 512);
    ASSERT_NE(m_port, nullptr);
}

void ModemTest::TearDown() {
    if (m_port != nullptr) COMMPortDeinit(m_port, 0);
    COMMReportHookSet(nullptr);
    m_modem.reset();
}

void ModemTest::useShortWaits() {
    COMMModemSet(m_port, 12, 150);
    COMMModemSet(m_port, 13, 2000);
    COMMModemSet(m_port, 14, 0);
    COMMModemSet(m_port, 11, 50);
}

}  // namespace modemtest
