// The three reports of events of both models, line for line, against golden
// texts checked by hand; and the reports' failures.
#include <gtest/gtest.h>

#include "case_name.h"
#include "report_events.h"

using namespace trelm;

namespace {

struct GoldenCase {
    const char *name;
    std::int16_t model;
    std::int16_t config;
};

std::ostream &operator<<(std::ostream &out, const GoldenCase &c) { return out << c.name; }

class GoldenReports : public ::testing::TestWithParam<GoldenCase> {};

std::string golden(const std::string &name) {
    return testdata::readText(std::filesystem::path(GOLDEN_DIR) / (name + ".txt"));
}

TEST_P(GoldenReports, EachReportMatchesItsGoldenText) {
    const GoldenCase &c = GetParam();
    testfiles::TempDir dir;
    LoadedEvent loaded = reportdata::writeEvent(dir, c.model, c.config);
    const std::pair<ReportKind, const char *> reports[] = {
        {ReportKind::Summary, "summary"}, {ReportKind::Warnings, "warnings"}, {ReportKind::DataLog, "datalog"}};
    for (const auto &[kind, suffix] : reports) {
        const std::string name = std::string(c.name) + "_" + suffix;
        Status status = Done{};
        EXPECT_EQ(reportdata::reportText(kind, loaded, &status), golden(name)) << name;
        EXPECT_TRUE(status.ok()) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(BothModels, GoldenReports,
                         ::testing::Values(GoldenCase{"eight_code0", 1, 0}, GoldenCase{"eight_code4", 1, 4},
                                           GoldenCase{"eight_code7", 1, 7}, GoldenCase{"eight_code12", 1, 12},
                                           GoldenCase{"five_code1", 0, 1}),
                         testsupport::CaseName());

// The orientation the printer had is back after every report, whichever
// orientation the report itself used.
TEST(ReportOrientation, RestoredAfterEveryReport) {
    testfiles::TempDir dir;
    LoadedEvent loaded = reportdata::writeEvent(dir, 1, 4);
    for (Orientation before : {Orientation::Portrait, Orientation::Landscape}) {
        for (ReportKind kind : {ReportKind::Summary, ReportKind::Warnings, ReportKind::DataLog}) {
            std::ostringstream out;
            TextPrinter printer(out);
            printer.setOrientation(before);
            ASSERT_TRUE(printReport(kind, printer, loaded).ok());
            EXPECT_EQ(printer.orientation(), before);
        }
    }
}

TEST(ReportSelectionOrder, FixedOrderWhateverIsChosen) {
    using K = ReportKind;
    EXPECT_EQ(reportsInOrder({true, true, true}), (std::vector<K>{K::Summary, K::Warnings, K::DataLog}));
    EXPECT_EQ(reportsInOrder({false, true, true}), (std::vector<K>{K::Warnings, K::DataLog}));
    EXPECT_EQ(reportsInOrder({true, false, false}), (std::vector<K>{K::Summary}));
    EXPECT_TRUE(reportsInOrder({false, false, false}).empty());
}

// The Data Log rereads the file: a file gone since loading, or cut below a
// whole event record, gives one message and no document at all; a log
// whose first record is stamped 0 prints the title, path and headings.
TEST(DataLogFile, UnreadableFileGivesAMessageAndNoDocument) {
    testfiles::TempDir dir;
    LoadedEvent loaded = reportdata::writeEvent(dir, 1, 4);
    const std::filesystem::path cut = dir / "cut.bin";
    testdata::writeFile(cut, testdata::Bytes(kEventFileMinSize - 1, 0));
    for (const std::filesystem::path &path : {dir / "gone.bin", cut}) {
        loaded.path = path;
        Status status = Done{};
        EXPECT_EQ(reportdata::reportText(ReportKind::DataLog, loaded, &status), "");
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().subject, path.string());
    }
}

TEST(DataLogFile, RereadRecordsReplaceTheLoadedOnes) {
    testfiles::TempDir dir;
    LoadedEvent loaded = reportdata::writeEvent(dir, 1, 4, {});
    LoadedEvent stale = loaded;
    stale.header.unitId = 999;
    stale.event.samplerConfig = 7;
    EXPECT_EQ(reportdata::reportText(ReportKind::DataLog, stale),
              "\n\nUnit 123 Data Log Report\n\n@DIR@/" + sample::kName +
                  "\n\n                 Ambient Pressure Fltr 1 Fltr 2 Flow 1  Flow 2\n"
                  "  Date     Time    (C)    (mmHg)   (C)    (C)   (L/Min) (L/Min)\n");
    EXPECT_EQ(stale.header.unitId, 123);
    EXPECT_EQ(stale.event.samplerConfig, 4);
}

} // namespace
