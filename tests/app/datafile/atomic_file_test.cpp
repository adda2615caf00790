#include <gtest/gtest.h>

#include "datafile/atomic_file.h"
#include "test_data.h"

using namespace trelm;

namespace {

std::size_t entries(const std::filesystem::path &dir) {
    return std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator());
}

} // namespace

TEST(AtomicFile, ReplacesWholeContentAndLeavesNoTemporaryFile) {
    testdata::TempDir dir;
    testdata::writeFile(dir / "f.bin", testdata::Bytes(1000, 0xAA));
    ASSERT_TRUE(writeFileAtomically(dir / "f.bin", std::string_view("short")));
    const testdata::Bytes content = testdata::readFile(dir / "f.bin");
    EXPECT_EQ(std::string(content.begin(), content.end()), "short");
    EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(AtomicFile, FailureNamesTheTargetAndKeepsWhatWasThere) {
    testdata::TempDir dir;
    std::filesystem::create_directory(dir / "taken");
    testdata::writeFile(dir / "taken" / "inside", testdata::Bytes(3, 1));
    auto written = writeFileAtomically(dir / "taken", std::string_view("data"));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().subject, (dir / "taken").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken"));
    EXPECT_EQ(entries(dir.path()), 1u);

    auto noFolder = writeFileAtomically(dir / "missing" / "f.bin", std::string_view("data"));
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.error().reason, "No such file or directory");
}
