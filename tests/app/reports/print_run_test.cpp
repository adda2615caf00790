// The print command's run: captions, pauses and documents in the fixed
// order; a Cancel in a pause aborts nothing that was printed and stops
// nothing that follows; a failing report ends the run with its reason.
#include <gtest/gtest.h>

#include "report_events.h"
#include "reports/print_run.h"

using namespace trelm;

namespace {

// The progress window as the run sees it, with Cancel pressed in every pause.
struct CancellingProgress : PrintProgress {
    explicit CancellingProgress(LinePrinter &printer) : printer(printer) {}
    void announce(const std::string &caption) override { events.push_back(caption); }
    void pause(int milliseconds) override {
        events.push_back("pause " + std::to_string(milliseconds));
        printer.abortDocument();
    }
    LinePrinter &printer;
    std::vector<std::string> events;
};

std::string golden(const std::string &name) {
    return testdata::readText(std::filesystem::path(GOLDEN_DIR) / (name + ".txt"));
}

TEST(PrintRun, SelectedReportsInOrderEachAnnouncedAndFollowedByAPause) {
    const struct {
        ReportSelection selection;
        std::vector<std::string> events;
        std::string text;
    } cases[] = {
        {{true, false, false}, {"Printing Summary Report...", "pause 300"}, golden("five_code1_summary")},
        {{true, true, true},
         {"Printing Summary Report...", "pause 300", "Warnings Report...", "pause 300", "Printing Logging Report...",
          "pause 300"},
         golden("five_code1_summary") + golden("five_code1_warnings") + golden("five_code1_datalog")},
        {{false, false, false}, {}, ""},
    };
    for (const auto &c : cases) {
        testfiles::TempDir dir;
        LoadedEvent loaded = reportdata::writeEvent(dir, 0, 1);
        std::ostringstream out;
        TextPrinter printer(out);
        CancellingProgress progress(printer);
        ASSERT_TRUE(runPrintCommand(printer, loaded, c.selection, progress).ok());
        EXPECT_EQ(progress.events, c.events);
        std::string text = out.str();
        for (std::size_t at = text.find(dir.path().string()); at != std::string::npos;
             at = text.find(dir.path().string()))
            text.replace(at, dir.path().string().size(), "@DIR@");
        EXPECT_EQ(text, c.text);
    }
}

TEST(PrintRun, AFailingReportEndsTheRunWithItsReason) {
    testfiles::TempDir dir;
    LoadedEvent loaded = reportdata::writeEvent(dir, 1, 4);
    std::filesystem::remove(loaded.path);
    std::ostringstream out;
    TextPrinter printer(out);
    printer.setOrientation(Orientation::Landscape);
    CancellingProgress progress(printer);
    Status status = runPrintCommand(printer, loaded, {false, true, true}, progress);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().subject, loaded.path.string());
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"Warnings Report...", "pause 300", "Printing Logging Report..."}));
    EXPECT_EQ(printer.orientation(), Orientation::Landscape);
}

} // namespace
