// The retrieval end to end through its Qt-free state machine: the real
// serial library on a pseudo-terminal cable to the simulator in each of its
// roles, the wake-up ticks called directly (faster than 400 ms), the files
// checked on disk.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

#include "case_name.h"
#include "generated_image.h"
#include "korlink_binder/korlink_binder.h"
#include "recording_ui.h"
#include "retrieval/retrieval.h"
#include "settings/ini_file.h"
#include "sim_process.h"
#include "test_files.h"

namespace fs = std::filesystem;
using trelm::retrieval::Outcome;
using trelm::retrieval::Retrieval;

namespace {

constexpr int kPort = 7;
// Far more than any case's wake-up and transfer take.
constexpr std::chrono::seconds kDriveLimit{90};

// Escape as the window's pump reports it, once the test asks for it.
bool g_pressEscape = false;
int escapePump() { return g_pressEscape ? 283 : 0; }

struct Case {
    const char *name;
    std::vector<std::string> sim = {}; // role and options; empty: no simulator
    bool eventsOnly = false;
    Outcome outcome = Outcome::Complete;
    std::vector<std::string> lastStatuses = {}; // the progress line's last texts, in order
    int questions = 0;                     // Event/All questions asked
    std::string sent = {};                 // bytes the program must have sent
    std::int64_t escapeAt = -1;            // press Escape at this byte count
    bool swapBinIsFolder = false;          // makes the intake fail
    bool receivedIsFolder = false;         // the received file cannot be written
    std::string logLine = {};              // the message log holds this line
    std::string reason = {};               // a failed transfer's message box: the line after the status text
    int abandonAfterMisses = -1;           // a first retrieval given up after these misses
    int missTicks = -1;                    // step-1 ticks until the wake-up error
    std::string phone = "5551234";         // the answer to the number question
    std::string box = {};                  // the first message box starts with this
};

std::ostream &operator<<(std::ostream &out, const Case &c) { return out << c.name; }

class RetrievalTable : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        setenv("TRELMLINK_INI", (m_ini.path() / "TRELMLNK.INI").c_str(), 1);
        (void)trelm::writeIniText(trelm::IniFilePath(), "PHONE_NUM", "NUMBER", "5550000");
        ASSERT_TRUE(trelm::korlink::ready());
    }
    void TearDown() override {
        trelm::korlink::COMMPumpHookSet(nullptr);
        g_pressEscape = false;
    }

    // Runs one retrieval to its end or to the wake-up error; returns the
    // number of ticks taken in wake-up step 1. `stopAtMisses` gives up
    // (closes the dialog) once the miss counter reaches it.
    int drive(Retrieval &retrieval, int stopAtMisses = -1) {
        const auto deadline = std::chrono::steady_clock::now() + kDriveLimit;
        int stepOneTicks = 0;
        retrieval.cmdRetrieve_Click();
        while (retrieval.running() && retrieval.timerEnabled()) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "still " << stateName(retrieval.state()) << " after the time limit";
                retrieval.statusDialogUnloaded();
                break;
            }
            if (stopAtMisses >= 0 && retrieval.missCounter() >= stopAtMisses) {
                retrieval.statusDialogUnloaded();
                break;
            }
            trelm::korlink::ms_pause(40); // time for the far end to answer
            stepOneTicks += retrieval.wakeUpStep() == 1 ? 1 : 0;
            retrieval.StartDownLoad_Timer();
        }
        return stepOneTicks;
    }

    // The port can be opened again: nothing of the retrieval holds it.
    static bool portFree() {
        PortHandle again = trelm::korlink::COMMWinInit(kPort, 9600, 8, 0, 1, 1024, 512);
        if (!again)
            return false;
        trelm::korlink::COMMPortDeinit(again, 0);
        return true;
    }

    testfiles::TempDir m_data{"retrieval-data"};
    testfiles::TempDir m_ini{"retrieval-ini"};
};

