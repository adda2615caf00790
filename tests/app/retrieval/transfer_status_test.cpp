// The status callback's lines: the message table, the codes that add no
// line, the byte counter, and the order a normal data block produces.
#include <gtest/gtest.h>
#include <optional>

#include "case_name.h"
#include "recording_ui.h"
#include "retrieval/transfer_status.h"

using trelm::retrieval::statusMessage;

namespace {

struct Message {
    const char *name;
    std::int32_t status;
    std::intptr_t param;
    std::optional<std::string> line; // nothing: no line at all
};

std::ostream &operator<<(std::ostream &out, const Message &c) { return out << c.name; }

const char *const kName = "EVENTS.BIN";

class StatusMessages : public testing::TestWithParam<Message> {};

TEST_P(StatusMessages, MapToTheirLine) {
    const Message &m = GetParam();
    EXPECT_EQ(statusMessage(m.status, m.param), m.line) << m.status << " " << m.param;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusMessages,
    testing::Values(Message{"Successful", 0, 0, "File Transfer Successful"},
                    Message{"FinalAck", 105, 4, "Final ACK Received"},
                    Message{"RecognisedOtherThanFinalAck", 105, 1, ""},
                    Message{"ZmodemFirstFrame", 110, 0, "Received ZRQINIT"},
                    Message{"ZmodemLastFrame", 110, 19, "Received ZSTDERR"},
                    Message{"ZmodemFrameAboveRange", 110, 20, std::nullopt},
                    Message{"ZmodemFrameBelowRange", 110, -1, std::nullopt},
                    Message{"SeqNumber", 3045, 7, "Received SEQ number 7"},
                    Message{"BadBlockNumber", 4001, 256, "Bad Packet Number"},
                    Message{"BadCheck", 4002, 0, "CRC Error"},
                    Message{"ResumeAt", 4004, 1024, "Attempting Download Resume at 1024 bytes"},
                    Message{"RenamedTo", 4012, reinterpret_cast<std::intptr_t>(kName),
                            "Renamed incoming file to EVENTS.BIN"},
                    Message{"RenamedToNoName", 4012, 0, "Renamed incoming file to "},
                    Message{"RemoteDidNotStart", 4016, 3, "Remote did not Start. Attempt 3"},
                    Message{"Calibrating", 4022, 512, "At 512 bytes. Calibrating..."},
                    Message{"AckSent", 4023, 128, "ACK Packet Sent"},
                    Message{"WindowSize", 4026, 8, "Window Size 8"},
                    Message{"EndOfFile", 4027, 1, "End of Transfer of This File"},
                    Message{"KermitAbort", 4096, 2, "Packet 2 type: ABORT"},
                    Message{"KermitEndOfFile", 4102, 9, "Packet 9 type: END-OF-FILE"},
                    Message{"UserCancelled", -123, 4096, "User cancelled"},
                    Message{"ConnectionLost", -112, 640, "Connection lost at 640 bytes"},
                    Message{"UnknownCodeEmptyLine", 4007, 0, ""},
                    Message{"FileTimeNoLine", 4006, 0, std::nullopt},
                    Message{"FileNameNoLine", 4008, 0, std::nullopt},
                    Message{"ByteCountNoLine", 4009, 128, std::nullopt},
                    Message{"ByteCount4010NoLine", 4010, 0, std::nullopt},
                    Message{"ByteCount4011NoLine", 4011, 0, std::nullopt},
                    Message{"FileLengthNoLine", 4013, 114688, std::nullopt}),
    testsupport::CaseName());

TEST(TransferLog, ADataBlockAddsTraceLinesItsMessagesAndTheCount) {
    RecordingUi ui;
    trelm::retrieval::RetrievalUi roles = ui.roles();
    trelm::retrieval::TransferLog log(roles);
    PortHandle port = reinterpret_cast<PortHandle>(std::intptr_t{4660});
    trelm::retrieval::X_Status(port, 4009, 0);
    EXPECT_EQ(ui.bytes, 0);
    for (const auto &[status, param] : {std::pair{105, 1}, {4023, 128}, {4009, 128}, {4013, 1000}})
        trelm::retrieval::X_Status(port, status, param);
    EXPECT_EQ(ui.log, (std::vector<std::string>{"X_Status: hP=4660 nStatus=4009 dwParm=0",
                                                 "X_Status: hP=4660 nStatus=105 dwParm=1", "",
                                                 "X_Status: hP=4660 nStatus=4023 dwParm=128", "ACK Packet Sent",
                                                 "X_Status: hP=4660 nStatus=4009 dwParm=128",
                                                 "X_Status: hP=4660 nStatus=4013 dwParm=1000"}));
    EXPECT_EQ(ui.bytes, 128);
    EXPECT_EQ(log.announcedLength(), 1000);
}

TEST(TransferLog, ReportsOutsideAReceiveGoNowhere) {
    RecordingUi ui;
    trelm::retrieval::RetrievalUi roles = ui.roles();
    { trelm::retrieval::TransferLog log(roles); }
    EXPECT_EQ(trelm::retrieval::X_Status(nullptr, 4023, 128), 0);
    EXPECT_TRUE(ui.log.empty());
}

} // namespace
