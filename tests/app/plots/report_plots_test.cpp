// `trelmlink report ... --plots` as the program: one landscape page with
// the plots after the chosen reports, which stay as they were; text output
// cannot hold the plots.
#include <gtest/gtest.h>

#include <string>
#include <sys/wait.h>
#include <vector>

#include "case_name.h"
#include "pdf_tools.h"
#include "sample_event.h"

namespace {

int report(const std::vector<std::string> &args) {
    std::string command = std::string(TRELMLINK_PROGRAM) + " report";
    for (const std::string &arg : args)
        command += ' ' + pdftools::quoted(arg);
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ReportCase {
    const char *name;
    std::vector<std::string> reports;
};

const ReportCase kReportCases[] = {
    {"SummaryByDefault", {}},
    {"WarningsAlone", {"--warnings"}},
    {"AllThreeReports", {"--summary", "--warnings", "--datalog"}},
};

void PrintTo(const ReportCase &c, std::ostream *out) { *out << c.name; }

class ReportPlots : public ::testing::TestWithParam<ReportCase> {
protected:
    testfiles::TempDir m_dir;
};

} // namespace

TEST_P(ReportPlots, AddsOneLandscapePageAfterTheReports) {
    const auto event = m_dir / sample::kName;
    testdata::writeFile(event, testdata::eventFileBytes({1, 0x010A, 123}, sample::event(9), sample::log()));
    const auto without = m_dir / "reports.pdf", with = m_dir / "plots.pdf";
    std::vector<std::string> args = {event.string(), "--pdf", without.string()};
    args.insert(args.end(), GetParam().reports.begin(), GetParam().reports.end());
    ASSERT_EQ(report(args), 0);
    args[2] = with.string();
    args.push_back("--plots");
    ASSERT_EQ(report(args), 0);

    std::vector<bool> expected = pdftools::landscapePages(without);
    ASSERT_FALSE(expected.empty());
    expected.push_back(true);
    EXPECT_EQ(pdftools::landscapePages(with), expected);
    // The reports' pages are the same text; the last page is the plots.
    const std::string pages = std::to_string(expected.size() - 1);
    const auto text = [](const std::filesystem::path &pdf, const std::string &range) {
        return pdftools::run("pdftotext -layout " + range + ' ' + pdftools::quoted(pdf) + " - 2>/dev/null");
    };
    EXPECT_EQ(text(with, "-l " + pages), text(without, ""));
    const std::string last = text(with, "-f " + std::to_string(expected.size()));
    for (const char *panel : {"Temperatures (Deg C)", "Pressure (mmHg)", "Flows (L/min)", "Start", "Flow 6"})
        EXPECT_NE(last.find(panel), std::string::npos) << panel;
}

INSTANTIATE_TEST_SUITE_P(Reports, ReportPlots, ::testing::ValuesIn(kReportCases), testsupport::CaseName());

TEST(ReportPlotsText, TextCannotHoldThePlots) {
    testfiles::TempDir dir;
    const auto event = dir / sample::kName;
    testdata::writeFile(event, testdata::eventFileBytes({1, 0x010A, 123}, sample::event(9), sample::log()));
    EXPECT_EQ(report({event.string(), "--text", "--plots"}), 2);
}
