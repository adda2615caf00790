#include <gtest/gtest.h>

#include "datafile/codes.h"
#include "datafile/records.h"
#include "test_data.h"

using namespace trelm;

namespace {

std::int32_t decode(std::uint8_t s0, std::uint8_t s1, std::uint8_t s2, std::uint8_t s3) {
    const std::uint8_t stored[4] = {s0, s1, s2, s3};
    return DecodeLong(stored);
}

} // namespace

TEST(DecodeLong, ReadsHighWordFirstEachWordLittleEndian) {
    EXPECT_EQ(decode(0x00, 0x00, 0x01, 0x00), 1);
    EXPECT_EQ(decode(0x01, 0x00, 0x00, 0x00), 0x10000);
    EXPECT_EQ(decode(0x34, 0x12, 0x78, 0x56), 0x12345678);
    EXPECT_EQ(decode(0x00, 0x80, 0x00, 0x00), INT32_MIN);
    EXPECT_EQ(decode(0xFF, 0x7F, 0xFF, 0xFF), INT32_MAX);
    EXPECT_EQ(decode(0xFF, 0xFF, 0xFF, 0xFF), -1);
    EXPECT_EQ(decode(0xFF, 0xFF, 0xFE, 0xFF), -2);
}

TEST(DecodeLong, InvertsTheStoredOrderAcrossTheWholeRange) {
    // A stride prime to 2^32 visits patterns in every byte position and sign.
    testdata::Bytes stored(4);
    std::uint32_t bits = 0;
    for (int i = 0; i < 2000000; ++i, bits += 2654435761u) {
        const auto value = static_cast<std::int32_t>(bits);
        testdata::putLong(stored, 0, value);
        ASSERT_EQ(DecodeLong(stored.data()), value) << std::hex << bits;
        // The big-endian reading of the bytes as the sampler sent them.
        const std::uint32_t sent = std::uint32_t{stored[1]} << 24 | std::uint32_t{stored[0]} << 16 |
                                   std::uint32_t{stored[3]} << 8 | stored[2];
        ASSERT_EQ(sent, bits);
    }
}

TEST(Records, EventFieldsAreReadFromTheirOffsets) {
    testdata::EventBuilder builder;
    builder.status(5).start(1118838605).stop(-7).elapse(86400).config(9);
    builder.extremes(13, -23, -100, 111, 305, 222).canister(4, 10080, 125, 1667, 12);
    builder.filterWarning(8, 333).maxDt(7, 42, 444).elapseWarning(82800).flowWarning(5, 1500, 555);
    builder.powerFailure(9, 666).logAddresses(16384, 114614);
    const EventRecord event = parseEventRecord(builder.bytes());
    EXPECT_EQ(event.status, 5);
    EXPECT_EQ(event.start, 1118838605);
    EXPECT_EQ(event.stop, -7);
    EXPECT_EQ(event.elapse, 86400);
    EXPECT_EQ(event.samplerConfig, 9);
    EXPECT_EQ(event.stats[13].average, -23);
    EXPECT_EQ(event.stats[13].minimum, -100);
    EXPECT_EQ(event.stats[13].minimumTime, 111);
    EXPECT_EQ(event.stats[13].maximum, 305);
    EXPECT_EQ(event.stats[13].maximumTime, 222);
    EXPECT_EQ(event.stats[11].volume, 10080);
    EXPECT_EQ(event.stats[11].cv, 125);
    EXPECT_EQ(event.stats[11].average, 1667);
    EXPECT_EQ(event.stats[11].stdDev, 12);
    EXPECT_EQ(event.filterTemperatureWarning[7], 333);
    EXPECT_EQ(event.maxDt[6], 42);
    EXPECT_EQ(event.maxDtTime[6], 444);
    EXPECT_EQ(event.elapseWarning, 82800);
    EXPECT_EQ(event.flowWarning[4], 1500);
    EXPECT_EQ(event.flowWarningTime[4], 555);
    EXPECT_EQ(event.powerFailures[9], 666);
    EXPECT_EQ(event.firstLogAddress, 16384);
    EXPECT_EQ(event.lastLogAddress, 114614);
}

