// ASCII send (fsend protocol 100): the bytes on the wire under each
// line-ending mode, paced and unpaced; pacing that shows in the elapsed
// time; the reports; cancel; and whole files into the library's own capture
// and into `cat` at the far end of a socat null-modem cable.
#include "case_name.h"
#include "null_modem.h"
#include "wait_until.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

constexpr int16_t kQueue = 3;

// Sends `files` from the port with protocol 100 in the foreground.
int16_t sendFiles(PortHandle port, const std::vector<fs::path> &files, StatusCallback callback = StatusRecorder::callback) {
    for (const fs::path &file : files)
        if (fqueue(kQueue, file.c_str()) != 0) return -999;
    return fsend(port, kQueue, KORLINK_PROTO_ASCII, 4096, callback, 0);
}

std::string withEveryByte() {
    std::string text;
    for (int i = 0; i < 256; ++i) text += static_cast<char>(i);
    return text;
}

// ------------------------------------------------- the bytes on the wire

struct WireCase {
    std::string name;
    std::string file;
    int16_t lineEnding;
    int16_t endChar;
    std::string wire;     // what the far end receives
    bool paced;           // one millisecond after every byte
};

void PrintTo(const WireCase &c, std::ostream *out) { *out << c.name; }

// Every row runs unpaced and paced: the two output paths must agree.
std::vector<WireCase> wireCases() {
    std::vector<WireCase> rows = {
        {"bytes_as_they_are", withEveryByte(), KORLINK_EOL_UNCHANGED, -1, withEveryByte(), false},
        {"cr_to_crlf", "a\rb\nc", KORLINK_EOL_CR_TO_CRLF, -1, "a\r\nb\nc", false},
        {"lf_to_crlf", "one\ntwo\n", KORLINK_EOL_LF_TO_CRLF, -1, "one\r\ntwo\r\n", false},
        {"cr_to_lf", "a\rb\r\n", KORLINK_EOL_CR_TO_LF, -1, "a\nb\n\n", false},
        {"lf_to_cr", "a\nb", KORLINK_EOL_LF_TO_CR, -1, "a\rb", false},
        {"every_line_end_to_cr", "a\r\nb\nc\r", KORLINK_EOL_ALL_TO_CR, -1, "a\rb\rc\r", false},
        {"every_line_end_to_lf", "a\r\nb\rc\n", KORLINK_EOL_ALL_TO_LF, -1, "a\nb\nc\n", false},
        {"every_line_end_to_crlf", "a\rb\nc\r\nd", KORLINK_EOL_ALL_TO_CRLF, -1, "a\r\nb\r\nc\r\nd", false},
        {"cr_dropped", "a\r\nb\r", KORLINK_EOL_DROP_CR, -1, "a\nb", false},
        {"end_character_follows_the_file", "text", KORLINK_EOL_UNCHANGED, 26, "text\x1a", false},
        {"end_character_is_not_translated", "x\n", KORLINK_EOL_LF_TO_CR, '\n', "x\r\n", false},
        {"empty_file", "", KORLINK_EOL_UNCHANGED, -1, "", false},
    };
    size_t count = rows.size();
    for (size_t i = 0; i < count; ++i) {
        WireCase paced = rows[i];
        paced.name += "_paced";
        paced.paced = true;
        rows.push_back(paced);
    }
    return rows;
}

class AsciiSendWire : public ::testing::TestWithParam<WireCase> {};

TEST_P(AsciiSendWire, SendsTheTranslatedBytes) {
    const WireCase &c = GetParam();
    TempDir dir;
    OpenPort open;
    writeFile(dir / "file.txt", std::vector<uint8_t>(c.file.begin(), c.file.end()));
    ASSERT_EQ(COMMASCIISet(open.handle(), KORLINK_ASCII_LINE_ENDING, c.lineEnding), 0);
    ASSERT_EQ(COMMASCIISet(open.handle(), KORLINK_ASCII_END_CHAR, c.endChar), 0);
    ASSERT_EQ(COMMASCIISet(open.handle(), KORLINK_ASCII_CHAR_DELAY_MS, c.paced ? 1 : 0), 0);
    EXPECT_EQ(sendFiles(open.handle(), {dir / "file.txt"}), 0);
    EXPECT_EQ(COMMErrnoGet(open.handle()), 0);
    EXPECT_EQ(open.line().receive(c.wire.size() + 1, 300ms), c.wire);
    EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_STATUS_FILE_CLOSED, 1));
}

INSTANTIATE_TEST_SUITE_P(Modes, AsciiSendWire, ::testing::ValuesIn(wireCases()), testsupport::CaseName());

