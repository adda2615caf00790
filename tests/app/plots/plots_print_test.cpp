// "&Print Report" with "Plots" checked (offscreen, into a PDF file): one
// landscape page with the plots after the reports checked beside it.
#include <QCheckBox>
#include <QPrinter>
#include <QPushButton>

#include "case_name.h"
#include "pdf_tools.h"
#include "shell/print_command.h"
#include "window_fixture.h"

namespace {

struct PrintCase {
    const char *name;
    bool summary, warnings, dataLog;
    std::vector<bool> landscape; // per page
};

const PrintCase kPrintCases[] = {
    {"PlotsAlone", false, false, false, {true}},
    {"SummaryThenPlots", true, false, false, {false, true}},
    {"AllThreeThenPlots", true, true, true, {false, false, true, true}},
};

void PrintTo(const PrintCase &c, std::ostream *out) { *out << c.name; }

class PlotsPrint : public WindowTest, public ::testing::WithParamInterface<PrintCase> {};

} // namespace

TEST_P(PlotsPrint, OneLandscapePageAfterTheCheckedReports) {
    const PrintCase &c = GetParam();
    const auto event = writeEvent(m_dir.path() / "events" / "event.bin", 1, 9);
    writeIni("[PORT]\nCOMM= 1\n");
    start(event.string());
    const auto pdf = m_dir.path() / "printed.pdf";
    m_window->findChild<trelm::shell::PrintCommand *>()->setPrinterChooser([pdf](QPrinter &printer, auto &) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf.string()));
        return true;
    });
    find<QCheckBox>("chkSummary")->setChecked(c.summary);
    find<QCheckBox>("ChkWarning")->setChecked(c.warnings);
    find<QCheckBox>("chkDataLog")->setChecked(c.dataLog);
    find<QCheckBox>("chkPlots")->setChecked(true);
    find<QPushButton>("CmdPrint")->click();
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join("\n").toStdString();
    EXPECT_EQ(pdftools::landscapePages(pdf), c.landscape);
    const std::string last = pdftools::run("pdftotext -f " + std::to_string(c.landscape.size()) + ' ' +
                                           pdftools::quoted(pdf) + " - 2>/dev/null");
    EXPECT_NE(last.find("Temperatures (Deg C)"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Reports, PlotsPrint, ::testing::ValuesIn(kPrintCases), testsupport::CaseName());
