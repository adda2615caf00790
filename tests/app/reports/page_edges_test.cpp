// What reaches the edges of a printed page: a long "File:" line gives up
// folders, never the file's name; a row too long for the page is printed
// smaller, whole; blank lines past the bottom of a page start no new page.
#include <gtest/gtest.h>

#include <QPrinter>
#include <regex>

#include "pdf_tools.h"
#include "report_events.h"
#include "shell/qt_line_printer.h"

using namespace trelm;
using trelm::shell::QtLinePrinter;

namespace {

class PageEdges : public ::testing::Test {
protected:
    // A PDF printer on `name` in the test folder.
    QPrinter &printer(const std::string &name, QPageLayout::Orientation orientation = QPageLayout::Portrait) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(QString::fromStdString((m_dir / name).string()));
        m_printer->setPageOrientation(orientation);
        return *m_printer;
    }
    std::filesystem::path pdf(const std::string &name) const { return m_dir / name; }

    testdata::TempDir m_dir;
    std::unique_ptr<QPrinter> m_printer;
};

// The right end of every word on page 1, against the page's width, in points.
struct WordEnds {
    double pageWidth = 0;
    double rightmost = 0;
};

WordEnds wordEnds(const std::filesystem::path &pdf) {
    const std::string html = pdftools::run("pdftotext -f 1 -l 1 -bbox " + pdftools::quoted(pdf) + " - 2>/dev/null");
    WordEnds ends;
    std::smatch match;
    if (std::regex_search(html, match, std::regex(R"re(<page width="([\d.]+)")re")))
        ends.pageWidth = std::stod(match[1]);
    static const std::regex word(R"re(xMax="([\d.]+)")re");
    for (std::sregex_iterator it(html.begin(), html.end(), word), end; it != end; ++it)
        ends.rightmost = std::max(ends.rightmost, std::stod((*it)[1]));
    return ends;
}

} // namespace

TEST_F(PageEdges, TheFileLineGivesUpFoldersNeverTheName) {
    // Deep enough that the whole path runs past a portrait page at 10 points.
    std::filesystem::path deep = m_dir.path();
    for (int level = 0; level < 6; ++level)
        deep /= "a-long-folder-name-of-the-operator-" + std::to_string(level);
    std::filesystem::create_directories(deep);
    LoadedEvent loaded = reportdata::writeEvent(m_dir, 1, 4);
    std::filesystem::rename(loaded.path, deep / loaded.path.filename());
    loaded.path = deep / loaded.path.filename();
    for (ReportKind kind : {ReportKind::Summary, ReportKind::DataLog}) {
        const std::string name = kind == ReportKind::Summary ? "summary.pdf" : "datalog.pdf";
        QtLinePrinter lines(printer(name), QtLinePrinter::Jobs::OnePerDocument, "test printer");
        ASSERT_TRUE(printReport(kind, lines, loaded).ok());
        const std::vector<std::string> text = pdftools::pdfLines(pdf(name));
        const auto fileLine = std::find_if(text.begin(), text.end(), [&](const std::string &line) {
            return line.find(loaded.path.filename().string()) != std::string::npos;
        });
        ASSERT_NE(fileLine, text.end()) << name;
        EXPECT_NE(fileLine->find(".../"), std::string::npos) << *fileLine;
        EXPECT_TRUE(fileLine->ends_with("/" + loaded.path.filename().string())) << *fileLine;
        const WordEnds ends = wordEnds(pdf(name));
        EXPECT_LE(ends.rightmost, ends.pageWidth) << name;
    }
}

TEST_F(PageEdges, ARowTooLongForThePageIsPrintedWholeAndSmaller) {
    std::string row;
    for (int i = 0; i < 30; ++i)
        row += "0123456789";
    QtLinePrinter lines(printer("row.pdf", QPageLayout::Landscape), QtLinePrinter::Jobs::OnePerDocument, "test printer");
    lines.setFontName(kReportFace);
    lines.setFontSize(12);
    lines.setLeft(kReportLeftTwips);
    EXPECT_FALSE(lines.fits(row));
    lines.printText(row);
    ASSERT_TRUE(lines.endDocument().ok());
    EXPECT_EQ(pdftools::pdfLines(pdf("row.pdf")), std::vector<std::string>{row});
    const WordEnds ends = wordEnds(pdf("row.pdf"));
    EXPECT_GT(ends.rightmost, 0);
    EXPECT_LE(ends.rightmost, ends.pageWidth);
}

TEST_F(PageEdges, BlankLinesPastTheBottomStartNoPage) {
    // How many lines a page holds, found by printing until a second begins.
    int perPage = 0;
    {
        QtLinePrinter probe(printer("probe.pdf"), QtLinePrinter::Jobs::OnePerDocument, "test printer");
        probe.setFontName(kReportFace);
        probe.setFontSize(12);
        while (probe.pageCount() < 2 && perPage < 1000) {
            probe.printText("line");
            ++perPage;
        }
        --perPage;
        ASSERT_TRUE(probe.endDocument().ok());
    }
    QtLinePrinter lines(printer("full.pdf"), QtLinePrinter::Jobs::OnePerDocument, "test printer");
    lines.setFontName(kReportFace);
    lines.setFontSize(12);
    for (int i = 0; i < perPage; ++i)
        lines.printText("line " + std::to_string(i));
    for (int i = 0; i < 7; ++i)
        lines.advanceLine();
    EXPECT_EQ(lines.pageCount(), 1);
    ASSERT_TRUE(lines.endDocument().ok());
    EXPECT_EQ(pdftools::landscapePages(pdf("full.pdf")).size(), 1u);
}