// ------------------------------------------------------------------ pacing

struct PacingCase {
    const char *name;
    std::string text;
    int32_t charDelayMs;
    int32_t lineDelayMs;
    int minimumMs;        // the pauses the send must take
    int maximumMs;        // well below one more pause per line than intended
};

void PrintTo(const PacingCase &c, std::ostream *out) { *out << c.name; }

class AsciiSendPacing : public ::testing::TestWithParam<PacingCase> {};

TEST_P(AsciiSendPacing, PausesShowInTheElapsedTime) {
    const PacingCase &c = GetParam();
    TempDir dir;
    OpenPort open;
    writeFile(dir / "lines.txt", std::vector<uint8_t>(c.text.begin(), c.text.end()));
    COMMASCIISet(open.handle(), KORLINK_ASCII_CHAR_DELAY_MS, c.charDelayMs);
    COMMASCIISet(open.handle(), KORLINK_ASCII_LINE_DELAY_MS, c.lineDelayMs);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sendFiles(open.handle(), {dir / "lines.txt"}), 0);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(elapsed.count(), c.minimumMs);
    EXPECT_LT(elapsed.count(), c.maximumMs);
    EXPECT_EQ(open.line().receive(c.text.size(), 2s), c.text);
}

std::string fiveLines() { return "line 1\nline 2\nline 3\nline 4\nline 5\n"; }

INSTANTIATE_TEST_SUITE_P(Delays, AsciiSendPacing, ::testing::Values(
    PacingCase{"unpaced", std::string(3000, 'x'), 0, 0, 0, 500},
    PacingCase{"line_delay_after_each_line", fiveLines(), 0, 120, 600, 1500},
    PacingCase{"char_delay_after_each_byte", std::string(25, 'c'), 20, 0, 500, 1500},
    // A CR LF pair is one line end: one pause, not two.
    PacingCase{"crlf_pair_pauses_once", "a\r\nb\r\n", 0, 300, 600, 850},
    PacingCase{"lone_cr_ends_a_line", "a\rb\rc", 0, 200, 400, 1000}),
    testsupport::CaseName());

// ----------------------------------------------------------------- reports

TEST(AsciiSendReports, NameSizeProgressEveryQuarterKilobyteAndTheEnd) {
    TempDir dir;
    OpenPort open;
    writeFile(dir / "six.txt", std::vector<uint8_t>(600, 'r'));
    EXPECT_EQ(sendFiles(open.handle(), {dir / "six.txt"}), 0);
    std::string name = (dir / "six.txt").string();
    std::vector<Report> got = StatusRecorder::instance().reports();
    ASSERT_EQ(got.size(), 11u);
    std::vector<std::pair<int32_t, intptr_t>> expected = {
        {KORLINK_STATUS_SEND_START, 1}, {KORLINK_STATUS_FILE_OPENING, 0}, {KORLINK_STATUS_FILE_NAME, 0},
        {KORLINK_STATUS_FILE_LENGTH, 600}, {KORLINK_STATUS_FILE_TIME, 0}, {KORLINK_STATUS_BYTE_COUNT, 0},
        {KORLINK_STATUS_BYTE_COUNT, 256}, {KORLINK_STATUS_BYTE_COUNT, 512}, {KORLINK_STATUS_BYTE_COUNT, 600},
        {KORLINK_STATUS_FILE_CLOSED, 1}, {KORLINK_STATUS_TRANSFER_END, 1}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(got[i].status, expected[i].first) << i;
        bool named = got[i].status == KORLINK_STATUS_FILE_OPENING || got[i].status == KORLINK_STATUS_FILE_NAME;
        bool timed = got[i].status == KORLINK_STATUS_FILE_TIME;
        if (named) {
            EXPECT_EQ(got[i].name, name) << i;
        } else if (!timed) {
            EXPECT_EQ(got[i].param, expected[i].second) << i;
        }
    }
}

// A cancel stops the send at once: the rest of the file never reaches the
// line, and no cancel sequence follows (every byte is data to the peer).
int cancelAtFirstProgress(PortHandle port, int32_t status, intptr_t param) {
    StatusRecorder::callback(port, status, param);
    if (status == KORLINK_STATUS_BYTE_COUNT && param >= 256) COMMXferCancel(port);
    return 0;
}