TEST_P(RetrievalTable, EndsAsTheRoleDemands) {
    const Case &c = GetParam();
    std::optional<SimProcess> sim;
    if (!c.sim.empty()) {
        sim.emplace(c.sim);
        setenv(("KORLINK_COM" + std::to_string(kPort)).c_str(), sim->path().c_str(), 1);
    } else {
        setenv(("KORLINK_COM" + std::to_string(kPort)).c_str(), "/nonexistent/tty", 1);
    }
    if (c.swapBinIsFolder)
        fs::create_directory(m_data.path() / "swap.bin");
    if (c.receivedIsFolder)
        fs::create_directory(m_data.path() / "temp0000.$$$");
    RecordingUi ui;
    ui.eventsOnly = c.eventsOnly;
    ui.phoneAnswer = c.phone;
    if (c.escapeAt >= 0) {
        trelm::korlink::COMMPumpHookSet(&escapePump);
        ui.onBytes = [&c](std::int64_t bytes) { g_pressEscape = g_pressEscape || bytes >= c.escapeAt; };
    }
    trelm::retrieval::Settings settings;
    settings.port = kPort;
    settings.dataDir = m_data.path();
    Retrieval retrieval(ui.roles(), settings);

    if (c.abandonAfterMisses >= 0) {
        drive(retrieval, c.abandonAfterMisses);
        EXPECT_EQ(retrieval.outcome(), Outcome::Abandoned);
        EXPECT_EQ(retrieval.missCounter(), c.abandonAfterMisses); // kept for the next retrieval
    }
    const int stepOneTicks = drive(retrieval);

    if (c.missTicks >= 0) {
        // The wake-up error: the port stays open for "&Retry".
        EXPECT_EQ(stepOneTicks, c.missTicks);
        EXPECT_EQ(retrieval.missCounter(), 0);
        EXPECT_TRUE(retrieval.running());
        EXPECT_NE(retrieval.port(), nullptr);
        EXPECT_TRUE(ui.okEnabled && ui.retryEnabled && ui.dialogShown);
        EXPECT_FALSE(ui.timer);
        retrieval.cmdRetry_Click();
        EXPECT_TRUE(ui.timer);
        EXPECT_FALSE(ui.okEnabled || ui.retryEnabled);
        retrieval.StartDownLoad_Timer();
        EXPECT_EQ(ui.statuses.back(), "Waking DataLogger...");
        retrieval.statusDialogUnloaded(); // "&OK"
    }
    EXPECT_EQ(retrieval.outcome(), c.outcome) << outcomeName(retrieval.outcome()) << ": " << retrieval.failure();
    ASSERT_GE(ui.statuses.size(), c.lastStatuses.size());
    EXPECT_EQ(std::vector<std::string>(ui.statuses.end() - static_cast<long>(c.lastStatuses.size()), ui.statuses.end()),
              c.lastStatuses);
    EXPECT_EQ(ui.questions, c.questions);
    if (sim) {
        EXPECT_NE(sim->sent().find(c.sent), std::string::npos) << "sent: " << sim->sent();
    }

    // Whatever ended it: no port left open, the commands usable again.
    EXPECT_FALSE(retrieval.running());
    EXPECT_EQ(retrieval.port(), nullptr);
    EXPECT_TRUE(ui.retrieveEnabled);
    EXPECT_FALSE(ui.timer);
    if (sim) {
        EXPECT_TRUE(portFree());
    }

    const fs::path received = m_data.path() / "temp0000.$$$";
    const auto &written = retrieval.intakeReport().eventFiles;
    switch (c.outcome) {
    case Outcome::Complete:
        // "Hang Up Modem" only on a modem call; progress against what the choice asked for.
        EXPECT_EQ(ui.hangUpEnabled, c.sim[0] == "modem");
        EXPECT_EQ(ui.expectedBytes, c.eventsOnly ? 16384 : 114688);
        EXPECT_EQ(written.size(), static_cast<size_t>(testdata::generatedImage(1).events));
        for (const std::string &name : written) {
            EXPECT_TRUE(fs::is_regular_file(m_data.path() / name)) << name;
            EXPECT_TRUE(fs::is_regular_file(m_data.path() / fs::path(name).replace_extension(".csv"))) << name;
        }
        ASSERT_EQ(ui.filled.size(), 1u);
        EXPECT_EQ(fs::path(ui.filled[0]).filename(), retrieval.intakeReport().currentBinFile);
        EXPECT_TRUE(ui.summaryTab && ui.fileCommands && ui.okEnabled);
        EXPECT_FALSE(fs::exists(received));
        EXPECT_GE(ui.mostBytes, 114688);
        break;
    case Outcome::IntakeFailed:
        // Told as a failure, the received data kept for a later intake;
        // nothing was taken in, so Export and Print stay as they were.
        EXPECT_TRUE(fs::is_regular_file(received));
        EXPECT_EQ(ui.boxes.size(), 1u);
        EXPECT_FALSE(ui.fileCommands);
        break;
    case Outcome::DiskFailed: // told as a transfer failure, with the file named
    case Outcome::TransferFailed:
        EXPECT_FALSE(fs::exists(m_data.path() / "swap.bin"));
        EXPECT_TRUE(written.empty() && ui.filled.empty());
        EXPECT_TRUE(ui.okEnabled);
        EXPECT_FALSE(ui.fileCommands); // no file was ever loaded
        EXPECT_NE(std::find(ui.log.begin(), ui.log.end(), c.logLine), ui.log.end());
        // The status text, then the reason on a line of its own.
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].rfind("Transfer stopped or corrupted!\n", 0), 0u) << ui.boxes[0];
        EXPECT_NE(ui.boxes[0].find(c.reason), std::string::npos) << ui.boxes[0];
        // The sender was told: its send ends cancelled at once, not after
        // all its retries.
        if (c.escapeAt >= 0) {
            EXPECT_EQ(sim->waitExit(5000), 1);
        }
        break;
    case Outcome::OpenFailed:
        EXPECT_EQ(ui.boxes, std::vector<std::string>{"Unable to open Port!\n/nonexistent/tty: no such device"});
        EXPECT_TRUE(ui.filled.empty());
        break;
    default:
        EXPECT_TRUE(ui.filled.empty());
        EXPECT_FALSE(fs::exists(m_data.path() / "swap.bin"));
        break;
    }
    if (c.outcome == Outcome::ModemFailed && sim) {
        EXPECT_EQ(sim->sent().find("ATDT"), std::string::npos) << "dialled: " << sim->sent();
    }
    if (!c.box.empty()) {
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes[0].rfind(c.box, 0), 0u) << ui.boxes[0];
    }
}

