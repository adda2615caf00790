#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "datafile/intake.h"
#include "datafile/message_port.h"
#include "export/export_event.h"
#include "test_data.h"

using namespace trelm;
using testdata::ImageBuilder;

namespace {

constexpr std::int32_t kJune15 = 1118838605; // 2005-06-15 12:30:05
const std::string kJune15Name = "0123_2005_06_15_12_30_05.bin";

testdata::LogRow row(std::int32_t time) {
    testdata::LogRow r;
    r.time = time;
    r.ambient = static_cast<std::int16_t>(time % 1000);
    return r;
}

testdata::EventBuilder event(std::int32_t start, std::int32_t first, std::int32_t last) {
    testdata::EventBuilder builder;
    builder.status(5).start(start).config(0).logAddresses(first, last);
    return builder;
}

// The bytes an event file should hold: header, slot record, chosen log slots.
testdata::Bytes expectedEventFile(const ImageBuilder &image, int slot, const std::vector<int> &logSlots) {
    const testdata::Bytes &bytes = image.bytes();
    testdata::Bytes expected(686 + 38 * logSlots.size());
    std::copy_n(bytes.begin(), 6, expected.begin());
    std::copy_n(bytes.begin() + 6 + 680 * (slot - 1), 680, expected.begin() + 6);
    for (std::size_t i = 0; i < logSlots.size(); ++i)
        std::copy_n(bytes.begin() + ImageBuilder::logAddress(logSlots[i]), 38, expected.begin() + 686 + 38 * i);
    return expected;
}

class IntakeTest : public ::testing::Test {
protected:
    Result<IntakeReport> convert(const ImageBuilder &image, const std::string &name = "received.img") {
        testdata::writeFile(m_dir / name, image.receivedBytes());
        return ConvertReceivedFile(m_dir / name, m_dir.path(), m_export);
    }
    bool exists(const std::string &name) const { return std::filesystem::exists(m_dir / name); }
    // The file's inode: an atomic rewrite gives it a new one.
    ino_t inode(const std::string &name) const {
        struct stat status {};
        return ::stat((m_dir / name).c_str(), &status) == 0 ? status.st_ino : 0;
    }

    testfiles::TempDir m_dir;
    SilentMessagePort m_messages;
    CsvExport m_export = csvExportByModel(m_messages);
    ImageBuilder m_image{testdata::Header{0, 0x0102, 123}};
};

} // namespace

TEST(EventFileName, UnitAndStartWithSeparatorsReplaced) {
    EXPECT_EQ(EventFileName(123, kJune15), kJune15Name);
    EXPECT_EQ(EventFileName(0, 0), "0000_2000_01_01_00_00_00.bin");
    EXPECT_EQ(EventFileName(-5, 946684799), "-0005_-2001_12_31_23_59_59.bin");
}

TEST_F(IntakeTest, SwapsPairsAndWritesOneEventFileAndCsvPerEvent) {
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(0), ImageBuilder::logAddress(2)));
    m_image.slot(4, event(kJune15 + 86400, 0, 0));
    for (int j = 0; j < 3; ++j)
        m_image.logSlot(j, row(kJune15 + 60 * j));
    auto report = convert(m_image);
    ASSERT_TRUE(report) << report.error().message();
    EXPECT_EQ(testdata::readFile(m_dir / "swap.bin"), m_image.bytes());
    const std::string second = "0123_2005_06_16_12_30_05.bin";
    EXPECT_EQ(report.value().eventFiles, (std::vector<std::string>{kJune15Name, second}));
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), expectedEventFile(m_image, 1, {0, 1, 2}));
    EXPECT_EQ(testdata::readFile(m_dir / second).size(), 686u);
    EXPECT_TRUE(exists("0123_2005_06_15_12_30_05.csv"));
    EXPECT_TRUE(exists("0123_2005_06_16_12_30_05.csv"));
    EXPECT_EQ(report.value().currentBinFile, second);
    EXPECT_EQ(report.value().exportCsvFile, "0123_2005_06_16_12_30_05.csv");
    EXPECT_TRUE(report.value().notes.empty());
    EXPECT_TRUE(exists("received.img")); // only temp0000.$$$ is consumed
}

