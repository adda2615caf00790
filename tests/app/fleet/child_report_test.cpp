// What the runner reads from a child retrieval's stderr, and what it writes
// for people (the summary table) and for monitoring (one JSON line per attempt).
#include <gtest/gtest.h>

#include "case_name.h"
#include "fleet/attempt_record.h"
#include "fleet/child_progress.h"
#include "fleet/summary_table.h"

using trelm::fleet::ChildProgress;

namespace {

struct ProgressCase {
    const char *name;
    std::vector<std::string> lines;
    std::string phase;
    long long bytes;
    int percent;
    int events;
    std::string current;
    std::string reason;
};

// A failure names the case, never its bytes.
std::ostream &operator<<(std::ostream &out, const ProgressCase &c) { return out << c.name; }

class ChildProgressLines : public testing::TestWithParam<ProgressCase> {};

TEST_P(ChildProgressLines, StateFollowsTheLines) {
    const ProgressCase &c = GetParam();
    ChildProgress progress;
    for (const std::string &line : c.lines)
        progress.takeLine(line);
    EXPECT_EQ(progress.phase(), c.phase);
    EXPECT_EQ(progress.bytes(), c.bytes);
    EXPECT_EQ(progress.percent(), c.percent);
    EXPECT_EQ(progress.eventsWritten(), c.events);
    EXPECT_EQ(progress.currentEvent(), c.current);
    EXPECT_EQ(progress.reason(), c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ChildProgressLines,
    testing::Values(
        ProgressCase{"NothingYet", {}, "", 0, -1, -1, "", ""},
        ProgressCase{"PhaseIsTheLastStatus", {"Waking DataLogger...", "Starting Download..."},
                     "Starting Download...", 0, -1, -1, "", ""},
        ProgressCase{"TransferProgress",
                     {"Downloading All Data From TRELM Unit, Please Wait...",
                      "45056 bytes received, 39% of 114688, 0:02 left"},
                     "Downloading All Data From TRELM Unit, Please Wait...", 45056, 39, -1, "", ""},
        ProgressCase{"CompleteWithSummary",
                     {"Transfer complete!",
                      "Summary: 4 event files written, current event 0123_2005_06_15_12_30_05.bin, folder /d/n"},
                     "Transfer complete!", 0, -1, 4, "0123_2005_06_15_12_30_05.bin", ""},
        ProgressCase{"SummaryOfAFailure", {"Summary: 0 event files written, folder /d/n (cancelled)"}, "", 0, -1, 0,
                     "", ""},
        ProgressCase{"ErrorsGiveTheReason",
                     {"Waking DataLogger...", "trelmlink: COM 99 (/dev/pts/3): Error Waking DataLogger!",
                      "trelmlink: no answer"},
                     "Waking DataLogger...", 0, -1, -1, "", "COM 99 (/dev/pts/3): Error Waking DataLogger!; no answer"},
        ProgressCase{"WarningsAreNoReason", {"trelmlink: warning: event 3 collides"}, "", 0, -1, -1, "", ""},
        ProgressCase{"NumberWithoutBytesIsAPhase", {"3 bytes received late"}, "3 bytes received late", 0, -1, -1, "",
                     ""}),
    testsupport::CaseName());

TEST(AttemptJson, OneLineWithEveryFieldEscaped) {
    trelm::fleet::AttemptRecord record;
    record.station = "north \"roof\"";
    record.attempt = 2;
    record.line = "/dev/pts/4";
    record.started = std::chrono::system_clock::time_point(std::chrono::milliseconds(1118838605123));
    record.ended = record.started + std::chrono::milliseconds(2500);
    record.exitStatus = 4;
    record.outcome = trelm::fleet::outcomeName(4);
    record.reason = "a\\b\nc\x01";
    record.files = {"x.bin", "y.bin"};
    record.log = "/d/log";
    record.willRetry = true;
    EXPECT_EQ(trelm::fleet::attemptJson(record),
              "{\"station\":\"north \\\"roof\\\"\",\"attempt\":2,\"line\":\"/dev/pts/4\","
              "\"started\":\"2005-06-15T12:30:05.123Z\",\"ended\":\"2005-06-15T12:30:07.623Z\","
              "\"started_ms\":1118838605123,\"ended_ms\":1118838607623,\"exit_status\":4,"
              "\"outcome\":\"line failure\",\"reason\":\"a\\\\b\\nc\\u0001\",\"files\":[\"x.bin\",\"y.bin\"],"
              "\"current_event\":\"\",\"log\":\"/d/log\",\"will_retry\":true}");
}

TEST(SummaryTable, ColumnsLineUpAndTheReasonComesLast) {
    const std::string table = trelm::fleet::summaryTable(
        {{"north", "success", 1, 4, "0123_a.bin", 2.04, ""},
         {"far-south", "line failure", 3, -1, "", 30.0, "COM 3: Error Waking DataLogger!"}});
    EXPECT_EQ(table,
              "STATION    OUTCOME       ATTEMPTS  EVENTS  CURRENT     TIME   REASON\n"
              "north      success       1         4       0123_a.bin  2.0s\n"
              "far-south  line failure  3         -       -           30.0s  COM 3: Error Waking DataLogger!\n");
}

} // namespace
