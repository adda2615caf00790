#include <gtest/gtest.h>

#include "datafile/atomic_file.h"
#include "test_data.h"

using namespace trelm;

TEST(AtomicFile, ReplacesWholeContentAndLeavesNoTemporaryFile) {
    testdata::TempDir dir;
    testdata::writeFile(dir / "f.bin", testdata::Bytes(1000, 0xAA));
    ASSERT_TRUE(writeFileAtomically(dir / "f.bin", std::string_view("short")));
    EXPECT_EQ(testdata::readText(dir / "f.bin"), "short");
    EXPECT_EQ(testdata::entryCount(dir.path()), 1u);
}

TEST(AtomicFile, FailureNamesTheTargetAndKeepsWhatWasThere) {
    testdata::TempDir dir;
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