TEST(Records, LogFieldsAreReadFromTheirOffsets) {
    testdata::LogRow row;
    row.time = 1118838605;
    row.filter = {1, 2, 3, 4, 5, 6, 7, -8};
    row.flow = {100, 200, 300, 400, 500};
    row.ambient = -23;
    row.pressure = 761;
    row.pumpBox = 345;
    const LogRecord record = parseLogRecord(testdata::logRecordBytes(row));
    EXPECT_EQ(record.time, row.time);
    EXPECT_EQ(record.filterTemperature, row.filter);
    EXPECT_EQ(record.flow, row.flow);
    EXPECT_EQ(record.ambientTemperature, -23);
    EXPECT_EQ(record.ambientPressure, 761);
    EXPECT_EQ(record.pumpBoxTemperature, 345);
}

TEST(Codes, NamesModelsFirmwareAndStatus) {
    EXPECT_EQ(ModelName(0), "TRELM");
    EXPECT_EQ(ModelName(1), "Super TRELM");
    EXPECT_EQ(ModelName(-1), "Super TRELM");
    EXPECT_EQ(FirmwareText(0x0102), "1.2");
    EXPECT_EQ(FirmwareText(0x010A), "1.A");
    EXPECT_EQ(FirmwareText(0x0000), "0.0");
    EXPECT_EQ(FirmwareText(static_cast<std::int16_t>(0xFF01)), "FF.1");
    const char *names[] = {"Bogas", "Waiting", "Starting", "Sampling", "Stopping", "Finished", "Bogas"};
    for (int code = 0; code <= 6; ++code)
        EXPECT_EQ(StatusName(code), names[code]) << code;
    EXPECT_EQ(StatusName(-1), "Bogas");
}

namespace {

std::vector<int> labels(const ActiveChannels &channels) {
    std::vector<int> result;
    for (const Canister &c : channels.canisters)
        result.push_back(c.label);
    return result;
}

std::vector<int> slots(const ActiveChannels &channels) {
    std::vector<int> result;
    for (const Canister &c : channels.canisters)
        result.push_back(c.slot);
    return result;
}

} // namespace

TEST(Codes, EightChannelConfigurationsSelectFiltersAndSharedSlots) {
    const std::vector<std::vector<int>> filters = {{1}, {2}, {3}, {4}, {1, 2}, {3, 4}, {5, 6}, {7, 8},
                                                   {1, 2, 3}, {5, 6, 7}, {1, 2, 3, 4}, {5, 6, 7, 8}};
    for (int code = 0; code < 12; ++code) {
        const ActiveChannels channels = activeChannels(1, code);
        EXPECT_EQ(channels.filters, filters[code]) << code;
        EXPECT_EQ(labels(channels), filters[code]) << code;
    }
    EXPECT_EQ(slots(activeChannels(1, 9)), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(slots(activeChannels(1, 7)), (std::vector<int>{3, 4}));
    EXPECT_EQ(slots(activeChannels(1, 3)), (std::vector<int>{4}));
    for (int code : {-1, 12, 32767}) {
        EXPECT_TRUE(activeChannels(1, code).filters.empty()) << code;
        EXPECT_TRUE(activeChannels(1, code).canisters.empty()) << code;
    }
}

TEST(Codes, FiveChannelConfigurationsSelectLeadingCanisters) {
    for (int code = 0; code < 5; ++code) {
        const ActiveChannels channels = activeChannels(0, code);
        EXPECT_EQ(channels.filters, std::vector<int>{1});
        ASSERT_EQ(channels.canisters.size(), static_cast<std::size_t>(code + 1));
        EXPECT_EQ(channels.canisters.back().slot, code + 1);
        EXPECT_EQ(channels.canisters.back().label, code + 1);
    }
    EXPECT_TRUE(activeChannels(0, 5).filters.empty());
    EXPECT_TRUE(activeChannels(0, -1).canisters.empty());
}
