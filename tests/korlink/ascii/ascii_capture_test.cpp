// ASCII capture: freceive protocol 100 on a pty pair, its reports, the end
// character, silence, the rename rule, carrier loss; korlink-xfer capturing
// to a file and sending one.
#include "case_name.h"
#include "wait_until.h"
#include "xfer_fixture.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

class AsciiCapture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(COMMASCIISet(port(), KORLINK_ASCII_TIMEOUT_MS, 300), 0);  // 300 ms of silence ends a capture
    }

    PortHandle port() { return m_port.handle(); }

    // The peer sends `bytes`; returns once the port can read them all.
    void peerSends(const std::string &bytes) {
        m_port.line().send(bytes);
        testsupport::waitUntil([&] { return c_rxcount(port()) >= static_cast<int>(bytes.size()); }, 2s);
        ASSERT_EQ(c_rxcount(port()), static_cast<int>(bytes.size()));
    }

    int16_t capture() { return freceive(port(), KORLINK_PROTO_ASCII, 4096, StatusRecorder::callback, 0); }

    TempDir m_dir;
    ScopedWorkingDir m_cwd{m_dir.path()};
    OpenPort m_port;
};

struct CaptureCase {
    const char *name;
    std::string sent;
    int16_t endChar;
    std::string stored;
    int16_t leftOver;                 // what c_getc gives after the capture
    std::vector<intptr_t> counts;     // KORLINK_STATUS_BYTE_COUNT reports
    std::vector<intptr_t> silences;   // KORLINK_STATUS_TIMEOUT reports
};

void PrintTo(const CaptureCase &c, std::ostream *out) { *out << c.name; }

class AsciiCaptureCase : public AsciiCapture, public ::testing::WithParamInterface<CaptureCase> {};

TEST_P(AsciiCaptureCase, StoresWhatArrivesUntilTheEnd) {
    const CaptureCase &c = GetParam();
    COMMASCIISet(port(), KORLINK_ASCII_END_CHAR, c.endChar);
    if (!c.sent.empty()) peerSends(c.sent);
    EXPECT_EQ(capture(), 0);
    EXPECT_EQ(COMMErrnoGet(port()), 0);
    EXPECT_EQ(readText(m_dir / "temp0000.$$$"), c.stored);
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_BYTE_COUNT), c.counts);
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_TIMEOUT), c.silences);
    EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_STATUS_FILE_CLOSED, 0));
    COMMRxXlatSet(port(), KORLINK_RX_TIMEOUT_MS, 0);
    EXPECT_EQ(c_getc(port()), c.leftOver);
}

std::string bytes600() {
    std::string text;
    for (int i = 0; i < 600; ++i) text += static_cast<char>('a' + i % 26);
    return text;
}

INSTANTIATE_TEST_SUITE_P(Cases, AsciiCaptureCase, ::testing::Values(
    CaptureCase{"Silence", "", -1, "", KORLINK_E_TIMEOUT, {}, {0}},
    CaptureCase{"EndCharacter", std::string("AB\x1A" "C"), 26, std::string("AB\x1A"), 'C', {}, {}},
    CaptureCase{"SixHundredBytes", bytes600(), -1, bytes600(), KORLINK_E_TIMEOUT, {256, 512}, {600}},
    CaptureCase{"AllByteValues", std::string("\0\xff\r\n\x11\x13", 6), -1, std::string("\0\xff\r\n\x11\x13", 6),
                KORLINK_E_TIMEOUT, {}, {6}}),
    testsupport::CaseName());

TEST_F(AsciiCapture, ReportsNameOpeningSilenceAndClose) {
    EXPECT_EQ(capture(), 0);
    std::vector<Report> expected = {{KORLINK_STATUS_FILE_OPENING, 0, "temp0000.$$$"},
                                    {KORLINK_STATUS_TIMEOUT, 0, ""},
                                    {KORLINK_STATUS_FILE_CLOSED, 0, ""}};
    std::vector<Report> got = StatusRecorder::instance().reports();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].status, expected[i].status);
        EXPECT_EQ(got[i].name, expected[i].name);
    }
}

