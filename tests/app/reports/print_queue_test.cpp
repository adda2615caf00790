// "&Print Report" on a real printer queue: a private cupsd with a cups-pdf
// queue whose default orientation is landscape. Each report is a job of
// its own, named after the report and the file, in its own orientation
// whatever the queue's default; a queue that refuses jobs is told once.
// Skips, saying why, where a private cupsd cannot run.
#include <QCheckBox>
#include <QPrinter>
#include <QPushButton>
#include <cstdlib>

#include "pdf_tools.h"
#include "private_cups.h"
#include "sample_event.h"
#include "shell/print_command.h"
#include "window_fixture.h"

using trelm::shell::MainWindow;
using trelm::shell::PrintCommand;
using namespace std::chrono_literals;

namespace {

constexpr const char *kLandscapeQueue = "TrelmLandscape";
constexpr const char *kRefusingQueue = "TrelmRefusing";

class PrintQueue : public WindowTest {
protected:
    static void SetUpTestSuite() {
        s_cups = new PrivateCups;
        if (!s_cups->skipReason().empty())
            return;
        // Every CUPS client of this process, Qt's and ours, asks this one.
        setenv("CUPS_SERVER", s_cups->socket().c_str(), 1);
        s_setUp = s_cups->addPdfQueue(kLandscapeQueue, {"orientation-requested-default=4"});
        if (s_setUp.empty())
            s_setUp = s_cups->addPdfQueue(kRefusingQueue, {});
        if (s_setUp.empty())
            s_setUp = s_cups->reject(kRefusingQueue);
    }
    static void TearDownTestSuite() {
        delete s_cups;
        s_cups = nullptr;
        unsetenv("CUPS_SERVER");
    }
    void SetUp() override {
        WindowTest::SetUp();
        if (!s_cups->skipReason().empty())
            GTEST_SKIP() << s_cups->skipReason();
        ASSERT_EQ(s_setUp, "");
    }

    void printOn(const char *queue, bool summary, bool warnings, bool dataLog) {
        // A page full of log rows, so the Data Log's page is mostly lines.
        std::vector<testdata::LogRow> rows;
        const std::vector<testdata::LogRow> sampleRows = sample::log();
        for (int i = 0; i < 60; ++i) {
            rows.push_back(sampleRows[static_cast<std::size_t>(i % 3)]);
            rows.back().time = sample::kStart + 600 * (i + 1);
        }
        const std::filesystem::path event = m_dir.path() / "events" / "event.bin";
        std::filesystem::create_directories(event.parent_path());
        testdata::Header header;
        header.modelFlag = 1;
        testdata::writeFile(event, testdata::eventFileBytes(header, sample::event(4), rows));
        writeIni("[PORT]\nCOMM= 1\n");
        start(event.string());
        m_window->findChild<PrintCommand *>()->setPrinterChooser([queue](QPrinter &printer, MainWindow &) {
            printer.setPrinterName(queue);
            return true;
        });
        find<QCheckBox>("chkSummary")->setChecked(summary);
        find<QCheckBox>("ChkWarning")->setChecked(warnings);
        find<QCheckBox>("chkDataLog")->setChecked(dataLog);
        find<QPushButton>("CmdPrint")->click();
    }

    static PrivateCups *s_cups;
    static std::string s_setUp; // what went wrong setting the queues up
};

PrivateCups *PrintQueue::s_cups = nullptr;
std::string PrintQueue::s_setUp;

std::filesystem::path named(const std::vector<std::filesystem::path> &pdfs, const std::string &part) {
    for (const std::filesystem::path &pdf : pdfs)
        if (pdf.filename().string().find(part) != std::string::npos)
            return pdf;
    return {};
}

} // namespace

TEST_F(PrintQueue, ThreeReportsAreThreeNamedJobsEachInItsOwnOrientation) {
    printOn(kLandscapeQueue, true, true, true);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join("\n").toStdString();
    const std::vector<std::filesystem::path> pdfs = s_cups->waitForPdfs(3, 180s);
    ASSERT_EQ(pdfs.size(), 3u);
    // cups-pdf names each file after its job, blanks made underscores.
    const struct {
        const char *file;
        const char *title;
        bool landscape;
    } jobs[] = {{"Trelmlink_Event_Summary", "Trelmlink Event Summary - event.bin", false},
                {"Trelmlink_Warnings", "Trelmlink Warnings - event.bin", false},
                {"Trelmlink_Data_Log", "Trelmlink Data Log - event.bin", true}};
    for (const auto &job : jobs) {
        SCOPED_TRACE(job.file);
        const std::filesystem::path pdf = named(pdfs, job.file);
        ASSERT_FALSE(pdf.empty());
        EXPECT_NE(pdftools::run("pdfinfo " + pdftools::quoted(pdf) + " 2>/dev/null").find(job.title), std::string::npos);
        const pdftools::PageInk ink = pdftools::pageInk(pdf);
        ASSERT_GT(ink.width, 0);
        if (job.landscape) {
            // Landscape on the sheet: the lines run down the page.
            EXPECT_FALSE(ink.linesAcross()) << ink.blankRowRuns << " " << ink.blankColumnRuns;
        } else {
            // Portrait and upright: lines across, beginning at the top left
            // (the queue's landscape default would turn it round).
            EXPECT_TRUE(ink.linesAcross()) << ink.blankRowRuns << " " << ink.blankColumnRuns;
            EXPECT_TRUE(ink.startsTopLeft()) << ink.top << " " << ink.bottom << " " << ink.left << " " << ink.right;
        }
    }
}

TEST_F(PrintQueue, AQueueThatRefusesJobsIsToldOnceWithItsNameAndReason) {
    printOn(kRefusingQueue, true, true, false);
    ASSERT_EQ(m_messages.size(), 1) << m_messages.join("\n").toStdString();
    EXPECT_TRUE(m_messages[0].contains(kRefusingQueue)) << m_messages[0].toStdString();
    EXPECT_TRUE(m_messages[0].contains("not accepting jobs")) << m_messages[0].toStdString();
    EXPECT_TRUE(find<QPushButton>("CmdPrint")->isEnabled());
}
