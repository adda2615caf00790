// An intake over an older folder killed at each of its renames in turn (the
// program run under strace, which kills it at the Nth rename): running it
// again must leave every file equal to what an uninterrupted intake gives,
// CSV files included.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>

#include "cli/commands.h"
#include "test_data.h"
#include "test_files.h"

namespace fs = std::filesystem;
using testdata::ImageBuilder;

namespace {

constexpr std::int32_t kStart = 1118838605; // 2005-06-15 12:30:05
constexpr std::int32_t kDay = 86400;
// More renames than any intake of these images makes.
constexpr int kMostRenames = 200;

// Event `n` (from 1) with `rows` log records, its log after the logs of the events before it.
void addEvent(ImageBuilder &image, int n, int rows, int status) {
    const int first = 20 * (n - 1);
    testdata::EventBuilder event;
    event.status(static_cast<std::int16_t>(status)).start(kStart + n * kDay).config(0).logAddresses(
        ImageBuilder::logAddress(first), ImageBuilder::logAddress(first + rows - 1));
    image.slot(n, event);
    for (int j = 0; j < rows; ++j) {
        testdata::LogRow row;
        row.time = kStart + n * kDay + 60 * j;
        row.ambient = static_cast<std::int16_t>(n * 100 + j);
        image.logSlot(first + j, row);
    }
}

int convert(const fs::path &image, const fs::path &dir) {
    std::ostringstream out, err;
    return trelm::cli::runCli({"convert", image.string(), "--dir", dir.string()}, out, err);
}

bool straceRuns() { return std::system("strace -V >/dev/null 2>&1") == 0; }

} // namespace

TEST(IntakeKilled, AtEveryRenameTheRerunLeavesWhatACleanIntakeGives) {
    if (!straceRuns())
        GTEST_SKIP() << "strace is not available";
    testfiles::TempDir work;
    // The older memory: three events, the third still running. The newer:
    // the third has run on (a changed event file), a fourth has begun.
    ImageBuilder older({1, 0x0102, 123}), newer({1, 0x0102, 123});
    for (ImageBuilder *image : {&older, &newer}) {
        addEvent(*image, 1, 6, 5);
        addEvent(*image, 2, 8, 5);
    }
    addEvent(older, 3, 4, 3);
    addEvent(newer, 3, 15, 5);
    addEvent(newer, 4, 5, 3);
    testdata::writeFile(work / "older.img", older.receivedBytes());
    testdata::writeFile(work / "newer.img", newer.receivedBytes());
    fs::create_directory(work / "old");
    ASSERT_EQ(convert(work / "older.img", work / "old"), 0);
    fs::copy(work / "old", work / "clean");
    ASSERT_EQ(convert(work / "newer.img", work / "clean"), 0);
    const testfiles::FolderContent clean = testfiles::folderContent(work / "clean");

    int kills = 0;
    for (int rename = 1; rename <= kMostRenames; ++rename) {
        const fs::path dir = work / ("killed-at-" + std::to_string(rename));
        fs::copy(work / "old", dir);
        const std::string command = "strace -f -o /dev/null -e trace=rename,renameat,renameat2 -e "
                                    "inject=rename,renameat,renameat2:signal=KILL:when=" +
                                    std::to_string(rename) + " " + TRELMLINK_PROGRAM + " convert '" +
                                    (work / "newer.img").string() + "' --dir '" + dir.string() + "' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        const bool killed = WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) > 128);
        if (!killed) {
            EXPECT_EQ(WEXITSTATUS(status), 0) << "uninterrupted at rename " << rename;
            break;
        }
        ++kills;
        EXPECT_EQ(convert(work / "newer.img", dir), 0) << "rerun after the kill at rename " << rename;
        EXPECT_EQ(testfiles::folderDifferences(testfiles::folderContent(dir), clean), "") << "after the kill at rename " << rename;
    }
    // swap.bin, two event files and their CSVs at the least.
    EXPECT_GE(kills, 5);
}