TEST_F(IntakeTest, ReceivedFileOfOddLengthLosesOnlyItsLastByte) {
    m_image.slot(1, event(kJune15, 0, 0));
    testdata::Bytes received = m_image.receivedBytes();
    received.push_back(0x5A);
    testdata::writeFile(m_dir / "temp0000.$$$", received);
    auto report = ConvertReceivedFile(m_dir / "temp0000.$$$", m_dir.path(), m_export);
    ASSERT_TRUE(report) << report.error().message();
    EXPECT_EQ(testdata::readFile(m_dir / "swap.bin"), m_image.bytes());
    EXPECT_FALSE(exists("temp0000.$$$"));
}

TEST_F(IntakeTest, WrappedLogRunsToTheLastSlotAndOnFromTheFirst) {
    m_image.slot(1, event(kJune15, 114614, 16384));
    m_image.logSlot(2585, row(kJune15)).logSlot(0, row(kJune15 + 60));
    ASSERT_TRUE(convert(m_image));
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), expectedEventFile(m_image, 1, {2585, 0}));
}

TEST_F(IntakeTest, AFullRingIsCopiedOnceWhateverTheAddresses) {
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(1), ImageBuilder::logAddress(0)));
    for (int j = 0; j < 2586; ++j)
        m_image.logSlot(j, row(kJune15 + j));
    ASSERT_TRUE(convert(m_image));
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name).size(), 686u + 38u * 2586u);
}

TEST_F(IntakeTest, SecondIntakeOfTheSameImageWritesNothingButAMissingCsv) {
    m_image.slot(2, event(kJune15, ImageBuilder::logAddress(5), ImageBuilder::logAddress(9)));
    const std::string csv = "0123_2005_06_15_12_30_05.csv";
    ASSERT_TRUE(convert(m_image));
    const ino_t eventInode = inode(kJune15Name);
    const ino_t csvInode = inode(csv);
    auto again = convert(m_image);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.value().eventFiles.empty());
    EXPECT_TRUE(again.value().notes.empty());
    EXPECT_EQ(inode(kJune15Name), eventInode);
    EXPECT_EQ(inode(csv), csvInode);
    EXPECT_EQ(again.value().currentBinFile, kJune15Name);

    // A kill or a full disk between the event file and its CSV: the next
    // intake keeps the event file and writes the CSV.
    const std::string expectedCsv = testdata::readText(m_dir / csv);
    std::filesystem::remove(m_dir / csv);
    auto mended = convert(m_image);
    ASSERT_TRUE(mended);
    EXPECT_TRUE(mended.value().eventFiles.empty());
    EXPECT_EQ(inode(kJune15Name), eventInode);
    ASSERT_TRUE(exists(csv));
    EXPECT_EQ(testdata::readText(m_dir / csv), expectedCsv);
    EXPECT_EQ(mended.value().exportCsvFile, csv);
    ASSERT_EQ(mended.value().notes.size(), 1u);
    EXPECT_NE(mended.value().notes[0].find(kJune15Name + ": its CSV file was missing"), std::string::npos);
}

TEST_F(IntakeTest, ChangedEventRecordIsWrittenAgainWithItsCsv) {
    // Downloaded while sampling, then again once finished: same start, same
    // log addresses, new status and stop time.
    testdata::EventBuilder sampling = event(kJune15, ImageBuilder::logAddress(0), ImageBuilder::logAddress(1));
    sampling.status(3);
    m_image.slot(1, sampling);
    ASSERT_TRUE(convert(m_image));
    const std::string csv = "0123_2005_06_15_12_30_05.csv";
    EXPECT_NE(testdata::readText(m_dir / csv).find("\"Status:\",\"Sampling\""), std::string::npos);

    testdata::EventBuilder finished = sampling;
    finished.status(5).stop(kJune15 + 86400);
    m_image.slot(1, finished);
    auto report = convert(m_image);
    ASSERT_TRUE(report);
    EXPECT_EQ(report.value().eventFiles, std::vector<std::string>{kJune15Name});
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), expectedEventFile(m_image, 1, {0, 1}));
    EXPECT_NE(testdata::readText(m_dir / csv).find("\"Status:\",\"Finished\""), std::string::npos);
}