// A retrieval left during a data module's wake-up, then one from a
// sampler: the module's flag must not steer the second (no question, no
// command, nothing sent).
TEST_F(RetrievalTable, DataModuleFlagOfAnEarlierRetrievalIsCleared) {
    RecordingUi ui;
    trelm::retrieval::Settings settings;
    settings.port = kPort;
    settings.dataDir = m_data.path();
    Retrieval retrieval(ui.roles(), settings);
    {
        SimProcess module({"module"});
        setenv(("KORLINK_COM" + std::to_string(kPort)).c_str(), module.path().c_str(), 1);
        drive(retrieval, 0);
        ASSERT_EQ(retrieval.outcome(), Outcome::Abandoned);
    }
    SimProcess sampler({"sampler"});
    setenv(("KORLINK_COM" + std::to_string(kPort)).c_str(), sampler.path().c_str(), 1);
    drive(retrieval);
    EXPECT_EQ(retrieval.outcome(), Outcome::Complete) << retrieval.failure();
    EXPECT_EQ(ui.questions, 1);
}

const std::string kEsc(1, 27);

INSTANTIATE_TEST_SUITE_P(
    Roles, RetrievalTable,
    testing::Values(
        Case{.name = "SamplerEventData", .sim = {"sampler"}, .eventsOnly = true,
             .lastStatuses = {"Starting Download...", "Downloading Event Data From TRELM Unit, Please Wait...",
                              "Retrieving data...", "Transfer complete!"},
             .questions = 1, .sent = kEsc + "{TFH\r"},
        Case{.name = "SamplerAllData", .sim = {"sampler"},
             .lastStatuses = {"Downloading All Data From TRELM Unit, Please Wait...", "Retrieving data...",
                              "Transfer complete!"},
             .questions = 1, .sent = kEsc + "{TFA\r"},
        Case{.name = "SamplerThroughSx", .sim = {"sampler", "--sender", "sx"},
             .lastStatuses = {"Retrieving data...", "Transfer complete!"}, .questions = 1, .sent = kEsc + "{TFA\r"},
        Case{.name = "SenderNamingSwapBin", .sim = {"sampler", "--sender", "sb"},
             .lastStatuses = {"Retrieving data...", "Transfer complete!"}, .questions = 1, .sent = kEsc + "{TFA\r"},
        Case{.name = "DataModule", .sim = {"module"},
             .lastStatuses = {"Starting Download...", "Downloading From Data Module, Please Wait...",
                              "Retrieving data...", "Transfer complete!"},
             .questions = 0, .sent = "\rp0\r\rb"},
        Case{.name = "Modem", .sim = {"modem"},
             .lastStatuses = {"Waking DataLogger...", "Starting Download...",
                              "Downloading All Data From TRELM Unit, Please Wait...", "Retrieving data...",
                              "Transfer complete!"},
             .questions = 1, .sent = "ATDT5551234\r\n"},
        Case{.name = "Silent", .sim = {"silent"}, .outcome = Outcome::Abandoned,
             .lastStatuses = {"Error Waking DataLogger!", "Waking DataLogger..."}, .sent = "AT\r", .missTicks = 16},
        Case{.name = "Noise", .sim = {"noise"}, .outcome = Outcome::Abandoned,
             .lastStatuses = {"Error Waking DataLogger!", "Waking DataLogger..."}, .sent = "\r", .missTicks = 16},
        Case{.name = "MissCounterKeptAcrossRetrievals", .sim = {"silent"}, .outcome = Outcome::Abandoned,
             .lastStatuses = {"Error Waking DataLogger!", "Waking DataLogger..."}, .abandonAfterMisses = 10,
             .missTicks = 6},
        Case{.name = "UnopenablePort", .sim = {}, .outcome = Outcome::OpenFailed},
        Case{.name = "EscapeDuringTransfer", .sim = {"sampler", "--once"}, .outcome = Outcome::TransferFailed,
             .lastStatuses = {"Downloading All Data From TRELM Unit, Please Wait...",
                              "Transfer stopped or corrupted!"},
             .questions = 1, .escapeAt = 8192, .logLine = "User cancelled",
             .reason = "the user cancelled the transfer\nThe partial data ("},
        Case{.name = "ReceivedFileNotWritable", .sim = {"sampler"}, .outcome = Outcome::DiskFailed,
             .lastStatuses = {"Downloading All Data From TRELM Unit, Please Wait...",
                              "Transfer stopped or corrupted!"},
             .questions = 1, .receivedIsFolder = true, .logLine = "I/O Error Writing to Disk",
             .reason = "temp0000.$$$: disk full, or the file cannot be created or written"},
        Case{.name = "PhoneNumberWithALineBreakIsNotDialled", .sim = {"modem"}, .outcome = Outcome::ModemFailed,
             .phone = "555\r\nATH", .box = "The telephone number was not dialled:\n"},
        Case{.name = "IntakeFails", .sim = {"sampler"}, .outcome = Outcome::IntakeFailed,
             .lastStatuses = {"Retrieving data...", "Received data not saved!"}, .questions = 1,
             .swapBinIsFolder = true}),
    testsupport::CaseName());

} // namespace
