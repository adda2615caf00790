// What only the window does: start-up (settings, data folder, file
// argument), the commands' enabled states, Open with its dialog, Export.
#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include "case_name.h"
#include "export/export_event.h"
#include "datafile/codes.h"
#include "shell/grid_view.h"
#include "datafile/event_file.h"
#include "settings/process_state.h"
#include "shell/settings_access.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using trelm::processState;

namespace {

struct SettingsCase {
    const char *name;
    std::optional<std::string> ini; // nothing: no settings file
    int checkedPort;                // 0: no option selected
    int commPort;
    std::optional<std::string> iniAfter;
    QStringList messages;
};

void PrintTo(const SettingsCase &c, std::ostream *out) { *out << c.name; }

class SettingsAtStartUp : public WindowTest, public testing::WithParamInterface<SettingsCase> {};

int checkedPort(const trelm::shell::MainWindow &window) {
    int checked = 0;
    for (int port = 1; port <= 10; ++port)
        if (window.findChild<QRadioButton *>(QString("optCom%1").arg(port))->isChecked())
            checked = checked ? -1 : port;
    return checked;
}

} // namespace

TEST_P(SettingsAtStartUp, SelectThePortAndWriteItBack) {
    const SettingsCase &c = GetParam();
    if (c.ini)
        writeIni(*c.ini);
    start();
    EXPECT_EQ(checkedPort(*m_window), c.checkedPort);
    EXPECT_EQ(processState().CommPort, c.commPort);
    EXPECT_EQ(fs::exists(m_ini), c.iniAfter.has_value());
    if (c.iniAfter) {
        EXPECT_EQ(iniText(), *c.iniAfter);
    }
    EXPECT_EQ(m_messages, c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsAtStartUp,
    testing::Values(
        SettingsCase{"Comm7", "[PORT]\nCOMM= 7\n", 7, 7, "[PORT]\nCOMM= 7\n", {}},
        SettingsCase{"Comm12SelectsNone", "[PORT]\nCOMM=12\n", 0, 12, "[PORT]\nCOMM=12\n", {}},
        SettingsCase{"FirstStartWithoutFile", std::nullopt, 1, 1, std::nullopt, {}},
        SettingsCase{"EmptyValue", "[PORT]\nCOMM=\n", 0, 0, "[PORT]\nCOMM=\n", {trelm::shell::kIniReadError}},
        SettingsCase{"PhoneNumberKept", "[PHONE_NUM]\nNUMBER=5551234\n[PORT]\nCOMM=3\n", 3, 3,
                     "[PHONE_NUM]\nNUMBER=5551234\n[PORT]\nCOMM= 3\n", {}}),
    testsupport::CaseName());

// After a first start the file is written by the operator's choice, also
// of the COM 1 already selected; a settings file that cannot be read keeps
// its message and selects no port.
TEST_F(WindowTest, AfterAFirstStartChoosingAPortWritesTheFile) {
    for (const char *port : {"optCom1", "optCom4"}) {
        fs::remove_all(m_ini.parent_path());
        start();
        EXPECT_FALSE(fs::exists(m_ini));
        find<QRadioButton>(port)->click();
        EXPECT_EQ(iniText(), std::string("[PORT]\nCOMM= ") + port[6] + "\n") << port;
        EXPECT_TRUE(m_messages.isEmpty());
        m_window->close();
        m_window.reset();
    }
}

TEST_F(WindowTest, AnUnreadableSettingsFileKeepsItsMessage) {
    fs::create_directories(m_ini); // a folder where the file should be
    start();
    EXPECT_EQ(m_messages, QStringList{trelm::shell::kIniReadError});
    EXPECT_EQ(checkedPort(*m_window), 0);
}

TEST_F(WindowTest, ChoosingAPortWritesItAtOnceAndItsTooltipNamesTheDevice) {
    writeIni("[PORT]\nCOMM= 7\n");
    setenv("KORLINK_COM4", "/dev/null", 1);
    start();
    auto *com4 = find<QRadioButton>("optCom4");
    EXPECT_EQ(com4->toolTip(), "COM 4: /dev/null (KORLINK_COM4)");
    com4->click();
    unsetenv("KORLINK_COM4");
    EXPECT_EQ(processState().CommPort, 4);
    EXPECT_EQ(iniText(), "[PORT]\nCOMM= 4\n");
    EXPECT_FALSE(find<QRadioButton>("optCom7")->isChecked());
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(WindowTest, AnUnwritableSettingsFileIsToldOnceAndThePortStillHolds) {
    // No temporary file fits beside a name at the file-name limit, so the
    // write fails whoever runs the test.
    m_ini = m_dir.path() / std::string(255, 'I');
    setenv("TRELMLINK_INI", m_ini.c_str(), 1);
    writeIni("[PORT]\nCOMM=5\n");
    start();
    EXPECT_EQ(m_messages, QStringList{trelm::shell::kIniWriteError});
    EXPECT_EQ(processState().CommPort, 5);
    EXPECT_EQ(checkedPort(*m_window), 5);
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(WindowTest, StartUpEntersTheDataFolderAndClosingReturns) {
    writeIni("[PORT]\nCOMM=1\n");
    start();
    EXPECT_EQ(fs::current_path(), m_startDir / "Data");
    EXPECT_EQ(processState().StartDir, m_startDir.string());
    m_window->findChild<QPushButton *>("cmdExit")->click();
    EXPECT_EQ(fs::current_path(), m_startDir);

    const fs::path mydata = m_dir.path() / "mydata";
    fs::create_directory(mydata);
    fs::current_path(mydata);
    start();
    EXPECT_EQ(fs::current_path(), mydata);
    EXPECT_FALSE(fs::exists(mydata / "Data"));
    m_window->close();

    // A file named Data stands in the way: one message, and the program
    // goes on in the folder it was started in.
    const fs::path blocked = m_dir.path() / "blocked";
    fs::create_directory(blocked);
    testdata::writeFile(blocked / "Data", {1});
    fs::current_path(blocked);
    start();
    EXPECT_EQ(fs::current_path(), blocked);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QString::fromStdString((blocked / "Data").string())));
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(WindowTest, StartUpStatesBeforeAnyFile) {
    writeIni("[PORT]\nCOMM=1\n");
    start();
    EXPECT_EQ(m_window->windowTitle(), "Trelmlink");
    EXPECT_EQ(m_window->SSTab1()->currentIndex(), 3);
    EXPECT_EQ(m_window->SSTab1()->tabText(3), "&Files/Reports");
    EXPECT_FALSE(find<QPushButton>("CmdPrint")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("cmdNewFile")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("cmdRetrieve")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("Command4")->isEnabled());
    EXPECT_TRUE(find<QCheckBox>("chkSummary")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("ChkWarning")->isChecked());
    EXPECT_FALSE(find<QCheckBox>("chkDataLog")->isChecked());
    EXPECT_TRUE(find<QLineEdit>("txtExportFile")->text().isEmpty());
    EXPECT_EQ(m_window->StartDownLoad()->interval(), 400);
    EXPECT_FALSE(m_window->StartDownLoad()->isActive());
}

TEST_F(WindowTest, AFileArgumentRelativeToTheStartFolderOpensLikeOpenFile) {
    writeIni("[PORT]\nCOMM=1\n");
    const fs::path event = writeEvent(m_startDir / "events" / "E.bin", 1, 6);
    start("events/E.bin");
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join("|").toStdString();
    EXPECT_EQ(processState().CurrentBinFile, event.string());
    EXPECT_EQ(processState().modelFlag, 1);
    EXPECT_EQ(find<QLineEdit>("txtExportFile")->text().toStdString(), event.string());
    EXPECT_EQ(m_window->SSTab1()->currentIndex(), 0);
    EXPECT_TRUE(find<QPushButton>("CmdPrint")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("cmdNewFile")->isEnabled());
    EXPECT_EQ(m_window->msgForm().window(), nullptr); // "Filling Grids..." is gone again
    // The views show what the fill wrote: the event's status, one data log
    // row per record before the zero stamp, and "Can 5", "Can 6" of
    // configuration 6 with the flow statistics grid fitted to them.
    using trelm::shell::pixels;
    const trelm::shell::GridView *event8 = m_window->gridView("MSFlexGrid8");
    EXPECT_EQ(event8->shownText(0, 0), "Status");
    EXPECT_EQ(event8->shownText(0, 1).toStdString(), trelm::StatusName(5));
    const trelm::shell::GridView *log = m_window->gridView("MSFlexGrid2");
    EXPECT_EQ(log->model()->rowCount(), 3);
    EXPECT_EQ(log->shownText(0, 0), "Date");
    EXPECT_EQ(log->shownText(1, 2), "Deg C");
    EXPECT_EQ(log->shownText(2, 1).toStdString(), m_window->gridSet().MSFlexGrid2.text(2, 1));
    const trelm::shell::GridView *flows = m_window->gridView("MSFlexGrid4");
    EXPECT_EQ(flows->model()->rowCount(), 2);
    EXPECT_EQ(flows->shownText(2, 0), "Can 5");
    EXPECT_EQ(flows->shownText(3, 0), "Can 6");
    EXPECT_EQ(flows->size(), QSize(pixels(m_window->gridSet().MSFlexGrid4.width()),
                                   pixels(m_window->gridSet().MSFlexGrid4.height())));
    EXPECT_EQ(m_window->lastFill().event.samplerConfig, 6);
}

namespace {

struct BadFile {
    const char *name;
    std::function<fs::path(const fs::path &dir)> make;
};

void PrintTo(const BadFile &c, std::ostream *out) { *out << c.name; }

class FailedOpen : public WindowTest, public testing::WithParamInterface<BadFile> {};

} // namespace

TEST_P(FailedOpen, IsToldAndLeavesTheLoadedFileAndCommandsAsTheyWere) {
    writeIni("[PORT]\nCOMM=1\n");
    const fs::path good = writeEvent(m_startDir / "good.bin", 0, 2);
    const fs::path bad = GetParam().make(m_startDir);
    start();
    // Failing first: nothing becomes usable.
    EXPECT_FALSE(m_window->openBinFile(QString::fromStdString(bad.string())));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QString::fromStdString(bad.string()))) << m_messages[0].toStdString();
    EXPECT_FALSE(find<QPushButton>("cmdNewFile")->isEnabled());
    EXPECT_TRUE(processState().CurrentBinFile.empty());
    // Failing after a good file: that file stays current and usable.
    ASSERT_TRUE(m_window->openBinFile(QString::fromStdString(good.string())));
    const QString summary = m_window->gridView("MSFlexGrid8")->shownText(0, 1);
    const QString dataLog = m_window->gridView("MSFlexGrid2")->shownText(0, 4);
    ASSERT_FALSE(summary.isEmpty() || dataLog.isEmpty());
    EXPECT_FALSE(m_window->openBinFile(QString::fromStdString(bad.string())));
    EXPECT_EQ(m_messages.size(), 2);
    EXPECT_EQ(m_window->gridView("MSFlexGrid8")->shownText(0, 1), summary); // still the good file's
    EXPECT_EQ(m_window->gridView("MSFlexGrid2")->shownText(0, 4), dataLog);
    EXPECT_EQ(processState().CurrentBinFile, good.string());
    EXPECT_EQ(find<QLineEdit>("txtExportFile")->text().toStdString(), good.string());
    EXPECT_TRUE(find<QPushButton>("CmdPrint")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("cmdNewFile")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedOpen,
    testing::Values(BadFile{"Missing", [](const fs::path &dir) { return dir / "missing.bin"; }},
                    BadFile{"Short685Bytes",
                            [](const fs::path &dir) {
                                testdata::writeFile(dir / "short.bin", testdata::Bytes(685, 0));
                                return dir / "short.bin";
                            }},
                    BadFile{"Folder",
                            [](const fs::path &dir) {
                                fs::create_directory(dir / "folder.bin");
                                return dir / "folder.bin";
                            }}),
    testsupport::CaseName());

TEST_F(WindowTest, CancellingTheOpenDialogReopensThePreviousChoice) {
    writeIni("[PORT]\nCOMM=1\n");
    const fs::path event = writeEvent(m_startDir / "E.bin", 0, 0);
    start();
    QString answer;
    m_window->setOpenFileChooser([&](const QString &) { return answer; });
    m_window->Command4_Click(); // cancelled before any choice: nothing happens
    EXPECT_FALSE(find<QPushButton>("cmdNewFile")->isEnabled());
    EXPECT_TRUE(m_messages.isEmpty());
    answer = QString::fromStdString(event.string());
    m_window->Command4_Click();
    EXPECT_EQ(processState().CurrentBinFile, event.string());
    // The file is cut short; a cancelled dialog loads it again and says so.
    testdata::writeFile(event, testdata::Bytes(100, 0));
    answer.clear();
    m_window->Command4_Click();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QString::fromStdString(event.string())));
}