TEST_F(IntakeTest, GrownLogIsRewrittenAndAShortFileIsReplaced) {
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(0), ImageBuilder::logAddress(1)));
    ASSERT_TRUE(convert(m_image));
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(0), ImageBuilder::logAddress(4)));
    for (int j = 0; j < 5; ++j)
        m_image.logSlot(j, row(kJune15 + j));
    auto grown = convert(m_image);
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown.value().eventFiles, std::vector<std::string>{kJune15Name});
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name).size(), 686u + 5 * 38u);

    testdata::writeFile(m_dir / kJune15Name, testdata::Bytes(685, 0));
    auto repaired = convert(m_image);
    ASSERT_TRUE(repaired);
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), expectedEventFile(m_image, 1, {0, 1, 2, 3, 4}));
}

TEST_F(IntakeTest, EventWithEqualLogAddressesKeepsItsCompleteFile) {
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(3), ImageBuilder::logAddress(3)));
    ASSERT_TRUE(convert(m_image));
    // Bytes after the record do not matter once the file is complete.
    testdata::Bytes existing = testdata::readFile(m_dir / kJune15Name);
    existing.insert(existing.end(), 14, 0x42);
    testdata::writeFile(m_dir / kJune15Name, existing);
    auto report = convert(m_image);
    ASSERT_TRUE(report);
    EXPECT_TRUE(report.value().eventFiles.empty());
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), existing);
}

TEST_F(IntakeTest, UntrustworthyLogAddressesWriteTheEventWithoutLogAndSaySo) {
    const std::vector<std::pair<std::int32_t, std::int32_t>> bad = {
        {16385, 16384 + 38 * 3}, // first off the 38-byte grid
        {16384, 114652},         // last beyond the last slot
        {16384, 0},              // no last address
        {-38, 16384},            // negative
        {100, 200},              // inside the event area
    };
    for (std::size_t i = 0; i < bad.size(); ++i)
        m_image.slot(static_cast<int>(i) + 1, event(kJune15 + 60 * static_cast<int>(i), bad[i].first, bad[i].second));
    auto report = convert(m_image);
    ASSERT_TRUE(report) << report.error().message();
    ASSERT_EQ(report.value().eventFiles.size(), bad.size());
    ASSERT_EQ(report.value().notes.size(), bad.size());
    EXPECT_NE(report.value().notes[0].find("event slot 1 (" + kJune15Name + ")"), std::string::npos);
    for (const std::string &name : report.value().eventFiles)
        EXPECT_EQ(testdata::readFile(m_dir / name).size(), 686u) << name;
}

TEST_F(IntakeTest, ShortImageCopiesOnlyTheRecordsItHolds) {
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(0), ImageBuilder::logAddress(9)));
    for (int j = 0; j < 10; ++j)
        m_image.logSlot(j, row(kJune15 + j));
    testdata::Bytes received = m_image.receivedBytes();
    received.resize(16384 + 38 * 4 + 20); // four whole records and part of a fifth
    testdata::writeFile(m_dir / "received.img", received);
    auto report = ConvertReceivedFile(m_dir / "received.img", m_dir.path(), m_export, PartialImages::Take);
    ASSERT_TRUE(report);
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), expectedEventFile(m_image, 1, {0, 1, 2, 3}));
    ASSERT_EQ(report.value().notes.size(), 1u);
    EXPECT_NE(report.value().notes[0].find("6 of its 10 log records"), std::string::npos);
}

