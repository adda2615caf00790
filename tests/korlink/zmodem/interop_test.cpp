// ZMODEM against lrzsz over relayed ptys, both directions: every file of
// the batch arrives byte-identical under its own name, with its time.
#include "case_name.h"
#include "zmodem_peer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace zmodemtest;

namespace {

enum class Direction { SzToUs, UsToRz };

struct InteropCase {
    const char *name;
    Direction direction;
    std::vector<TestFile> (*files)();
    std::vector<std::string> peerOptions;
    bool escapeAll = false;   // our settings
    bool crc32 = true;
};

std::ostream &operator<<(std::ostream &out, const InteropCase &c) { return out << c.name; }

class ZmodemInteropTest : public ::testing::TestWithParam<InteropCase> {};

TEST_P(ZmodemInteropTest, EveryFileArrivesByteIdentical) {
    const InteropCase &c = GetParam();
    PeerLink link;
    ASSERT_EQ(COMMZMODEMSet(link.handle(), KORLINK_ZMODEM_ESCAPE_ALL, c.escapeAll), 0);
    ASSERT_EQ(COMMZMODEMSet(link.handle(), KORLINK_ZMODEM_CRC32, c.crc32), 0);
    std::vector<TestFile> files = c.files();
    bool peerSending = c.direction == Direction::SzToUs;
    const TempDir &source = peerSending ? link.peerDir() : link.ourDir();
    const TempDir &target = peerSending ? link.ourDir() : link.peerDir();
    std::vector<std::string> names = writeFiles(source, files);
    // A time in the past, so that one carried along is told from a new one.
    const time_t past = 1500000000;
    for (const std::string &name : names) {
        timespec times[2] = {{past, 0}, {past, 0}};
        utimensat(AT_FDCWD, (source / name).c_str(), times, 0);
    }
    Outcome outcome = peerSending ? peerSends(link, names, c.peerOptions) : weSend(link, names, c.peerOptions);
    EXPECT_EQ(outcome.result, 0) << reportTrail(400);
    EXPECT_EQ(outcome.lastError, 0);
    EXPECT_EQ(outcome.peerStatus, 0) << outcome.peerLog;
    for (const TestFile &file : files) {
        ASSERT_TRUE(fs::exists(target / file.name)) << file.name;
        EXPECT_EQ(readFile(target / file.name), file.bytes) << file.name;
        struct stat info {};
        ASSERT_EQ(stat((target / file.name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mtime, past) << file.name;
    }
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_FILE_CLOSED).size(), files.size());
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_TRANSFER_END), std::vector<intptr_t>{1});
}

INSTANTIATE_TEST_SUITE_P(
    Lrzsz, ZmodemInteropTest,
    ::testing::Values(
        InteropCase{"sz_all_byte_values", Direction::SzToUs, allValues, {}},
        InteropCase{"sz_empty_file", Direction::SzToUs, emptyFile, {}},
        InteropCase{"sz_one_megabyte_random", Direction::SzToUs, oneMegabyte, {}},
        InteropCase{"sz_batch_names_with_spaces", Direction::SzToUs, severalWithSpaces, {}},
        InteropCase{"sz_escape_all", Direction::SzToUs, allValues, {"-e"}},
        InteropCase{"sz_crc16_when_we_refuse_crc32", Direction::SzToUs, allValues, {}, false, false},
        InteropCase{"sz_asks_us_to_escape_all", Direction::SzToUs, severalWithSpaces, {}, true},
        InteropCase{"rz_all_byte_values", Direction::UsToRz, allValues, {}},
        InteropCase{"rz_empty_file", Direction::UsToRz, emptyFile, {}},
        InteropCase{"rz_one_megabyte_random", Direction::UsToRz, oneMegabyte, {}},
        InteropCase{"rz_batch_names_with_spaces", Direction::UsToRz, severalWithSpaces, {}},
        InteropCase{"rz_escape_all", Direction::UsToRz, allValues, {"-e"}},
        InteropCase{"rz_we_escape_all", Direction::UsToRz, severalWithSpaces, {}, true},
        InteropCase{"rz_crc16_only", Direction::UsToRz, allValues, {}, false, false}),
    testsupport::CaseName());

}  // namespace
