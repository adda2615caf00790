// What the intake must never do with a data folder: take a cut-off image for
// a whole one, follow a link planted under one of its names, leave a CSV out
// of step with its event file, or delete an image it did not take in; and
// the lock that keeps a second writer out of the folder.
#include <filesystem>
#include <string>
#include <gtest/gtest.h>
#include <unistd.h>
#include <variant>

#include "case_name.h"
#include "datafile/folder_lock.h"
#include "datafile/intake.h"
#include "datafile/message_port.h"
#include "export/export_event.h"
#include "test_data.h"
#include "test_files.h"

using namespace trelm;
using testdata::ImageBuilder;
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kJune15 = 1118838605; // 2005-06-15 12:30:05
const std::string kJune15Name = "0123_2005_06_15_12_30_05.bin";
const std::string kJune15Csv = "0123_2005_06_15_12_30_05.csv";
constexpr std::size_t kEventArea = 16384;
constexpr int kLogRows = 10;

void writeText(const fs::path &path, const std::string &text) {
    testdata::writeFile(path, testdata::Bytes(text.begin(), text.end()));
}

class IntakeSafety : public ::testing::Test {
protected:
    IntakeSafety() {
        testdata::EventBuilder event;
        event.status(5).start(kJune15).config(0).logAddresses(ImageBuilder::logAddress(0),
                                                              ImageBuilder::logAddress(kLogRows - 1));
        m_image.slot(1, event);
        for (int j = 0; j < kLogRows; ++j) {
            testdata::LogRow row;
            row.time = kJune15 + 60 * j;
            m_image.logSlot(j, row);
        }
    }
    // Writes the first `size` bytes of the image as received (all when 0) under `name`.
    fs::path received(std::size_t size = 0, const std::string &name = "received.img") {
        testdata::Bytes bytes = m_image.receivedBytes();
        if (size > 0)
            bytes.resize(size);
        testdata::writeFile(m_dir / name, bytes);
        return m_dir / name;
    }
    Result<IntakeReport> convert(const fs::path &image, PartialImages partial = PartialImages::Refuse) {
        return ConvertReceivedFile(image, m_dir.path(), m_export, partial);
    }

    testfiles::TempDir m_dir;
    SilentMessagePort m_messages;
    CsvExport m_export = csvExportByModel(m_messages);
    ImageBuilder m_image{testdata::Header{0, 0x0102, 123}};
};

struct PartialCase {
    const char *name;
    std::size_t size; // bytes of the image received; 0: all
    PartialImages partial;
    bool takenIn;
};

std::ostream &operator<<(std::ostream &out, const PartialCase &c) { return out << c.name; }

class PartialImage : public IntakeSafety, public ::testing::WithParamInterface<PartialCase> {};

TEST_P(PartialImage, IsRefusedUnlessAskedOrWhole) {
    const PartialCase &c = GetParam();
    auto report = convert(received(c.size), c.partial);
    ASSERT_EQ(report.ok(), c.takenIn) << (report ? "" : report.error().message());
    if (c.takenIn) {
        EXPECT_TRUE(fs::is_regular_file(m_dir / kJune15Name));
        return;
    }
    // Which event is incomplete, and nothing written.
    EXPECT_NE(report.error().reason.find("is a partial image"), std::string::npos) << report.error().reason;
    EXPECT_NE(report.error().reason.find("(incomplete: " + kJune15Name + ")"), std::string::npos);
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Images, PartialImage,
    ::testing::Values(
        PartialCase{"CutInsideTheLogIsRefused", kEventArea + 38 * 4 + 20, PartialImages::Refuse, false},
        PartialCase{"CutInsideTheLogIsTakenWhenAsked", kEventArea + 38 * 4 + 20, PartialImages::Take, true},
        PartialCase{"CutAfterTheLastEventsLogIsWhole", kEventArea + 38 * kLogRows, PartialImages::Refuse, true},
        PartialCase{"EventAreaAloneIsWhole", kEventArea, PartialImages::Refuse, true},
        PartialCase{"WholeMemoryIsWhole", 0, PartialImages::Refuse, true}),
    testsupport::CaseName());

struct LinkCase {
    const char *name;
    const char *planted; // the name a link is planted under
};

std::ostream &operator<<(std::ostream &out, const LinkCase &c) { return out << c.name; }