TEST_F(AsciiCapture, RenameKeepsTheExistingFile) {
    writeFile(m_dir / "temp0000.$$$", {'o', 'l', 'd'});
    COMMASCIISet(port(), KORLINK_ASCII_RENAME, 1);
    peerSends("new text");
    EXPECT_EQ(capture(), 0);
    EXPECT_EQ(readText(m_dir / "temp0000.$$$"), "old");
    EXPECT_EQ(readText(m_dir / "temp0000.DL0"), "new text");
    auto reports = StatusRecorder::instance().reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports[0].status, KORLINK_STATUS_RENAMED);
    EXPECT_EQ(reports[0].name, "temp0000.DL0");
}

TEST_F(AsciiCapture, NoFreeRenameCandidateCapturesNothing) {
    writeFile(m_dir / "temp0000.$$$", {'o'});
    for (char digit = '0'; digit <= '9'; ++digit) writeFile(m_dir / (std::string("temp0000.DL") + digit), {'d'});
    COMMASCIISet(port(), KORLINK_ASCII_RENAME, 1);
    peerSends("data");
    EXPECT_EQ(capture(), -1);
    EXPECT_EQ(COMMErrnoGet(port()), KORLINK_E_FILE);
    EXPECT_EQ(readText(m_dir / "temp0000.DL9"), "d");
    EXPECT_EQ(c_rxcount(port()), 4);  // the data is still there for the host
}

// A background capture holds the port (its settings cannot change under
// it) and leaves its outcome in the port's last error.
TEST_F(AsciiCapture, RunsInTheBackground) {
    COMMASCIISet(port(), KORLINK_ASCII_TIMEOUT_MS, 5000);
    COMMASCIISet(port(), KORLINK_ASCII_END_CHAR, '.');
    ASSERT_EQ(freceive(port(), KORLINK_PROTO_ASCII, 4096, StatusRecorder::callback, 1), 0);
    EXPECT_EQ(COMMASCIISet(port(), KORLINK_ASCII_END_CHAR, -1), KORLINK_E_LOCKED);
    m_port.line().send("in the background.");
    testsupport::waitUntil([&] { return COMMPortGet(port(), KORLINK_PORT_LOCKED) == 0; }, 10s);
    ASSERT_EQ(COMMPortGet(port(), KORLINK_PORT_LOCKED), 0);
    EXPECT_EQ(COMMErrnoGet(port()), 0);
    EXPECT_EQ(readText(m_dir / "temp0000.$$$"), "in the background.");
}

TEST_F(AsciiCapture, SettingsItems) {
    EXPECT_EQ(COMMASCIIGet(port(), KORLINK_ASCII_TIMEOUT_MS), 300);
    EXPECT_EQ(COMMASCIIGet(port(), KORLINK_ASCII_END_CHAR), -1);
    EXPECT_EQ(COMMASCIIGet(port(), KORLINK_ASCII_RENAME), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMASCIIGet(port(), KORLINK_ASCII_FILE_NAME)), "temp0000.$$$");
    ASSERT_EQ(COMMASCIISet(port(), KORLINK_ASCII_FILE_NAME, reinterpret_cast<intptr_t>("capture.txt")), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMASCIIGet(port(), KORLINK_ASCII_FILE_NAME)), "capture.txt");
    COMMReportHookSet([](const char *, const char *) {});
    EXPECT_EQ(COMMASCIISet(port(), 999, 1), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(COMMASCIIGet(port(), 999), KORLINK_E_BAD_ARG2);
    COMMReportHookSet(nullptr);
    ASSERT_EQ(COMMASCIISet(port(), KORLINK_ASCII_FREE, 0), 0);
    EXPECT_EQ(COMMASCIIGet(port(), KORLINK_ASCII_TIMEOUT_MS), -1);
    EXPECT_EQ(COMMASCIISet(nullptr, KORLINK_ASCII_CREATE, 0), KORLINK_E_NULL_PORT);
}

// ----------------------------------------------------------- carrier loss

