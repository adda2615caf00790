// The reports printed through the Qt printer into PDF files and read back
// with pdftotext: the lines in order, page orientations, page flow of a long
// Data Log, the printer's orientation kept, and failures that leave no PDF.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPrinter>

#include "pdf_tools.h"
#include "report_events.h"
#include "shell/qt_line_printer.h"
#include "shell/report_pdf.h"

using namespace trelm;
using trelm::shell::QtLinePrinter;

namespace {

std::vector<testdata::LogRow> longLog(int count) {
    std::vector<testdata::LogRow> rows(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        testdata::LogRow &row = rows[static_cast<std::size_t>(i)];
        row.time = sample::kStart + 60 * (i + 1);
        row.ambient = static_cast<std::int16_t>(i % 400);
        row.pressure = 760;
        row.filter.fill(static_cast<std::int16_t>(200 + i % 100));
        row.flow.fill(static_cast<std::int16_t>(1600 + i % 100));
    }
    return rows;
}

Status printAll(LinePrinter &printer, LoadedEvent &loaded) {
    for (ReportKind kind : {ReportKind::Summary, ReportKind::Warnings, ReportKind::DataLog})
        if (Status printed = printReport(kind, printer, loaded); !printed)
            return printed;
    return Done{};
}

std::string allText(LoadedEvent loaded) {
    std::ostringstream out;
    TextPrinter printer(out);
    EXPECT_TRUE(printAll(printer, loaded).ok());
    return out.str();
}

class ReportPdf : public ::testing::Test {
protected:
    testfiles::TempDir m_dir;
};

TEST_F(ReportPdf, ThreeReportsInOneFileLineForLineEachOnItsOwnPages) {
    LoadedEvent loaded = reportdata::writeEvent(m_dir, 1, 4);
    const std::filesystem::path pdf = m_dir / "reports.pdf";
    ASSERT_TRUE(shell::writeReportsPdf(pdf, [&](LinePrinter &printer) { return printAll(printer, loaded); }).ok());
    EXPECT_EQ(pdftools::landscapePages(pdf), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(pdftools::pdfLines(pdf), pdftools::textLines(allText(loaded)));
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 2u); // the event file and the PDF, no leftovers
}

TEST_F(ReportPdf, LongDataLogFlowsOverLandscapePagesWithoutRepeatedHeadings) {
    LoadedEvent loaded = reportdata::writeEvent(m_dir, 1, 10, longLog(500));
    const std::filesystem::path pdf = m_dir / "log.pdf";
    ASSERT_TRUE(shell::writeReportsPdf(pdf, [&](LinePrinter &printer) {
                    return PrintDataLogReport(printer, loaded);
                }).ok());
    const std::vector<bool> pages = pdftools::landscapePages(pdf);
    EXPECT_GE(pages.size(), 5u);
    EXPECT_EQ(std::count(pages.begin(), pages.end(), false), 0);

    std::ostringstream text;
    TextPrinter textPrinter(text);
    ASSERT_TRUE(PrintDataLogReport(textPrinter, loaded).ok());
    const std::vector<std::string> lines = pdftools::pdfLines(pdf);
    EXPECT_EQ(lines, pdftools::textLines(text.str()));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string &line) { return line.find("Ambient Pressure") != std::string::npos; }),
              1);
    EXPECT_EQ(lines.size(), 4u + 500u); // title, path, two headings, the rows
}

// On a printer of its own, each report is one job in its own orientation,
// and the printer's orientation is what it was before.
TEST_F(ReportPdf, EachDocumentInItsOrientationThePrinterKeepsItsOwn) {
    LoadedEvent loaded = reportdata::writeEvent(m_dir, 0, 4);
    const struct {
        ReportKind kind;
        QPageLayout::Orientation before;
        bool landscapePage;
    } cases[] = {{ReportKind::Summary, QPageLayout::Landscape, false},
                 {ReportKind::Warnings, QPageLayout::Landscape, false},
                 {ReportKind::DataLog, QPageLayout::Portrait, true}};
    int n = 0;
    for (const auto &c : cases) {
        const std::filesystem::path pdf = m_dir / ("job" + std::to_string(++n) + ".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        printer.setPageOrientation(c.before);
        QtLinePrinter linePrinter(printer, QtLinePrinter::Jobs::OnePerDocument, "test printer");
        ASSERT_TRUE(printReport(c.kind, linePrinter, loaded).ok()) << n;
        EXPECT_EQ(printer.pageLayout().orientation(), c.before) << n;
        EXPECT_EQ(pdftools::landscapePages(pdf), std::vector<bool>{c.landscapePage}) << n;
    }
}

// An output that cannot be written, or a data file gone before the Data
// Log, gives one message naming it; no PDF, no temporary file is left, and
// a PDF already there stays as it was.
TEST_F(ReportPdf, FailuresLeaveNoPdfBehind) {
    LoadedEvent loaded = reportdata::writeEvent(m_dir, 1, 7);
    const std::filesystem::path missingFolder = m_dir / "no-such-folder" / "out.pdf";
    Status status = shell::writeReportsPdf(missingFolder, [&](LinePrinter &p) { return printAll(p, loaded); });
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().subject, missingFolder.string());

    const std::filesystem::path pdf = m_dir / "old.pdf";
    testdata::writeFile(pdf, {'o', 'l', 'd'});
    LoadedEvent vanished = loaded;
    vanished.path = m_dir / "moved-away.bin";
    status = shell::writeReportsPdf(pdf, [&](LinePrinter &p) { return printAll(p, vanished); });
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().subject, vanished.path.string());
    EXPECT_EQ(testdata::readText(pdf), "old");
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 2u);
}

// A print job that cannot start is reported by the document's end, with
// the printer's orientation still restored.
TEST_F(ReportPdf, PrinterThatCannotStartFailsTheDocument) {
    LoadedEvent loaded = reportdata::writeEvent(m_dir, 1, 0);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((m_dir / "missing" / "x.pdf").string()));
    printer.setPageOrientation(QPageLayout::Landscape);
    QtLinePrinter linePrinter(printer, QtLinePrinter::Jobs::OnePerDocument, "test printer");
    Status status = PrintSummaryReport(linePrinter, loaded);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().subject, "test printer");
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
