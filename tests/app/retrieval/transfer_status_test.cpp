// The status callback's lines: the message table, the codes that add no
// line, the byte counter, and the order a normal data block produces.
#include <gtest/gtest.h>
#include <optional>

#include "recording_ui.h"
#include "retrieval/transfer_status.h"

using trelm::retrieval::statusMessage;

namespace {

struct Message {
    std::int32_t status;
    std::intptr_t param;
    std::optional<std::string> line; // nothing: no line at all
};

const char *const kName = "EVENTS.BIN";

void PrintTo(const Message &m, std::ostream *out) { *out << (m.line ? "\"" + *m.line + "\"" : "no line"); }

// "Status4012_Param0", "StatusMinus123_Param4096"; the parameter that holds
// the address of a file name is named "Name".
std::string caseName(const Message &m) {
    auto number = [](long long value) { return (value < 0 ? "Minus" : "") + std::to_string(value < 0 ? -value : value); };
    std::string param = m.param == reinterpret_cast<std::intptr_t>(kName) ? "Name" : "Param" + number(m.param);
    return "Status" + number(m.status) + "_" + param;
}

class StatusMessages : public testing::TestWithParam<Message> {};

TEST_P(StatusMessages, MapToTheirLine) {
    const Message &m = GetParam();
    EXPECT_EQ(statusMessage(m.status, m.param), m.line) << m.status << " " << m.param;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusMessages,
    testing::Values(Message{0, 0, "File Transfer Successful"}, Message{105, 4, "Final ACK Received"},
                    Message{105, 1, ""}, Message{110, 0, "Received ZRQINIT"}, Message{110, 19, "Received ZSTDERR"},
                    Message{110, 20, std::nullopt}, Message{110, -1, std::nullopt},
                    Message{3045, 7, "Received SEQ number 7"}, Message{4001, 256, "Bad Packet Number"},
                    Message{4002, 0, "CRC Error"}, Message{4004, 1024, "Attempting Download Resume at 1024 bytes"},
                    Message{4012, reinterpret_cast<std::intptr_t>(kName), "Renamed incoming file to EVENTS.BIN"},
                    Message{4012, 0, "Renamed incoming file to "}, Message{4016, 3, "Remote did not Start. Attempt 3"},
                    Message{4022, 512, "At 512 bytes. Calibrating..."}, Message{4023, 128, "ACK Packet Sent"},
                    Message{4026, 8, "Window Size 8"}, Message{4027, 1, "End of Transfer of This File"},
                    Message{4096, 2, "Packet 2 type: ABORT"}, Message{4102, 9, "Packet 9 type: END-OF-FILE"},
                    Message{-123, 4096, "User cancelled"}, Message{-112, 640, "Connection lost at 640 bytes"},
                    Message{4007, 0, ""}, Message{4006, 0, std::nullopt}, Message{4008, 0, std::nullopt},
                    Message{4009, 128, std::nullopt}, Message{4010, 0, std::nullopt},
                    Message{4011, 0, std::nullopt}, Message{4013, 114688, std::nullopt}),
    [](const testing::TestParamInfo<Message> &info) { return caseName(info.param); });

TEST(TransferLog, ADataBlockAddsTraceLinesItsMessagesAndTheCount) {
    RecordingUi ui;
    trelm::retrieval::TransferLog log(ui);
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
    { trelm::retrieval::TransferLog log(ui); }
    EXPECT_EQ(trelm::retrieval::X_Status(nullptr, 4023, 128), 0);
    EXPECT_TRUE(ui.log.empty());
}

} // namespace