TEST_F(WindowTest, ExportWritesTheModelsCsvAndNeverOverwritesTheEventFile) {
    writeIni("[PORT]\nCOMM=1\n");
    const fs::path event = writeEvent(m_startDir / "E.bin", 1, 9);
    start(event.string());
    const fs::path csv = m_dir.path() / "out.csv";
    m_window->setSaveFileChooser([&] { return QString::fromStdString(csv.string()); });
    m_window->cmdNewFile_Click();
    EXPECT_EQ(processState().ExportCsvFile, csv.string());
    const fs::path expected = m_dir.path() / "expected.csv";
    auto source = trelm::readEventFile(event);
    ASSERT_TRUE(source.ok());
    trelm::SilentMessagePort silent;
    ASSERT_TRUE(trelm::ExportEightChannel(expected, source.value(), event.string(), silent).ok());
    EXPECT_EQ(testfiles::readText(csv), testfiles::readText(expected));
    EXPECT_TRUE(m_messages.isEmpty());

    const std::string before = testfiles::readText(event);
    m_window->setSaveFileChooser([&] { return QString::fromStdString(event.string()); });
    m_window->cmdNewFile_Click();
    EXPECT_EQ(testfiles::readText(event), before);
    EXPECT_EQ(m_messages.size(), 1);
}

TEST_F(WindowTest, TheWindowImagePrintsAsOnePage) {
    writeIni("[PORT]\nCOMM=1\n");
    start();
    const fs::path pdf = m_dir.path() / "window.pdf";
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(m_window->printWindowImage(printer));
    const std::string text = testfiles::readText(pdf);
    EXPECT_EQ(text.rfind("%PDF", 0), 0u);
    EXPECT_NE(text.find("/Count 1"), std::string::npos); // one page
    EXPECT_NE(text.find("/Subtype /Image"), std::string::npos);
}

TEST_F(WindowTest, AWindowDestroyedWhileShownEndsCleanly) {
    writeIni("[PORT]\nCOMM=1\n");
    start(writeEvent(m_startDir / "E.bin", 1, 10).string());
    ASSERT_TRUE(m_window->isVisible());
    m_window.reset(); // no close first: the views must not outlive the grids they show
    SUCCEED();
}
