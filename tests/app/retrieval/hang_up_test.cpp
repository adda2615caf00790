// "Disconnect Modem" pressed while the dial-up waits: the call ends not
// connected, the closed port is never used again (the library would report
// it), nothing is left open, and "&Retrieve Data" stays disabled for the
// rest of that wait, so no second retrieval can start inside it.
#include <chrono>
#include <gtest/gtest.h>

#include "case_name.h"
#include "korlink_binder/korlink_binder.h"
#include "recording_ui.h"
#include "retrieval/retrieval.h"
#include "settings/ini_file.h"
#include "sim_process.h"
#include "test_files.h"

namespace {

trelm::retrieval::Retrieval *g_retrieval = nullptr;
RecordingUi *g_ui = nullptr;
std::string g_pressAt;
std::vector<std::string> g_reports;
bool g_pressed = false;
int g_pumpsAfterPress = 0;
bool g_retrieveEnabledInWait = false;
std::chrono::steady_clock::time_point g_pressedAt;

// The window's pump stands in: the button is pressed while the dial-up
// pauses with the chosen line shown.
int pressDisconnect() {
    if (g_pressed) {
        ++g_pumpsAfterPress;
        g_retrieveEnabledInWait = g_retrieveEnabledInWait || g_ui->retrieveEnabled;
        return 0;
    }
    if (g_retrieval && g_ui->modemShown && !g_ui->modemLines.empty() && g_ui->modemLines.back() == g_pressAt) {
        g_ui->modemShown = false;
        g_pressed = true;
        g_pressedAt = std::chrono::steady_clock::now();
        g_retrieval->CmdHangUp_Click();
    }
    return 0;
}

void recordReport(const char *, const char *text) { g_reports.push_back(text); }

struct DisconnectCase {
    const char *name;
    const char *pressAt; // the modem line shown while the button is pressed
};

// The simulated modem answers its check late, so the check lasts rounds
// enough for the press to land in it however loaded the machine is.
const char *const kModemDelayMs = "1500";

std::ostream &operator<<(std::ostream &out, const DisconnectCase &c) { return out << c.name; }

class DisconnectModem : public testing::TestWithParam<DisconnectCase> {
protected:
    void SetUp() override {
        setenv("TRELMLINK_INI", (m_ini.path() / "TRELMLNK.INI").c_str(), 1);
        ASSERT_TRUE(trelm::korlink::ready());
        trelm::korlink::COMMReportHookSet(&recordReport);
        trelm::korlink::COMMPumpHookSet(&pressDisconnect);
    }
    void TearDown() override {
        trelm::korlink::COMMPumpHookSet(nullptr);
        trelm::korlink::COMMReportHookSet(nullptr);
        g_retrieval = nullptr;
        g_ui = nullptr;
        g_reports.clear();
        g_pressed = false;
        g_pumpsAfterPress = 0;
        g_retrieveEnabledInWait = false;
    }
    testfiles::TempDir m_ini{"hang-up-ini"};
    // Each row its own data folder: rows run side by side, and a folder
    // takes one retrieval at a time.
    testfiles::TempDir m_data{"hang-up-data"};
};

TEST_P(DisconnectModem, EndsTheDialUpNotConnected) {
    SimProcess sim({"modem", "--modem-delay", kModemDelayMs});
    setenv("KORLINK_COM8", sim.path().c_str(), 1);
    RecordingUi ui;
    ui.phoneAnswer = "5551234";
    trelm::retrieval::Settings settings;
    settings.port = 8;
    settings.dataDir = m_data.path();
    trelm::retrieval::Retrieval retrieval(ui.roles(), settings);
    g_retrieval = &retrieval;
    g_ui = &ui;
    g_pressAt = GetParam().pressAt;

    retrieval.cmdRetrieve_Click();

    ASSERT_TRUE(g_pressed) << trelm::retrieval::outcomeName(retrieval.outcome()) << ": " << retrieval.failure();
    // The one-second rounds of the modem check and the dial do not hold the
    // press up: the retrieval ends within a fraction of a round.
    EXPECT_LT(std::chrono::steady_clock::now() - g_pressedAt, std::chrono::milliseconds(500));
    EXPECT_EQ(retrieval.outcome(), trelm::retrieval::Outcome::HungUp);
    EXPECT_FALSE(retrieval.running());
    EXPECT_FALSE(retrieval.timerEnabled());
    EXPECT_EQ(retrieval.port(), nullptr);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front(); // no "Port not open!"
    EXPECT_TRUE(g_reports.empty()) << g_reports.front(); // the closed port was never used
    EXPECT_TRUE(ui.retrieveEnabled);
    EXPECT_GT(g_pumpsAfterPress, 0); // the wait went on after the press
    EXPECT_FALSE(g_retrieveEnabledInWait);
    EXPECT_EQ(ui.questions, 0);
    ASSERT_FALSE(ui.modemLines.empty());
    EXPECT_NE(ui.modemLines.back(), "Connecting to TRELM Unit, Please Wait...");
    PortHandle again = trelm::korlink::COMMWinInit(8, 9600, 8, 0, 1, 1024, 512);
    EXPECT_NE(again, nullptr);
    trelm::korlink::COMMPortDeinit(again, 0);
}

INSTANTIATE_TEST_SUITE_P(WhileWaiting, DisconnectModem,
                         testing::Values(DisconnectCase{"ModemCheck", "Connecting to Modem..."},
                                         DisconnectCase{"Dialling", "Dialing 5551234"}),
                         testsupport::CaseName());

} // namespace
