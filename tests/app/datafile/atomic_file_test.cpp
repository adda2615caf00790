#include <gtest/gtest.h>

#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>

#include "datafile/atomic_file.h"
#include "test_data.h"

using namespace trelm;

TEST(AtomicFile, ReplacesWholeContentAndLeavesNoTemporaryFile) {
    testfiles::TempDir dir;
    testdata::writeFile(dir / "f.bin", testdata::Bytes(1000, 0xAA));
    ASSERT_TRUE(writeFileAtomically(dir / "f.bin", std::string_view("short")));
    EXPECT_EQ(testdata::readText(dir / "f.bin"), "short");
    EXPECT_EQ(testdata::entryCount(dir.path()), 1u);
}

TEST(AtomicFile, FailureNamesTheTargetAndKeepsWhatWasThere) {
    testfiles::TempDir dir;
    std::filesystem::create_directory(dir / "taken");
    testdata::writeFile(dir / "taken" / "inside", testdata::Bytes(3, 1));
    auto written = writeFileAtomically(dir / "taken", std::string_view("data"));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().subject, (dir / "taken").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken"));
    EXPECT_EQ(testdata::entryCount(dir.path()), 1u);

    auto noFolder = writeFileAtomically(dir / "missing" / "f.bin", std::string_view("data"));
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.error().reason, "No such file or directory");
}

TEST(AtomicFile, LinkedFileIsWrittenThroughTheLinkWhichStays) {
    testfiles::TempDir dir;
    testdata::writeFile(dir / "target.csv", testdata::Bytes(1000, 0xAA));
    std::filesystem::create_symlink(dir / "target.csv", dir / "link.csv");
    ASSERT_TRUE(writeFileAtomically(dir / "link.csv", std::string_view("short")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.csv"));
    EXPECT_EQ(testdata::readText(dir / "target.csv"), "short");
    EXPECT_EQ(testdata::entryCount(dir.path()), 2u);
}

// Only files named as this writer names them, of a process that is gone,
// are removed.
TEST(AtomicFile, StaleTemporariesOfDeadWritersAreRemovedAndNothingElse) {
    testfiles::TempDir dir;
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string deadPid = std::to_string(dead);
    const std::string ownPid = std::to_string(::getpid());
    const struct {
        std::string name;
        bool removed;
    } cases[] = {
        {"a.bin.tmp" + deadPid + ".0", true},    {"swap.bin.tmp" + deadPid + ".17", true},
        {"a.bin.tmp" + deadPid + ".x", false},   {"a.bin.tmp" + deadPid, false},
        {".tmp" + deadPid + ".0", false},        {"a.bin.tmp0.3", false},
        {"a.bin.tmp" + ownPid + ".1", false},    {"a.bin.tmp-" + deadPid + ".1", false},
        {"notes.tmp.txt", false},
    };
    for (const auto &c : cases)
        testdata::writeFile(dir / c.name, testdata::Bytes(3, 1));
    std::filesystem::create_directory(dir / ("b.bin.tmp" + deadPid + ".2"));
    const std::vector<std::string> removed = removeStaleTemporaries(dir.path());
    for (const auto &c : cases) {
        EXPECT_EQ(std::filesystem::exists(dir / c.name), !c.removed) << c.name;
        EXPECT_EQ(std::count(removed.begin(), removed.end(), c.name), c.removed ? 1 : 0) << c.name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir / ("b.bin.tmp" + deadPid + ".2")));
}
