// The shared status table: every code the library names has a row, no code
// has two, and each kind of wording makes the line the front ends print
// (the window's own lines are checked in tests/app/retrieval).
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "common/status_words.h"

using namespace korlink::common;

namespace {

TEST(StatusTable, EveryNamedCodeHasOneRow) {
    const int32_t named[] = {
        KORLINK_OK, KORLINK_E_TIMEOUT, KORLINK_E_NULL_PORT, KORLINK_E_BAD_ARG2, KORLINK_E_BAD_ARG3,
        KORLINK_E_REGISTERED, KORLINK_E_CARRIER_LOST, KORLINK_E_FILE, KORLINK_E_DEVICE, KORLINK_E_NO_MEMORY,
        KORLINK_E_LOCKED, KORLINK_E_CANCELLED, KORLINK_STATUS_BAD_BLOCK_NUMBER, KORLINK_STATUS_BAD_CHECK,
        KORLINK_STATUS_FILE_FAILED, KORLINK_STATUS_FILE_TIME, KORLINK_STATUS_FILE_CLOSED, KORLINK_STATUS_FILE_NAME,
        KORLINK_STATUS_BYTE_COUNT, KORLINK_STATUS_RENAMED, KORLINK_STATUS_FILE_LENGTH, KORLINK_STATUS_FILE_OPENING,
        KORLINK_STATUS_UNEXPECTED_BYTE, KORLINK_STATUS_TIMEOUT, KORLINK_STATUS_DATA_ROOM,
        KORLINK_STATUS_REMOTE_CANCEL, KORLINK_STATUS_NAK_RECEIVED, KORLINK_STATUS_ACK_SENT, KORLINK_STATUS_NAK_SENT,
        KORLINK_STATUS_TRANSFER_END, KORLINK_STATUS_SEND_START, KORLINK_STATUS_KERMIT_ABORT,
        KORLINK_STATUS_KERMIT_BREAK, KORLINK_STATUS_KERMIT_DATA, KORLINK_STATUS_KERMIT_ERROR,
        KORLINK_STATUS_KERMIT_FILE, KORLINK_STATUS_KERMIT_SEND_INIT, KORLINK_STATUS_KERMIT_EOF};
    for (int32_t code : named)
        EXPECT_NE(statusRow(code), nullptr) << code;
    std::set<int32_t> seen;
    for (const StatusRow &row : statusRows())
        EXPECT_TRUE(seen.insert(row.code).second) << "two rows for " << row.code;
}

TEST(StatusTable, EveryResultCodeHasAMeaning) {
    // What korlink-xfer can print as a result or last error.
    const int32_t results[] = {KORLINK_OK, KORLINK_E_TIMEOUT, KORLINK_E_NULL_PORT, KORLINK_E_BAD_ARG2,
                               KORLINK_E_BAD_ARG3, KORLINK_E_REGISTERED, KORLINK_E_CARRIER_LOST, KORLINK_E_FILE,
                               KORLINK_E_DEVICE, KORLINK_E_NO_MEMORY, KORLINK_E_LOCKED, KORLINK_E_CANCELLED,
                               KORLINK_STATUS_FILE_FAILED, KORLINK_STATUS_TIMEOUT, KORLINK_STATUS_REMOTE_CANCEL};
    for (int32_t code : results) {
        const StatusRow *row = statusRow(code);
        ASSERT_NE(row, nullptr) << code;
        EXPECT_NE(row->meaning, nullptr) << code;
    }
}

const char *const kName = "EVENTS.BIN";
const intptr_t kNameAddress = reinterpret_cast<intptr_t>(kName);

struct Line {
    const char *name;
    int32_t code;
    intptr_t param;
    bool sending;
    std::optional<std::string> text;  // korlink-xfer's line; nothing: no line
};

void PrintTo(const Line &l, std::ostream *out) { *out << l.name; }

class XferLines : public testing::TestWithParam<Line> {};

// korlink-xfer's words for one side: the received column unless the sent
// one has words of its own.
TEST_P(XferLines, ReadAsTheToolPrintsThem) {
    const Line &l = GetParam();
    const StatusRow *row = statusRow(l.code);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(wordingText(sideWording(row->received, row->sent, l.sending), l.param), l.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, XferLines,
    testing::Values(Line{"NumberBefore", KORLINK_STATUS_ACK_SENT, 128, false, "ACK sent at byte 128"},
                    Line{"NumberBetween", KORLINK_STATUS_FILE_FAILED, 28, false, "I/O error writing to disk (28)"},
                    Line{"TimeoutReceiving", KORLINK_STATUS_TIMEOUT, 3, false, "Time-out, retry 3"},
                    Line{"TimeoutSending", KORLINK_STATUS_TIMEOUT, 3, true, "No answer, attempt 3"},
                    Line{"SentFallsBackToReceived", KORLINK_STATUS_REMOTE_CANCEL, 0, true, "Remote cancelled"},
                    Line{"OpeningSending", KORLINK_STATUS_FILE_OPENING, kNameAddress, true, "Sending EVENTS.BIN"},
                    Line{"OpeningReceiving", KORLINK_STATUS_FILE_OPENING, kNameAddress, false, "Writing EVENTS.BIN"},
                    Line{"NullName", KORLINK_STATUS_FILE_NAME, 0, false, "File name: (none)"},
                    Line{"Date", KORLINK_STATUS_FILE_TIME, 1118838605, false, "File time: 2005-06-15 12:30:05"},
                    Line{"DateNotGiven", KORLINK_STATUS_FILE_TIME, 0, false, "File time: not given"},
                    Line{"Length", KORLINK_STATUS_FILE_LENGTH, 0, false, "File length: 0"},
                    Line{"LengthNotAnnounced", KORLINK_STATUS_FILE_LENGTH, -1, false, "File length: not announced"},
                    Line{"NegativeCode", KORLINK_E_CANCELLED, 4096, false, "Cancelled at byte 4096"},
                    Line{"Unworded", KORLINK_STATUS_KERMIT_DATA, 2, false, ""}),
    [](const testing::TestParamInfo<Line> &info) { return std::string(info.param.name); });

TEST(StatusTable, WindowWordingsOfEachKind) {
    EXPECT_EQ(wordingText(statusRow(KORLINK_STATUS_FILE_NAME)->window, kNameAddress), std::nullopt);
    EXPECT_EQ(wordingText(statusRow(KORLINK_STATUS_RENAMED)->window, 0), "Renamed incoming file to ");
    EXPECT_EQ(wordingText(statusRow(KORLINK_STATUS_ZMODEM_FRAME)->window, 4), "Received ZFILE");
    EXPECT_EQ(wordingText(statusRow(KORLINK_STATUS_ZMODEM_FRAME)->window, 20), std::nullopt);
    EXPECT_EQ(wordingText(statusRow(KORLINK_STATUS_KERMIT_FILE)->window, 5), "Packet 5 type: FILE HEADER");
}

TEST(StatusTable, DesignatedNamesAreReadUpToTheLimit) {
    const std::string longName(300, 'n');
    const Wording &wording = statusRow(KORLINK_STATUS_RENAMED)->received;
    EXPECT_EQ(wordingText(wording, reinterpret_cast<intptr_t>(longName.c_str())),
              "Renamed incoming file to " + longName.substr(0, 260));
}

TEST(RecognisedTable, SidesAndBlocks) {
    const RecognisedRow *eot = recognisedRow(0x04);
    ASSERT_NE(eot, nullptr);
    EXPECT_EQ(wordingText(eot->window, 0x04), "Final ACK Received");
    EXPECT_EQ(wordingText(sideWording(eot->received, eot->sent, true), 0x04), "End of file acknowledged");
    EXPECT_EQ(wordingText(sideWording(eot->received, eot->sent, false), 0x04), "End of file (EOT) received");
    for (intptr_t start : {KORLINK_START_CHECKSUM, KORLINK_START_CRC, KORLINK_START_BATCH_HEADER})
        EXPECT_NE(recognisedRow(start), nullptr) << start;
    EXPECT_TRUE(recognisedRow(0x01)->everyBlock);
    EXPECT_FALSE(recognisedRow(KORLINK_PROTO_XMODEM_1K)->everyBlock);
    EXPECT_EQ(recognisedRow(3), nullptr);
}

} // namespace
