#include <gtest/gtest.h>

#include <sys/stat.h>

#include "datafile/event_file.h"
#include "datafile/file_read.h"
#include "test_data.h"

using namespace trelm;

namespace {

std::vector<testdata::LogRow> rows(int count, std::int32_t firstTime) {
    std::vector<testdata::LogRow> log(count);
    for (int i = 0; i < count; ++i)
        log[i].time = firstTime + 60 * i;
    return log;
}

} // namespace

TEST(EventFile, HeaderAndRecordAloneMakeAnEmptyLog) {
    const testdata::Bytes bytes = testdata::eventFileBytes({1, 0x0102, 7}, testdata::EventBuilder().status(5));
    ASSERT_EQ(bytes.size(), 686u);
    auto file = parseEventFile(bytes, "e.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(file.value().header.modelFlag, 1);
    EXPECT_EQ(file.value().header.unitId, 7);
    EXPECT_EQ(file.value().event.status, 5);
    EXPECT_TRUE(file.value().log.empty());
}

TEST(EventFile, ShortFileIsRejectedWithItsName) {
    testdata::Bytes bytes = testdata::eventFileBytes({}, testdata::EventBuilder());
    bytes.pop_back();
    auto file = parseEventFile(bytes, "short.bin");
    ASSERT_FALSE(file);
    EXPECT_EQ(file.error().subject, "short.bin");
    EXPECT_NE(file.error().reason.find("685 bytes"), std::string::npos);
}

TEST(EventFile, LogEndsAtTheFirstZeroStampOrAPartialRecord) {
    std::vector<testdata::LogRow> log = rows(45, 1000);
    log[39].time = 0; // the 40th record ends the log
    auto file = parseEventFile(testdata::eventFileBytes({}, testdata::EventBuilder(), log), "e.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(file.value().log.size(), 39u);

    testdata::Bytes bytes = testdata::eventFileBytes({}, testdata::EventBuilder(), rows(3, 1000));
    bytes.insert(bytes.end(), 37, 0x11);
    file = parseEventFile(bytes, "e.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(file.value().log.size(), 3u);
    EXPECT_EQ(file.value().log[2].time, 1120);
}

TEST(EventFile, ReadingReportsMissingFilesAndFolders) {
    testfiles::TempDir dir;
    auto missing = readEventFile(dir / "none.bin");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().subject, (dir / "none.bin").string());
    EXPECT_EQ(missing.error().reason, "No such file or directory");
    auto folder = readEventFile(dir.path());
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().reason, "is a folder, not a file");
    testdata::writeFile(dir / "e.bin", testdata::eventFileBytes({}, testdata::EventBuilder(), rows(2, 5)));
    auto file = readEventFile(dir / "e.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(file.value().log.size(), 2u);
}

TEST(EventFile, AFifoIsRefusedWithoutWaitingForAWriter) {
    // Nothing ever opens the FIFO for writing: a blocking open would hang here.
    testfiles::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.bin").c_str(), 0600), 0);
    auto fifo = readEventFile(dir / "pipe.bin");
    ASSERT_FALSE(fifo);
    EXPECT_EQ(fifo.error().subject, (dir / "pipe.bin").string());
    EXPECT_EQ(fifo.error().reason, "is not a regular file");
}

TEST(FileStart, GivesTheFirstBytesAndTheWholeSize) {
    testfiles::TempDir dir;
    testdata::Bytes content(1000);
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<std::uint8_t>(i % 251);
    testdata::writeFile(dir / "f.bin", content);
    auto start = readFileStart(dir / "f.bin", 686);
    ASSERT_TRUE(start);
    EXPECT_EQ(start.value().bytes, testdata::Bytes(content.begin(), content.begin() + 686));
    EXPECT_EQ(start.value().size, 1000u);
    auto whole = readFileStart(dir / "f.bin", 5000);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole.value().bytes, content);
    auto folder = readFileStart(dir.path(), 686);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().reason, "is a folder, not a file");
}

TEST(EventFile, CsvNameReplacesEverythingAfterTheFirstDotOfTheFileName) {
    EXPECT_EQ(csvNameFor("0123_2005_06_15_12_30_05.bin"), "0123_2005_06_15_12_30_05.csv");
    EXPECT_EQ(csvNameFor("/data/v1.2/event.bin"), "/data/v1.2/event.csv");
    EXPECT_EQ(csvNameFor("dir/a.b.bin"), "dir/a.csv");
    EXPECT_EQ(csvNameFor("dir/event"), "dir/event.csv");
}