struct CarrierCase {
    const char *name;
    bool portWatch;       // transmit item 111
    bool recordWatch;     // ASCII item 111 set by the host
    int16_t result;
    int32_t lastError;
};

void PrintTo(const CarrierCase &c, std::ostream *out) { *out << c.name; }

class AsciiCarrier : public ::testing::TestWithParam<CarrierCase> {};

// Carrier detect comes from a lines folder (the pty has none). The bytes that
// came before the loss are stored; the capture then ends with
// KORLINK_E_CARRIER_LOST when either carrier watch is on.
TEST_P(AsciiCarrier, CarrierLossEndsTheCapture) {
    const CarrierCase &c = GetParam();
    TempDir dir;
    ScopedWorkingDir cwd(dir.path());
    TempDir lines;
    writeFile(lines.path() / "CD", {'0'});
    setenv(("KORLINK_LINES" + std::to_string(testCom)).c_str(), lines.path().c_str(), 1);
    OpenPort open;
    unsetenv(("KORLINK_LINES" + std::to_string(testCom)).c_str());
    PortHandle port = open.handle();
    COMMTxXlatSet(port, KORLINK_TX_CARRIER_WATCH, c.portWatch);
    COMMASCIISet(port, KORLINK_ASCII_TIMEOUT_MS, 300);
    if (c.recordWatch) COMMASCIISet(port, KORLINK_ASCII_CARRIER_WATCH, 1);
    open.line().send("hello");
    testsupport::waitUntil([&] { return c_rxcount(port) >= 5; }, 2s);
    EXPECT_EQ(freceive(port, KORLINK_PROTO_ASCII, 4096, StatusRecorder::callback, 0), c.result);
    EXPECT_EQ(COMMErrnoGet(port), c.lastError);
    EXPECT_EQ(readText(dir / "temp0000.$$$"), "hello");
    if (c.lastError == KORLINK_E_CARRIER_LOST) {
        EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_E_CARRIER_LOST, 5));
    }
    EXPECT_EQ(COMMTxXlatGet(port, KORLINK_TX_CARRIER_WATCH), c.portWatch ? 1 : 0);  // the port's watch is put back
}

INSTANTIATE_TEST_SUITE_P(Watches, AsciiCarrier, ::testing::Values(
    CarrierCase{"PortWatch", true, false, -1, KORLINK_E_CARRIER_LOST},
    CarrierCase{"RecordWatch", false, true, -1, KORLINK_E_CARRIER_LOST},
    CarrierCase{"NoWatch", false, false, 0, 0}),
    testsupport::CaseName());

// ------------------------------------------------------------ korlink-xfer

TEST(AsciiTool, ReceiveProtocol100CapturesToAFile) {
    constexpr int toolCom = 11;
    testsupport::PtyPair line;
    TempDir dir;
    line.send("line one\r\nline two\r\n");
    std::string command = "KORLINK_COM" + std::to_string(toolCom) + "=" + line.slavePath() + " " + XFER_TOOL +
                          " receive --port 11 --protocol 100 --timeout 300 --dir " + dir.path().string() +
                          " > " + (dir / "out.txt").string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << readText(dir / "out.txt");
    EXPECT_EQ(readText(dir / "temp0000.$$$"), "line one\r\nline two\r\n");
}

// The send side: the file's bytes as they are, and the summary counts them.
TEST(AsciiTool, SendProtocol100PutsTheFileOnTheLine) {
    testsupport::PtyPair line;
    TempDir dir;
    writeFile(dir / "note.txt", {'h', 'i', '\r', '\n'});
    std::string command = std::string(XFER_TOOL) + " send --device " + line.slavePath() + " --protocol ascii " +
                          (dir / "note.txt").string() + " > " + (dir / "out.txt").string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << readText(dir / "out.txt");
    EXPECT_EQ(line.receive(5, 500ms), "hi\r\n");
    EXPECT_NE(readText(dir / "out.txt").find("\n1 file, 4 bytes in "), std::string::npos) << readText(dir / "out.txt");
}

}  // namespace