TEST(AsciiSendStops, CancelEndsTheSendWithWhatWentOut) {
    TempDir dir;
    OpenPort open;
    writeFile(dir / "long.txt", std::vector<uint8_t>(4096, 'k'));
    COMMASCIISet(open.handle(), KORLINK_ASCII_CHAR_DELAY_MS, 1);
    EXPECT_EQ(sendFiles(open.handle(), {dir / "long.txt"}, cancelAtFirstProgress), -1);
    EXPECT_EQ(COMMErrnoGet(open.handle()), KORLINK_E_CANCELLED);
    EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_E_CANCELLED, 256));
    EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_STATUS_FILE_CLOSED, 0));
    // At most the bytes before the cancel: the purge may take some of them too.
    std::string got = open.line().receive(4096, 500ms);
    EXPECT_LE(got.size(), 256u);
    EXPECT_EQ(got, std::string(got.size(), 'k'));
}

TEST(AsciiSendStops, UnreadableFileStopsTheQueueAfterTheFilesBeforeIt) {
    TempDir dir;
    OpenPort open;
    writeFile(dir / "first.txt", {'1'});
    writeFile(dir / "gone.txt", {'2'});
    writeFile(dir / "third.txt", {'3'});
    ASSERT_EQ(fqueue(kQueue, (dir / "first.txt").c_str()), 0);
    ASSERT_EQ(fqueue(kQueue, (dir / "gone.txt").c_str()), 0);
    ASSERT_EQ(fqueue(kQueue, (dir / "third.txt").c_str()), 0);
    fs::remove(dir / "gone.txt");
    EXPECT_EQ(fsend(open.handle(), kQueue, KORLINK_PROTO_ASCII, 4096, StatusRecorder::callback, 0), -1);
    EXPECT_EQ(COMMErrnoGet(open.handle()), KORLINK_E_FILE);
    EXPECT_EQ(open.line().receive(3, 300ms), "1");
    EXPECT_EQ(fsend(open.handle(), kQueue, KORLINK_PROTO_ASCII, 4096, nullptr, 0), KORLINK_E_FILE);  // used up
}

TEST(AsciiSendStops, RunsInTheBackground) {
    TempDir dir;
    OpenPort open;
    writeFile(dir / "bg.txt", std::vector<uint8_t>(2000, 'b'));
    ASSERT_EQ(fqueue(kQueue, (dir / "bg.txt").c_str()), 0);
    ASSERT_EQ(fsend(open.handle(), kQueue, KORLINK_PROTO_ASCII, 4096, StatusRecorder::callback, 1), 0);
    EXPECT_EQ(open.line().receive(2000, 5s), std::string(2000, 'b'));
    testsupport::waitUntil([&] { return COMMPortGet(open.handle(), KORLINK_PORT_LOCKED) == 0; }, 10s);
    ASSERT_EQ(COMMPortGet(open.handle(), KORLINK_PORT_LOCKED), 0);
    EXPECT_EQ(COMMErrnoGet(open.handle()), 0);
}

// ---------------------------------------------------------- settings items

struct ItemCase {
    const char *name;
    int16_t item;
    intptr_t value;
    int16_t result;
    intptr_t readBack;    // what Get gives afterwards
};

void PrintTo(const ItemCase &c, std::ostream *out) { *out << c.name; }

class AsciiSendItems : public ::testing::TestWithParam<ItemCase> {};

