// The three reports of events of both models, line for line, against golden
// texts checked by hand; and the reports' failures.
#include <gtest/gtest.h>

#include "case_name.h"
#include "report_events.h"
#include "reports/path_fit.h"

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
                                           GoldenCase{"five_code0", 0, 0}, GoldenCase{"five_code1", 0, 1},
                                           GoldenCase{"five_code4", 0, 4}),
                         testsupport::CaseName());

// The flow warning lines are stored texts in part: each form's line, with a
// warning and without, exactly as stored (the sample event has none on the
// slot each case clears or sets).
struct FlowLineCase {
    const char *name;
    std::int16_t model;
    std::int16_t config;
    int slot;       // the canister slot of the line, 1-based
    bool warned;
    const char *line; // the line before the value and date
};

std::ostream &operator<<(std::ostream &out, const FlowLineCase &c) { return out << c.name; }

class FlowWarningLine : public ::testing::TestWithParam<FlowLineCase> {};

TEST_P(FlowWarningLine, PrintsTheStoredText) {
    const FlowLineCase &c = GetParam();
    testdata::TempDir dir;
    LoadedEvent loaded = reportdata::writeEvent(dir, c.model, c.config);
    loaded.event.flowWarning.fill(0);
    if (c.warned) {
        loaded.event.flowWarning[static_cast<std::size_t>(c.slot - 1)] = 1500;
        loaded.event.flowWarningTime[static_cast<std::size_t>(c.slot - 1)] = reportdata::kFailureTime;
    }
    const std::string text = reportdata::reportText(ReportKind::Warnings, loaded);
    const std::string heading = c.model ? "Flow Warning      L/min\n" : "Flow Warning          L/min\n";
    const std::size_t at = text.find(heading);
    ASSERT_NE(at, std::string::npos);
    const std::string first = text.substr(at + heading.size(), text.find('\n', at + heading.size()) - at - heading.size());
    EXPECT_EQ(first, c.warned ? std::string(c.line) + "15.00  06/15/05 14:30:00" : std::string(c.line));
}

INSTANTIATE_TEST_SUITE_P(
    BothModels, FlowWarningLine,
    ::testing::Values(FlowLineCase{"five_code0_yes", 0, 0, 1, true, "  Canister:  1  Yes  "},
                      FlowLineCase{"five_code0_no", 0, 0, 1, false, "  Canister:  1   No  "},
                      FlowLineCase{"five_code2_yes", 0, 2, 1, true, "  Canister:   1  Yes  "},
                      FlowLineCase{"five_code2_no", 0, 2, 1, false, "  Canister:   1   No  "},
                      FlowLineCase{"eight_code0_yes", 1, 0, 1, true, "  Canister 1:    Yes  "},
                      FlowLineCase{"eight_code0_no", 1, 0, 1, false, "  Canister 1:    No  "},
                      FlowLineCase{"eight_code3_yes", 1, 3, 4, true, "  Canister 4:   Yes  "},
                      FlowLineCase{"eight_code3_no", 1, 3, 4, false, "  Canister 4:    No  "},
                      FlowLineCase{"eight_code4_yes", 1, 4, 1, true, "  Canister  1:  Yes  "},
                      FlowLineCase{"eight_code4_no", 1, 4, 1, false, "  Canister 1:  \"   No  "},
                      FlowLineCase{"eight_code9_yes", 1, 9, 1, true, "  Canister:   5  Yes  "},
                      FlowLineCase{"eight_code9_no", 1, 9, 1, false, "  Canister:   5   No  "}),
    testsupport::CaseName());

// A path that does not fit loses whole folders from the left, never any of
// its file name; here a line fits in `width` characters.
struct FitCase {
    const char *name;
    const char *path;
    std::size_t width;
    const char *line;
};

std::ostream &operator<<(std::ostream &out, const FitCase &c) { return out << c.name; }

class PathFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(PathFit, FoldersGiveWayFromTheLeft) {
    const FitCase &c = GetParam();
    EXPECT_EQ(fitPath("File: ", c.path, [&](const std::string &line) { return line.size() <= c.width; }), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PathFit,
    ::testing::Values(FitCase{"whole_when_it_fits", "/data/site/E.bin", 22, "File: /data/site/E.bin"},
                      FitCase{"first_folder_goes", "/data/site/E.bin", 21, "File: .../site/E.bin"},
                      FitCase{"all_folders_go", "/data/site/E.bin", 14, "File: .../E.bin"},
                      FitCase{"name_kept_whole_however_narrow", "/data/site/E.bin", 5, "File: .../E.bin"},
                      FitCase{"relative_path", "site/E.bin", 12, "File: .../E.bin"},
                      FitCase{"bare_name_never_cut", "LONGNAME.bin", 5, "File: LONGNAME.bin"}),
    testsupport::CaseName());

TEST(JobName, NamesTheReportsAndTheFileWithoutItsFolder) {
    EXPECT_EQ(jobName(ReportKind::Summary, "/d/E.bin"), "Trelmlink Event Summary - E.bin");
    EXPECT_EQ(jobName(ReportKind::Warnings, "/d/E.bin"), "Trelmlink Warnings - E.bin");
    EXPECT_EQ(jobName(ReportKind::DataLog, "E.bin"), "Trelmlink Data Log - E.bin");
    EXPECT_EQ(jobName({ReportKind::Summary, ReportKind::DataLog}, "/d/E.bin"),
              "Trelmlink Event Summary, Data Log - E.bin");
}

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