TEST_F(IntakeTest, FileFromAShortImageIsCompletedByALaterFullOne) {
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(0), ImageBuilder::logAddress(9)));
    for (int j = 0; j < 10; ++j)
        m_image.logSlot(j, row(kJune15 + j));
    testdata::Bytes received = m_image.receivedBytes();
    received.resize(16384 + 38 * 4);
    testdata::writeFile(m_dir / "received.img", received);
    ASSERT_TRUE(ConvertReceivedFile(m_dir / "received.img", m_dir.path(), m_export, PartialImages::Take));
    ASSERT_EQ(testdata::readFile(m_dir / kJune15Name).size(), 686u + 4 * 38u);

    // Same log addresses, but the file lacks six of the ten records.
    auto full = convert(m_image);
    ASSERT_TRUE(full) << full.error().message();
    EXPECT_EQ(full.value().eventFiles, std::vector<std::string>{kJune15Name});
    EXPECT_TRUE(full.value().notes.empty());
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), expectedEventFile(m_image, 1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // Now complete, it is kept.
    auto again = convert(m_image);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.value().eventFiles.empty());
}

TEST_F(IntakeTest, CompleteFileOfAWrappedLogIsKept) {
    m_image.slot(1, event(kJune15, ImageBuilder::logAddress(2584), ImageBuilder::logAddress(1)));
    for (int j : {2584, 2585, 0, 1})
        m_image.logSlot(j, row(kJune15 + j));
    ASSERT_TRUE(convert(m_image));
    ASSERT_EQ(testdata::readFile(m_dir / kJune15Name).size(), 686u + 4 * 38u);
    auto again = convert(m_image);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.value().eventFiles.empty());
}

TEST_F(IntakeTest, ReceivedFileTooShortForTheEventAreaWritesNothing) {
    testdata::Bytes received = m_image.receivedBytes();
    received.resize(16383);
    testdata::writeFile(m_dir / "temp0000.$$$", received);
    auto report = ConvertReceivedFile(m_dir / "temp0000.$$$", m_dir.path(), m_export);
    ASSERT_FALSE(report);
    EXPECT_EQ(report.error().subject, (m_dir / "temp0000.$$$").string());
    EXPECT_NE(report.error().reason.find("16383 bytes"), std::string::npos);
    EXPECT_TRUE(exists("temp0000.$$$"));
    EXPECT_FALSE(exists("swap.bin"));
}

TEST_F(IntakeTest, CurrentFileIsTheLatestEventAndNoneWithoutEvents) {
    // An empty slot's later start names no file that exists.
    m_image.slot(1, event(kJune15, 0, 0));
    m_image.slot(2, testdata::EventBuilder().status(0).start(kJune15 + 3600));
    m_image.slot(3, event(kJune15 - 3600, 0, 0));
    auto report = convert(m_image);
    ASSERT_TRUE(report);
    EXPECT_EQ(report.value().currentBinFile, kJune15Name);

    ImageBuilder empty{testdata::Header{0, 0x0102, 123}};
    empty.slot(4, testdata::EventBuilder().status(0).start(kJune15));
    testfiles::TempDir other;
    testdata::writeFile(other / "received.img", empty.receivedBytes());
    auto none = ConvertReceivedFile(other / "received.img", other.path(), m_export);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none.value().eventFiles.empty());
    EXPECT_EQ(none.value().currentBinFile, "");
}

TEST_F(IntakeTest, EventsWhoseNamesCollideAreReportedNotLost) {
    // Equal starts, and starts before 1970 shown as 2000-01-01 00:00:00.
    m_image.slot(2, event(kJune15, 0, 0)).slot(5, event(kJune15, 0, 0));
    m_image.slot(7, event(0, 0, 0)).slot(9, event(-86400, 0, 0));
    auto report = convert(m_image);
    ASSERT_TRUE(report) << report.error().message();
    EXPECT_EQ(report.value().eventFiles, (std::vector<std::string>{kJune15Name, "0123_2000_01_01_00_00_00.bin"}));
    ASSERT_EQ(report.value().notes.size(), 2u);
    EXPECT_NE(report.value().notes[0].find("event slot 5 (" + kJune15Name + "): has the file name of event slot 2"),
              std::string::npos)
        << report.value().notes[0];
    EXPECT_NE(report.value().notes[1].find("event slot 9 (0123_2000_01_01_00_00_00.bin): has the file name of event slot 7"),
              std::string::npos)
        << report.value().notes[1];
    EXPECT_EQ(testdata::readFile(m_dir / kJune15Name), expectedEventFile(m_image, 2, {}));
}

