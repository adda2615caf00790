// "&Retrieve Data" in the window, offscreen, against the simulator: the real
// timer StartDownLoad, the status and modem dialogs, Escape through the
// library's pump, the files, grids and commands afterwards.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>

#include "case_name.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/transfer_progress.h"
#include "settings/ini_file.h"
#include "settings/process_state.h"
#include "shell/demo_simulator.h"
#include "shell/window_retrieval.h"
#include "sim_process.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using trelm::retrieval::Outcome;

namespace {

constexpr int kPort = 7;

struct WindowCase {
    const char *name;
    std::vector<std::string> sim = {}; // empty: a port that cannot be opened
    bool eventsOnly = false;
    Outcome outcome = Outcome::Complete;
    QString finalStatus = {};
    int questions = 0;
    bool pressEscape = false;
    bool wakeError = false;
};

std::ostream &operator<<(std::ostream &out, const WindowCase &c) { return out << c.name; }

// Runs the event loop until `done` or the time is up; polls, never sleeps.
bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

class WindowRetrievalTable : public WindowTest, public testing::WithParamInterface<WindowCase> {};

TEST_P(WindowRetrievalTable, RetrieveDataEndsAsTheRoleDemands) {
    const WindowCase &c = GetParam();
    std::optional<SimProcess> sim;
    if (!c.sim.empty())
        sim.emplace(c.sim);
    setenv(("KORLINK_COM" + std::to_string(kPort)).c_str(), sim ? sim->path().c_str() : "/nonexistent/tty", 1);
    writeIni("[PORT]\nCOMM= 7\n[PHONE_NUM]\nNUMBER=5550000\n");
    trelm::shell::MainWindow &window = start();
    auto *front = window.findChild<trelm::shell::WindowRetrieval *>("WindowRetrieval");
    ASSERT_NE(front, nullptr);
    int questions = 0;
    QStringList prompts;
    front->setEventQuestion([&] {
        ++questions;
        return c.eventsOnly;
    });
    front->setPhoneQuestion([&](const QString &stored) {
        prompts << stored;
        return QString("5551234");
    });
    trelm::shell::DownloadStatusDialog &dialog = front->statusDialog();
    bool escapePosted = false;
    if (c.pressEscape) {
        auto *bytes = dialog.findChild<QLineEdit *>("txtBytesTransferred");
        QObject::connect(bytes, &QLineEdit::textChanged, [&](const QString &text) {
            if (!escapePosted && text.toLongLong() >= 8192) {
                escapePosted = true;
                QCoreApplication::postEvent(&dialog, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
            }
        });
    }
    QList<int> barValues;
    QObject::connect(dialog.findChild<QProgressBar *>("prgTransfer"), &QProgressBar::valueChanged,
                     [&](int value) { barValues << value; });
    auto *retrieve = find<QPushButton>("cmdRetrieve");
    trelm::retrieval::Retrieval &retrieval = front->retrieval();

    retrieve->click();
    EXPECT_TRUE(waitUntil([&] { return !retrieval.running() || !retrieval.timerEnabled(); }, 60000));
    if (c.wakeError) {
        EXPECT_TRUE(retrieval.running());
        EXPECT_EQ(dialog.status(), "Error Waking DataLogger!");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_FALSE(retrieve->isEnabled()); // behind the modal dialog
        auto *retry = dialog.findChild<QPushButton *>("cmdRetry");
        ASSERT_TRUE(retry->isEnabled());
        retry->click();
        EXPECT_TRUE(window.StartDownLoad()->isActive());
        EXPECT_FALSE(retry->isEnabled());
        EXPECT_TRUE(waitUntil([&] { return dialog.status() == "Waking DataLogger..."; }, 5000));
        window.StartDownLoad()->stop(); // no second round of misses: "&OK" as soon as it is enabled
        dialog.findChild<QPushButton *>("cmdOK")->setEnabled(true);
        dialog.findChild<QPushButton *>("cmdOK")->click();
    }
    EXPECT_EQ(retrieval.outcome(), c.outcome) << trelm::retrieval::outcomeName(retrieval.outcome()) << ": "
                                              << retrieval.failure() << " " << m_messages.join("|").toStdString();
    EXPECT_EQ(questions, c.questions);
    if (!c.finalStatus.isEmpty()) {
        EXPECT_EQ(dialog.status(), c.finalStatus);
    }

    // Whatever ended it: the port is free and the commands work.
    EXPECT_TRUE(retrieve->isEnabled());
    EXPECT_FALSE(window.StartDownLoad()->isActive());
    if (sim) {
        PortHandle again = trelm::korlink::COMMWinInit(kPort, 9600, 8, 0, 1, 1024, 512);
        EXPECT_NE(again, nullptr);
        trelm::korlink::COMMPortDeinit(again, 0);
    }
    const bool fileCommands = find<QPushButton>("CmdPrint")->isEnabled() && find<QPushButton>("cmdNewFile")->isEnabled();
    const std::string &current = trelm::processState().CurrentBinFile;
    switch (c.outcome) {
    case Outcome::Complete:
        EXPECT_TRUE(fileCommands);
        // "Hang Up Modem" is offered only when the call went through a modem.
        EXPECT_EQ(find<QPushButton>("cmdHangUp")->isEnabled(), c.sim[0] == "modem");
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(window.SSTab1()->currentIndex(), 0);
        EXPECT_TRUE(fs::is_regular_file(fs::current_path() / current)) << current;
        EXPECT_TRUE(fs::is_regular_file(fs::current_path() / fs::path(current).replace_extension(".csv")));
        EXPECT_EQ(find<QLineEdit>("txtExportFile")->text().toStdString(), current);
        EXPECT_GE(dialog.bytesText().toLongLong(), 114688);
        // The bar moved through the transfer, upwards only, and ended full.
        EXPECT_GE(barValues.size(), 5) << barValues.size();
        EXPECT_TRUE(std::is_sorted(barValues.begin(), barValues.end()));
        EXPECT_EQ(dialog.progressPercent(), 100);
        EXPECT_EQ(dialog.progressText(), "100%");
        EXPECT_EQ(dialog.timeLeftText(), "");
        EXPECT_TRUE(dialog.messageLog().contains("ACK Packet Sent"));
        EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join("|").toStdString();
        break;
    case Outcome::TransferFailed: // Escape
        EXPECT_FALSE(fileCommands); // no file was loaded before, none now
        ASSERT_EQ(m_messages.size(), 1);
        EXPECT_TRUE(m_messages[0].startsWith("Transfer stopped or corrupted!\nthe user cancelled the transfer\n"))
            << m_messages[0].toStdString();
        EXPECT_TRUE(dialog.messageLog().contains("User cancelled"));
        EXPECT_EQ(sim->waitExit(5000), 1); // the sender saw the cancel
        EXPECT_TRUE(current.empty());
        EXPECT_FALSE(fs::exists(fs::current_path() / "swap.bin"));
        break;
    case Outcome::OpenFailed:
        EXPECT_EQ(m_messages, QStringList{"Unable to open Port!\n/nonexistent/tty: no such device"});
        EXPECT_FALSE(fileCommands);
        break;
    default:
        EXPECT_FALSE(fs::exists(fs::current_path() / "swap.bin"));
        break;
    }
    if (!prompts.isEmpty()) {
        EXPECT_EQ(prompts, QStringList{"5550000"});
        EXPECT_EQ(trelm::readIniText(trelm::IniFilePath(), "PHONE_NUM", "NUMBER"), "5551234");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Roles, WindowRetrievalTable,
    testing::Values(
        WindowCase{.name = "SamplerEventData", .sim = {"sampler"}, .eventsOnly = true,
                   .finalStatus = "Transfer complete!", .questions = 1},
        WindowCase{.name = "SamplerAllData", .sim = {"sampler"}, .finalStatus = "Transfer complete!", .questions = 1},
        WindowCase{.name = "DataModule", .sim = {"module"}, .finalStatus = "Transfer complete!"},
        WindowCase{.name = "Modem", .sim = {"modem"}, .finalStatus = "Transfer complete!", .questions = 1},
        WindowCase{.name = "Silent", .sim = {"silent"}, .outcome = Outcome::Abandoned, .wakeError = true},
        WindowCase{.name = "EscapeDuringTransfer", .sim = {"sampler", "--once"}, .outcome = Outcome::TransferFailed,
                   .finalStatus = "Transfer stopped or corrupted!", .questions = 1, .pressEscape = true},
        WindowCase{.name = "UnopenablePort", .outcome = Outcome::OpenFailed}),
    testsupport::CaseName());

// Escape and "Disconnect Modem" while the modem is checked or the number
// dialled: the call ends within a fraction of the one-second round, nothing
// is asked, and the port and "&Retrieve Data" are free again. The simulated
// modem answers its check late, so the press always lands in that phase.
struct ModemStopCase {
    const char *name;
    const char *pressAt; // the modem window's line when the key or button is pressed
    bool escape;         // else "Disconnect Modem"
};

std::ostream &operator<<(std::ostream &out, const ModemStopCase &c) { return out << c.name; }

class ModemStopTable : public WindowTest, public testing::WithParamInterface<ModemStopCase> {};

TEST_P(ModemStopTable, EndsTheCallWithinItsRound) {
    const ModemStopCase &c = GetParam();
    SimProcess sim({"modem", "--modem-delay", "1500"});
    setenv(("KORLINK_COM" + std::to_string(kPort)).c_str(), sim.path().c_str(), 1);
    writeIni("[PORT]\nCOMM= 7\n[PHONE_NUM]\nNUMBER=5550000\n");
    trelm::shell::MainWindow &window = start();
    auto *front = window.findChild<trelm::shell::WindowRetrieval *>("WindowRetrieval");
    ASSERT_NE(front, nullptr);
    int questions = 0;
    front->setEventQuestion([&] {
        ++questions;
        return false;
    });
    front->setPhoneQuestion([](const QString &) { return QString("5551234"); });
    trelm::shell::ModemStatusDialog &modem = front->modemDialog();
    auto *hangUp = modem.findChild<QPushButton *>("CmdHangUp");
    ASSERT_NE(hangUp, nullptr);
    std::optional<std::chrono::steady_clock::time_point> pressedAt;
    QObject::connect(modem.findChild<QLineEdit *>("txtMsg"), &QLineEdit::textChanged, [&](const QString &text) {
        if (pressedAt || text != c.pressAt)
            return;
        pressedAt = std::chrono::steady_clock::now();
        // Posted: the key or the click arrives through the pump of the wait.
        if (c.escape)
            QCoreApplication::postEvent(&modem, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        else
            QMetaObject::invokeMethod(hangUp, &QPushButton::click, Qt::QueuedConnection);
    });
    trelm::retrieval::Retrieval &retrieval = front->retrieval();

    find<QPushButton>("cmdRetrieve")->click(); // the probe and the dial-up run inside the click
    EXPECT_TRUE(waitUntil([&] { return !retrieval.running(); }, 10000));
    const auto endedAt = std::chrono::steady_clock::now();

    ASSERT_TRUE(pressedAt.has_value());
    EXPECT_LT(endedAt - *pressedAt, std::chrono::milliseconds(500));
    EXPECT_EQ(retrieval.outcome(), Outcome::HungUp) << trelm::retrieval::outcomeName(retrieval.outcome());
    EXPECT_EQ(questions, 0);
    EXPECT_FALSE(modem.isVisible());
    EXPECT_NE(modem.text(), "Connecting to TRELM Unit, Please Wait...");
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join("|").toStdString();
    EXPECT_TRUE(find<QPushButton>("cmdRetrieve")->isEnabled());
    EXPECT_FALSE(window.StartDownLoad()->isActive());
    PortHandle again = trelm::korlink::COMMWinInit(kPort, 9600, 8, 0, 1, 1024, 512);
    EXPECT_NE(again, nullptr);
    trelm::korlink::COMMPortDeinit(again, 0);
}

INSTANTIATE_TEST_SUITE_P(WhileWaiting, ModemStopTable,
                         testing::Values(ModemStopCase{"EscapeInModemCheck", "Connecting to Modem...", true},
                                         ModemStopCase{"EscapeInDial", "Dialing 5551234", true},
                                         ModemStopCase{"DisconnectInModemCheck", "Connecting to Modem...", false},
                                         ModemStopCase{"DisconnectInDial", "Dialing 5551234", false}),
                         testsupport::CaseName());

// The bar and the time left beside the byte counter show the very figures
// the command line prints for the same counts at the same times.
struct BarCase {
    const char *name;
    std::int64_t expected; // 0: the whole memory
    std::int64_t bytes;
    int elapsedMs;
};

std::ostream &operator<<(std::ostream &out, const BarCase &c) { return out << c.name; }

class ProgressBarTable : public WindowTest, public testing::WithParamInterface<BarCase> {};

TEST_P(ProgressBarTable, ShowsTheFiguresOfTheCommandLine) {
    const BarCase &c = GetParam();
    trelm::shell::MainWindow &window = start();
    auto *front = window.findChild<trelm::shell::WindowRetrieval *>("WindowRetrieval");
    ASSERT_NE(front, nullptr);
    const trelm::retrieval::TransferProgress::Clock::time_point origin{};
    auto now = origin;
    front->setClock([&] { return now; });
    trelm::retrieval::StatusDisplay &display = front->statusDisplay();
    trelm::shell::DownloadStatusDialog &dialog = front->statusDialog();

    display.loadStatusDialog();
    display.setExpectedBytes(c.expected);
    display.setBytesTransferred(0);
    now = origin + std::chrono::milliseconds(c.elapsedMs);
    display.setBytesTransferred(c.bytes);

    const trelm::retrieval::ProgressFigures core =
        trelm::retrieval::progressFigures(c.bytes, c.expected, c.elapsedMs / 1000.0);
    EXPECT_EQ(dialog.bytesText(), QString::number(c.bytes));
    EXPECT_EQ(dialog.progressPercent(), core.percent);
    EXPECT_EQ(dialog.progressText(), QString::number(core.percent) + "%");
    EXPECT_EQ(dialog.timeLeftText().toStdString(), trelm::retrieval::timeLeftText(core));
    // A new retrieval starts from an empty bar.
    display.loadStatusDialog();
    EXPECT_EQ(dialog.progressPercent(), 0);
    EXPECT_EQ(dialog.timeLeftText(), "");
}

INSTANTIATE_TEST_SUITE_P(Counts, ProgressBarTable,
                         testing::Values(BarCase{"FirstBlockOfAllData", 114688, 128, 130},
                                         BarCase{"QuarterOfTheEventArea", 16384, 4096, 2000},
                                         BarCase{"HalfOfAllDataInMinutes", 114688, 57344, 95000},
                                         BarCase{"DataModuleWithoutExpectedSize", 0, 28672, 30000},
                                         BarCase{"LastBlockOfAllData", 114688, 114560, 119000},
                                         BarCase{"AllDataArrived", 114688, 114688, 120000},
                                         BarCase{"LastBlockPastTheEventArea", 16384, 16512, 17000}),
                         testsupport::CaseName());

// --demo: the simulator beside the program, every port option mapped to it,
// and a whole download from the window.
TEST_F(WindowTest, DemoRetrievesFromTheSimulatorOnAnyPortOption) {
    trelm::shell::DemoSimulator demo;
    ASSERT_TRUE(demo.start({"sampler"}).ok());
    for (int port = 1; port <= 10; ++port)
        EXPECT_EQ(std::getenv(("KORLINK_COM" + std::to_string(port)).c_str()), demo.terminal());
    writeIni("[PORT]\nCOMM= 4\n");
    trelm::shell::MainWindow &window = start();
    auto *front = window.findChild<trelm::shell::WindowRetrieval *>("WindowRetrieval");
    front->setEventQuestion([] { return false; });
    find<QPushButton>("cmdRetrieve")->click();
    EXPECT_TRUE(waitUntil([&] { return !front->retrieval().running(); }, 60000));
    EXPECT_EQ(front->retrieval().outcome(), Outcome::Complete) << front->retrieval().failure();
    EXPECT_EQ(front->statusDialog().status(), "Transfer complete!");
}

} // namespace

namespace {

// A file loaded, then a retrieval that brings nothing: the file stays
// current and Export and Print stay enabled for it.
TEST_F(WindowTest, RetrievalWithoutDataLeavesTheLoadedFileAndItsCommands) {
    const fs::path loaded = writeEvent(m_startDir / "loaded.bin", 0, 2);
    setenv(("KORLINK_COM" + std::to_string(kPort)).c_str(), "/nonexistent/tty", 1);
    writeIni("[PORT]\nCOMM= 7\n");
    trelm::shell::MainWindow &window = start();
    ASSERT_TRUE(window.openBinFile(QString::fromStdString(loaded.string())));
    find<QPushButton>("cmdRetrieve")->click();
    auto *front = window.findChild<trelm::shell::WindowRetrieval *>("WindowRetrieval");
    EXPECT_EQ(front->retrieval().outcome(), Outcome::OpenFailed);
    EXPECT_EQ(trelm::processState().CurrentBinFile, loaded.string());
    EXPECT_EQ(find<QLineEdit>("txtExportFile")->text().toStdString(), loaded.string());
    EXPECT_TRUE(find<QPushButton>("CmdPrint")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("cmdNewFile")->isEnabled());
}

} // namespace
