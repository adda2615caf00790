// YMODEM batch headers from an untrusted sender: names reduced to bare names
// inside the receive folder, announced lengths that are absurd or not numbers.
#include "case_name.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

// Block 0 of 128 bytes, or of 1024 when the fields need it (a long name).
std::vector<uint8_t> headerBlock(const std::string &fields) {
    size_t size = fields.size() < 128 ? 128 : 1024;
    std::vector<uint8_t> data(fields.begin(), fields.end());
    data.resize(size, 0);
    return makeBlock(0, data, size, true);
}

// Plays a YMODEM sender for one file (header `fields`, then `data` in 1K
// blocks) and the empty header that ends the batch. Stops early when the
// receiver answers a header with anything but ACK.
void sendBatchFile(testsupport::PtyPair &line, const std::string &fields,
                   const std::vector<uint8_t> &data) {
    if (awaitByte(line) != 'C') return;
    line.send(headerBlock(fields));
    // A receiver that ends the batch at this header sends no 'C'.
    if (awaitByte(line) != ACK || awaitByte(line, 1s) != 'C') return;
    for (size_t offset = 0, block = 1; offset < data.size(); offset += 1024, ++block) {
        std::vector<uint8_t> part(data.begin() + static_cast<long>(offset),
                                  data.begin() + static_cast<long>(std::min(data.size(), offset + 1024)));
        line.send(makeBlock(static_cast<uint32_t>(block), part, 1024, true));
        if (awaitByte(line) != ACK) return;
    }
    line.send(std::string(1, EOT));
    if (awaitByte(line) != ACK || awaitByte(line) != 'C') return;
    line.send(headerBlock(std::string()));
    awaitByte(line);
}

class BatchReceiveTest : public ::testing::Test {
protected:
    OpenPort port;
    TempDir outer;                        // the receive folder is outer/in/deeper
    fs::path receiveDir = outer.path() / "in" / "deeper";
    StatusRecorder &recorder = StatusRecorder::instance();

    BatchReceiveTest() { fs::create_directories(receiveDir); }

    // Runs a receive of one batch file; the result of freceive.
    int16_t receiveFile(const std::string &fields, const std::vector<uint8_t> &data) {
        ScopedWorkingDir workDir(receiveDir);
        port.line().receive(4096, 50ms);   // what an earlier receive left on the line
        COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 1500);
        std::thread sender([&] { sendBatchFile(port.line(), fields, data); });
        int16_t result = freceive(port.handle(), KORLINK_PROTO_YMODEM, 4096, StatusRecorder::callback, 0);
        sender.join();
        return result;
    }

    // Every regular file below `outer`, relative to it.
    std::vector<std::string> filesWritten() const {
        std::vector<std::string> names;
        for (const auto &entry : fs::recursive_directory_iterator(outer.path()))
            if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), outer.path()).string());
        return names;
    }
};

struct NameCase {
    const char *name;
    std::string announced;
    std::string stored;
};

void PrintTo(const NameCase &c, std::ostream *out) { *out << c.name; }

std::string repeated(const std::string &text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

class PeerFileNameTest : public BatchReceiveTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(PeerFileNameTest, FileLandsInsideTheReceiveFolderUnderItsBareName) {
    const NameCase &c = GetParam();
    std::vector<uint8_t> data = patternBytes(1500, 21);
    EXPECT_EQ(receiveFile(c.announced + std::string(1, '\0') + "1500 0", data), 0);
    EXPECT_EQ(filesWritten(), (std::vector<std::string>{"in/deeper/" + c.stored}));
    EXPECT_EQ(readFile((receiveDir / c.stored).string()), data);
    EXPECT_EQ(recorder.reports()[3], (Report{KORLINK_STATUS_FILE_NAME, recorder.reports()[3].param, c.stored}));
}

INSTANTIATE_TEST_SUITE_P(
    Names, PeerFileNameTest,
    ::testing::Values(NameCase{"ParentFolders", "../../escape.bin", "escape.bin"},
                      NameCase{"AbsolutePath", "/tmp/absolute.bin", "absolute.bin"},
                      NameCase{"DosPath", "C:\\data\\dos.bin", "dos.bin"},
                      NameCase{"ControlCharacters", "bell\a\x1b[2Jname.bin", "bell[2Jname.bin"},
                      NameCase{"InnerDotsKept", "..hidden..bin", "..hidden..bin"},
                      // Longer than a name in the folder may be: cut, extension kept.
                      NameCase{"TooLongKeepsItsExtension", std::string(300, 'n') + ".bin",
                               std::string(247, 'n') + ".bin"},
                      NameCase{"TooLongCutsWholeCharacters", "xx" + repeated("\xc3\xa9", 150),
                               "xx" + repeated("\xc3\xa9", 124)}),
    testsupport::CaseName());

// A name with nothing usable left is not the empty name that ends a batch:
// the file is stored under a generated name, through the rename rule, so
// each such file is kept.
TEST_F(BatchReceiveTest, NameReducedToNothingIsStoredUnderAGeneratedName) {
    const std::vector<std::string> stored{"unnamed", "unnamed.DL0", "unnamed.DL1", "unnamed.DL2"};
    size_t run = 0;
    for (const char *announced : {"..", "dir/..", "/", "\x01\x02"}) {
        recorder.clear();
        std::vector<uint8_t> data = patternBytes(100, 22 + static_cast<uint32_t>(run));
        EXPECT_EQ(receiveFile(std::string(announced) + std::string(1, '\0') + "100 0", data), 0)
            << announced;
        EXPECT_EQ(readFile((receiveDir / stored[run]).string()), data) << announced;
        // The host learns the name: as the file is opened
        // (KORLINK_STATUS_FILE_OPENING), then as the rename rule left it
        // (KORLINK_STATUS_RENAMED).
        std::vector<Report> reports = recorder.reports();
        auto named = [&reports](int32_t status) {
            auto found = std::find_if(reports.begin(), reports.end(),
                                      [status](const Report &report) { return report.status == status; });
            return found == reports.end() ? std::string("(none)") : found->name;
        };
        EXPECT_EQ(named(KORLINK_STATUS_FILE_OPENING), "unnamed") << announced;
        EXPECT_EQ(named(KORLINK_STATUS_RENAMED), stored[run]) << announced;
        ++run;
    }
    EXPECT_EQ(filesWritten().size(), stored.size());
}

// After a file's EOT the receiver asks for the next file; that EOT counts as
// the first of the retries, so with a limit of 2 only two more 'C's go out.
TEST_F(BatchReceiveTest, EndOfABatchFileCountsAsARetry) {
    ScopedWorkingDir workDir(receiveDir);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_TIMEOUT_MS, 300);
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_RETRY_LIMIT, 2);
    std::string afterEot;
    std::thread sender([&] {
        testsupport::PtyPair &line = port.line();
        EXPECT_EQ(awaitByte(line), 'C');
        line.send(headerBlock(std::string("one.bin") + std::string(1, '\0') + "10 0"));
        EXPECT_EQ(awaitByte(line), ACK);
        EXPECT_EQ(awaitByte(line), 'C');
        line.send(makeBlock(1, patternBytes(10, 27), 1024, true));
        EXPECT_EQ(awaitByte(line), ACK);
        line.send(std::string(1, EOT));
        EXPECT_EQ(awaitByte(line), ACK);
        afterEot = line.receive(12, 5s);
    });
    EXPECT_EQ(freceive(port.handle(), KORLINK_PROTO_YMODEM, 4096, StatusRecorder::callback, 0), -1);
    sender.join();
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_STATUS_TIMEOUT);
    EXPECT_EQ(afterEot, "CC" + std::string(5, char(CAN)) + std::string(5, '\b'));
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_TIMEOUT), (std::vector<intptr_t>{1, 2}));
    EXPECT_EQ(readFile((receiveDir / "one.bin").string()), patternBytes(10, 27));
}