TEST_F(IntakeTest, FailedSlotDoesNotStopTheOthersAndKeepsTheReceivedImage) {
    m_image.slot(1, event(kJune15, 0, 0));
    m_image.slot(2, event(kJune15 + 60, 0, 0));
    m_image.slot(3, event(kJune15 + 120, 0, 0));
    // A folder where slot 2's event file belongs: its write fails.
    const std::string blocked = "0123_2005_06_15_12_31_05.bin";
    std::filesystem::create_directory(m_dir / blocked);
    auto report = convert(m_image, "temp0000.$$$");
    ASSERT_TRUE(report) << report.error().message();
    EXPECT_EQ(report.value().eventFiles, (std::vector<std::string>{kJune15Name, "0123_2005_06_15_12_32_05.bin"}));
    ASSERT_EQ(report.value().failures.size(), 1u);
    EXPECT_EQ(report.value().failures[0].subject, (m_dir / blocked).string());
    EXPECT_FALSE(report.value().complete());
    EXPECT_TRUE(exists("temp0000.$$$"));

    // Once the obstacle is gone, running the intake again finishes the job.
    std::filesystem::remove(m_dir / blocked);
    auto again = ConvertReceivedFile(m_dir / "temp0000.$$$", m_dir.path(), m_export);
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.value().complete());
    EXPECT_EQ(again.value().eventFiles, std::vector<std::string>{blocked});
    EXPECT_FALSE(exists("temp0000.$$$"));
}

TEST_F(IntakeTest, SplitKilledHalfwayIsFinishedByTheNextIntake) {
    for (int n = 1; n <= 3; ++n)
        m_image.slot(n, event(kJune15 + 60 * n, 0, 0));
    // The state a kill leaves: the received image, swap.bin, the first
    // event file, and a half-written temporary file of the dead writer.
    testdata::writeFile(m_dir / "temp0000.$$$", m_image.receivedBytes());
    testdata::writeFile(m_dir / "swap.bin", m_image.bytes());
    const std::string first = "0123_2005_06_15_12_31_05.bin";
    testdata::writeFile(m_dir / first, expectedEventFile(m_image, 1, {}));
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string stale = "0123_2005_06_15_12_32_05.bin.tmp" + std::to_string(dead) + ".0";
    const std::string live = "0123_2005_06_15_12_32_05.bin.tmp" + std::to_string(::getpid()) + ".99";
    testdata::writeFile(m_dir / stale, testdata::Bytes(100, 1));
    testdata::writeFile(m_dir / live, testdata::Bytes(100, 1));

    auto report = ConvertReceivedFile(m_dir / "temp0000.$$$", m_dir.path(), m_export);
    ASSERT_TRUE(report) << report.error().message();
    EXPECT_TRUE(report.value().complete());
    EXPECT_EQ(report.value().eventFiles,
              (std::vector<std::string>{"0123_2005_06_15_12_32_05.bin", "0123_2005_06_15_12_33_05.bin"}));
    EXPECT_TRUE(exists("0123_2005_06_15_12_31_05.csv")); // the kept file's missing CSV
    EXPECT_FALSE(exists(stale));
    EXPECT_TRUE(exists(live)); // a running writer's file is never touched
    EXPECT_FALSE(exists("temp0000.$$$"));
    EXPECT_NE(report.value().notes[0].find(stale + ": removed"), std::string::npos);
}

TEST_F(IntakeTest, SplitWorksFromSwapBinAlone) {
    m_image.slot(1, event(kJune15, 0, 0));
    testdata::writeFile(m_dir / "swap.bin", m_image.bytes());
    auto report = SplitMemoryImage(m_dir.path(), m_export);
    ASSERT_TRUE(report);
    EXPECT_EQ(report.value().eventFiles, std::vector<std::string>{kJune15Name});
}