TEST_P(AsciiSendItems, SetAndReadBack) {
    const ItemCase &c = GetParam();
    OpenPort open;
    ASSERT_EQ(COMMASCIISet(open.handle(), KORLINK_ASCII_CREATE, 0), 0);
    EXPECT_EQ(COMMASCIISet(open.handle(), c.item, c.value), c.result);
    EXPECT_EQ(COMMASCIIGet(open.handle(), c.item), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(Items, AsciiSendItems, ::testing::Values(
    ItemCase{"line_ending_mode", KORLINK_ASCII_LINE_ENDING, KORLINK_EOL_ALL_TO_CRLF, 0, KORLINK_EOL_ALL_TO_CRLF},
    ItemCase{"line_ending_beyond_the_modes", KORLINK_ASCII_LINE_ENDING, 9, KORLINK_E_BAD_ARG3, 0},
    ItemCase{"line_ending_negative", KORLINK_ASCII_LINE_ENDING, -1, KORLINK_E_BAD_ARG3, 0},
    ItemCase{"line_delay", KORLINK_ASCII_LINE_DELAY_MS, 250, 0, 250},
    ItemCase{"line_delay_negative", KORLINK_ASCII_LINE_DELAY_MS, -5, KORLINK_E_BAD_ARG3, 0},
    ItemCase{"char_delay", KORLINK_ASCII_CHAR_DELAY_MS, 60000, 0, 60000},
    ItemCase{"char_delay_over_a_minute", KORLINK_ASCII_CHAR_DELAY_MS, 60001, KORLINK_E_BAD_ARG3, 0}),
    testsupport::CaseName());

// ------------------------------------------- into real receivers, whole files

struct PeerCase {
    const char *name;
    std::vector<uint8_t> content;
    int16_t endChar;      // set on both sides; -1: the capture ends at silence
};

void PrintTo(const PeerCase &c, std::ostream *out) { *out << c.name; }

std::vector<uint8_t> textLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + " of the text\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<PeerCase> peerCases() {
    return {{"text_lines_ended_by_the_end_character", textLines(400), 26},
            {"every_byte_value_ended_by_silence", allByteValues(8), -1},
            {"empty_file", {}, 26},
            {"large_pattern_file", patternBytes(100000, 77), -1}};
}

constexpr int kReceiverCom = 9;

// The library's capture on the far end of the cable, in the background.
class AsciiSendIntoCapture : public ::testing::TestWithParam<PeerCase> {};

TEST_P(AsciiSendIntoCapture, TheCaptureHoldsTheFile) {
    const PeerCase &c = GetParam();
    kermittest::NullModemCable cable(kermittest::cableCom);
    setenv(("KORLINK_COM" + std::to_string(kReceiverCom)).c_str(), cable.peerEnd().c_str(), 1);
    TempDir source, target;
    ScopedWorkingDir cwd(target.path());
    writeFile(source / "file.bin", c.content);
    PortHandle sender = COMMWinInit(kermittest::cableCom, 115200, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    PortHandle receiver = COMMWinInit(kReceiverCom, 115200, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(sender, nullptr);
    ASSERT_NE(receiver, nullptr);
    COMMASCIISet(receiver, KORLINK_ASCII_TIMEOUT_MS, 1000);
    COMMASCIISet(receiver, KORLINK_ASCII_END_CHAR, c.endChar);
    COMMASCIISet(sender, KORLINK_ASCII_END_CHAR, c.endChar);
    ASSERT_EQ(freceive(receiver, KORLINK_PROTO_ASCII, 4096, nullptr, 1), 0);
    EXPECT_EQ(sendFiles(sender, {source / "file.bin"}), 0);
    testsupport::waitUntil([&] { return COMMPortGet(receiver, KORLINK_PORT_LOCKED) == 0; }, 30s, 10ms);
    ASSERT_EQ(COMMPortGet(receiver, KORLINK_PORT_LOCKED), 0);
    EXPECT_EQ(COMMErrnoGet(receiver), 0);
    std::vector<uint8_t> expected = c.content;
    if (c.endChar >= 0) expected.push_back(static_cast<uint8_t>(c.endChar));
    EXPECT_EQ(readFile(target / "temp0000.$$$"), expected);
    COMMPortDeinit(sender, 0);
    COMMPortDeinit(receiver, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, AsciiSendIntoCapture, ::testing::ValuesIn(peerCases()), testsupport::CaseName());

// `cat` on the far end of a socat cable keeps every byte it is sent.
class AsciiSendIntoCat : public ::testing::TestWithParam<PeerCase> {};

TEST_P(AsciiSendIntoCat, CatKeepsEveryByte) {
    const PeerCase &c = GetParam();
    kermittest::NullModemCable cable(kermittest::cableCom);
    TempDir source, peerDir;
    writeFile(source / "file.bin", c.content);
    PeerProcess cat({"/bin/sh", "-c", "exec cat > got.bin"}, cable.peerEnd(), peerDir.path().string());
    testsupport::waitUntil([&] { return fs::exists(peerDir / "got.bin"); }, 10s, 10ms);
    PortHandle port = COMMWinInit(kermittest::cableCom, 115200, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(port, nullptr);
    COMMASCIISet(port, KORLINK_ASCII_END_CHAR, c.endChar);
    EXPECT_EQ(sendFiles(port, {source / "file.bin"}), 0);
    std::vector<uint8_t> expected = c.content;
    if (c.endChar >= 0) expected.push_back(static_cast<uint8_t>(c.endChar));
    auto size = [&] { std::error_code e; return fs::file_size(peerDir / "got.bin", e); };
    testsupport::waitUntil([&] { return size() >= expected.size(); }, 30s, 10ms);
    EXPECT_EQ(readFile(peerDir / "got.bin"), expected);
    COMMPortDeinit(port, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, AsciiSendIntoCat, ::testing::ValuesIn(peerCases()), testsupport::CaseName());

}  // namespace