class PlantedLink : public IntakeSafety, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(PlantedLink, IsReplacedNeverFollowed) {
    testfiles::TempDir outside;
    const std::string kept = "written elsewhere, never to be touched";
    writeText(outside / "target", kept);
    const std::string name = GetParam().planted == std::string("event") ? kJune15Name
                             : GetParam().planted == std::string("csv") ? kJune15Csv
                                                                         : GetParam().planted;
    fs::create_symlink(outside / "target", m_dir / name);
    auto report = convert(received());
    ASSERT_TRUE(report) << report.error().message();
    EXPECT_TRUE(report.value().complete());
    EXPECT_FALSE(fs::is_symlink(m_dir / name));
    EXPECT_TRUE(fs::is_regular_file(m_dir / name));
    EXPECT_EQ(testdata::readText(outside / "target"), kept);
}

INSTANTIATE_TEST_SUITE_P(Names, PlantedLink,
                         ::testing::Values(LinkCase{"SwapBin", "swap.bin"}, LinkCase{"EventFile", "event"},
                                           LinkCase{"CsvFile", "csv"}),
                         testsupport::CaseName());

TEST_F(IntakeSafety, RerunBringsAnOutOfStepCsvInStepAndLeavesAnEqualOneAlone) {
    ASSERT_TRUE(convert(received(), PartialImages::Refuse));
    const std::string clean = testdata::readText(m_dir / kJune15Csv);
    // A kill between the event file and its CSV leaves the old CSV: fewer rows.
    writeText(m_dir / kJune15Csv, clean.substr(0, clean.size() / 2));
    auto rerun = convert(received());
    ASSERT_TRUE(rerun);
    EXPECT_TRUE(rerun.value().eventFiles.empty()); // the event file itself was current
    EXPECT_EQ(testdata::readText(m_dir / kJune15Csv), clean);
    ASSERT_EQ(rerun.value().notes.size(), 1u);
    EXPECT_NE(rerun.value().notes[0].find("out of step"), std::string::npos) << rerun.value().notes[0];

    const fs::file_time_type before = fs::last_write_time(m_dir / kJune15Csv);
    auto again = convert(received());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again.value().notes.empty());
    EXPECT_EQ(fs::last_write_time(m_dir / kJune15Csv), before);
}

TEST_F(IntakeSafety, OnlyWholeReceivedImagesAreDeletedAfterTheirIntake) {
    const fs::path kept = received(0, "kept-2026-12-08_09-30-05.$$$");
    ASSERT_TRUE(convert(kept));
    EXPECT_FALSE(fs::exists(kept));
    const fs::path other = received(0, "image.img");
    ASSERT_TRUE(convert(other));
    EXPECT_TRUE(fs::exists(other));
    const fs::path partial = received(kEventArea + 38 * 4, "partial-16536-bytes-2026-12-08_09-30-05.$$$");
    ASSERT_TRUE(convert(partial, PartialImages::Take));
    EXPECT_TRUE(fs::exists(partial));
}

TEST(FolderLock, SecondTakerIsRefusedNamingTheHolderUntilTheFirstLetsGo) {
    testfiles::TempDir dir;
    {
        auto first = FolderLock::take(dir.path());
        ASSERT_TRUE(std::holds_alternative<FolderLock>(first));
        auto second = FolderLock::take(dir.path());
        ASSERT_TRUE(std::holds_alternative<FolderLockRefusal>(second));
        const FolderLockRefusal &refusal = std::get<FolderLockRefusal>(second);
        EXPECT_EQ(refusal.holder, ::getpid());
        EXPECT_EQ(refusal.error.subject, dir.path().string());
        EXPECT_NE(refusal.error.reason.find("(process " + std::to_string(::getpid()) + ")"), std::string::npos);
    }
    // Let go: the lock file is gone and the folder can be taken again.
    EXPECT_EQ(testdata::entryCount(dir.path()), 0u);
    EXPECT_TRUE(std::holds_alternative<FolderLock>(FolderLock::take(dir.path())));
}

TEST(FolderLock, PlantedLinkUnderItsNameIsRefusedNotFollowed) {
    testfiles::TempDir dir, outside;
    fs::create_symlink(outside / "elsewhere", dir / kFolderLockName);
    auto taken = FolderLock::take(dir.path());
    ASSERT_TRUE(std::holds_alternative<FolderLockRefusal>(taken));
    EXPECT_FALSE(fs::exists(outside / "elsewhere"));
}

} // namespace
