// The window's "&Print Report" end to end on the offscreen window: the
// reports into a PDF chosen as the print dialog would, the progress window's
// captions, "&Print Report" disabled meanwhile, Cancel in a pause, and the
// failures that end the command with one message and nothing left behind.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include "pdf_tools.h"
#include "settings/process_state.h"
#include "shell/print_command.h"
#include "window_fixture.h"

using trelm::shell::MainWindow;
using trelm::shell::PrintCommand;

namespace {

QWidget *printingWindow() {
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "frmPrinting" && widget->isVisible())
            return widget;
    return nullptr;
}

class PrintCommandTest : public WindowTest {
protected:
    MainWindow &startWith(std::int16_t model, std::int16_t config) {
        const std::filesystem::path event = writeEvent(m_dir.path() / "events" / "event.bin", model, config);
        writeIni("[PORT]\nCOMM= 1\n");
        MainWindow &window = start(event.string());
        EXPECT_EQ(trelm::processState().CurrentBinFile, event.string());
        return window;
    }
    PrintCommand &command() { return *m_window->findChild<PrintCommand *>(); }
    void printTo(const std::filesystem::path &pdf) {
        command().setPrinterChooser([pdf](QPrinter &printer, MainWindow &) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            return true;
        });
    }
    void choose(bool summary, bool warnings, bool dataLog) {
        find<QCheckBox>("chkSummary")->setChecked(summary);
        find<QCheckBox>("ChkWarning")->setChecked(warnings);
        find<QCheckBox>("chkDataLog")->setChecked(dataLog);
    }
    // Clicks "&Print Report"; after each report, as its pause begins, notes
    // the progress caption and whether "&Print Report" is enabled, then
    // presses Cancel.
    void print() {
        QObject::connect(&command(), &PrintCommand::reportPrinted, [this](const QString &caption) {
            QWidget *progress = printingWindow();
            ASSERT_NE(progress, nullptr);
            m_captions << progress->findChild<QLabel *>("lblPrinting")->text();
            EXPECT_EQ(caption, m_captions.back());
            m_printEnabledMeanwhile |= find<QPushButton>("CmdPrint")->isEnabled();
            progress->findChild<QPushButton *>("Command1")->click();
        });
        find<QPushButton>("CmdPrint")->click();
    }
    void expectCommandOver() {
        EXPECT_TRUE(find<QPushButton>("CmdPrint")->isEnabled());
        EXPECT_EQ(printingWindow(), nullptr);
        EXPECT_FALSE(m_printEnabledMeanwhile);
    }

    QStringList m_captions;
    bool m_printEnabledMeanwhile = false;
};

TEST_F(PrintCommandTest, AllThreeReportsInOrderEachInItsOrientationCancelInAPauseAbortsNothing) {
    startWith(1, 7);
    const std::filesystem::path pdf = m_dir.path() / "out" / "reports.pdf";
    std::filesystem::create_directories(pdf.parent_path());
    printTo(pdf);
    choose(true, true, true);
    print();
    EXPECT_EQ(m_captions, (QStringList{"Printing Summary Report...", "Warnings Report...", "Printing Logging Report..."}));
    expectCommandOver();
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join("\n").toStdString();
    EXPECT_EQ(pdftools::landscapePages(pdf), (std::vector<bool>{false, false, true}));
    const std::vector<std::string> lines = pdftools::pdfLines(pdf);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Unit 123 Event Summary Report");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Unit 123 Warnings Report"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Unit 123 Data Log Report"), 1);
    EXPECT_EQ(testdata::entryCount(pdf.parent_path()), 1u);
}

TEST_F(PrintCommandTest, NoBoxCheckedOrDialogCancelledPrintsNothing) {
    startWith(0, 4);
    const std::filesystem::path pdf = m_dir.path() / "none.pdf";
    printTo(pdf);
    choose(false, false, false);
    print();
    EXPECT_TRUE(m_captions.isEmpty());
    expectCommandOver();
    EXPECT_FALSE(std::filesystem::exists(pdf));

    choose(true, false, false);
    command().setPrinterChooser([](QPrinter &, MainWindow &) { return false; });
    print();
    EXPECT_TRUE(m_captions.isEmpty());
    expectCommandOver();
    EXPECT_TRUE(m_messages.isEmpty());
}

// A printer that cannot be used, or a data file gone before the Data Log:
// one message naming it, no PDF, the command over with "&Print Report"
// enabled and the progress window closed.
TEST_F(PrintCommandTest, FailuresEndTheCommandWithOneMessageAndNoPdf) {
    startWith(1, 4);
    const std::filesystem::path unwritable = m_dir.path() / "no-folder" / "out.pdf";
    printTo(unwritable);
    choose(true, false, true);
    print();
    expectCommandOver();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QString::fromStdString(unwritable.string())));

    m_messages.clear();
    const std::filesystem::path pdf = m_dir.path() / "out.pdf";
    printTo(pdf);
    std::filesystem::remove(trelm::processState().CurrentBinFile);
    print();
    expectCommandOver();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QString::fromStdString(trelm::processState().CurrentBinFile)));
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(PrintCommandTest, PrinterThatCannotStartIsToldOnce) {
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a real printer is installed here; nothing is sent to it";
    startWith(1, 0);
    command().setPrinterChooser([](QPrinter &, MainWindow &) { return true; });
    choose(true, true, false);
    print();
    expectCommandOver();
    EXPECT_EQ(m_messages.size(), 1) << m_messages.join("\n").toStdString();
}

} // namespace