// A sender announcing more than it sends: the file is not taken as
// complete. The receive fails with 4030, the sender is cancelled and the
// partial file stays.
TEST_F(BatchReceiveTest, FileEndingBeforeItsAnnouncedLengthFails) {
    std::vector<uint8_t> data = patternBytes(1000, 28);
    EXPECT_EQ(receiveFile(std::string("short.bin") + std::string(1, '\0') + "10000000 0", data), -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_STATUS_SHORT_FILE);
    // The one block came whole, the sender's padding with it.
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_SHORT_FILE, 1024));
    std::vector<uint8_t> kept = readFile((receiveDir / "short.bin").string());
    EXPECT_TRUE(equalUpToPadding(data, kept, 1024)) << kept.size() << " bytes";
}

TEST_F(BatchReceiveTest, AbsurdLengthIsRefusedBeforeAnyFileIsCreated) {
    for (const char *length : {"99999999999999999999999", "2147483648"}) {
        recorder.clear();
        EXPECT_EQ(receiveFile(std::string("big.bin") + std::string(1, '\0') + length + " 0",
                              patternBytes(2048, 23)), -1) << length;
        EXPECT_EQ(COMMErrnoGet(port.handle()), KORLINK_STATUS_FILE_FAILED);
        EXPECT_TRUE(filesWritten().empty());
        EXPECT_TRUE(recorder.contains(KORLINK_STATUS_FILE_FAILED, 0));
    }
}

TEST_F(BatchReceiveTest, LengthThatIsNotANumberKeepsWholeBlocks) {
    std::vector<uint8_t> data = patternBytes(1500, 24);
    EXPECT_EQ(receiveFile(std::string("odd.bin") + std::string(1, '\0') + "15x0 0", data), 0);
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_FILE_LENGTH, -1));
    EXPECT_TRUE(equalUpToPadding(data, readFile((receiveDir / "odd.bin").string()), 1024));
}

TEST_F(BatchReceiveTest, AnnouncedLengthCutsThePaddingAndTimeIsOctal) {
    std::vector<uint8_t> data = patternBytes(3000, 25);
    EXPECT_EQ(receiveFile(std::string("exact.bin") + std::string(1, '\0') + "3000 17 100644", data), 0);
    EXPECT_EQ(readFile((receiveDir / "exact.bin").string()), data);
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_FILE_LENGTH, 3000));
    EXPECT_TRUE(recorder.contains(KORLINK_STATUS_FILE_TIME, 15));
}

TEST_F(BatchReceiveTest, RenameRuleKeepsTheExistingFile) {
    writeFile((receiveDir / "keep.txt").string(), {1, 2, 3});
    writeFile((receiveDir / "keep.DL0").string(), {4});
    COMMXMODEMSet(port.handle(), KORLINK_XMODEM_RENAME, 1);
    std::vector<uint8_t> data = patternBytes(700, 26);
    EXPECT_EQ(receiveFile(std::string("keep.txt") + std::string(1, '\0') + "700 0", data), 0);
    EXPECT_EQ(readFile((receiveDir / "keep.txt").string()), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(readFile((receiveDir / "keep.DL1").string()), data);
    EXPECT_EQ(recorder.paramsOf(KORLINK_STATUS_RENAMED).size(), 1u);
}

}  // namespace
