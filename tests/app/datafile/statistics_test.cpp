#include <gtest/gtest.h>

#include "datafile/statistics.h"
#include "test_data.h"

using namespace trelm;

TEST(Statistics, ScalingInsertsTheDecimalPointIntoTheStoredInteger) {
    EXPECT_EQ(formatScaled(125, 1), "12.5");
    EXPECT_EQ(formatScaled(10080, 3), "10.080");
    EXPECT_EQ(formatScaled(1667, 2), "16.67");
    EXPECT_EQ(formatScaled(-23, 1), "-2.3");
    EXPECT_EQ(formatScaled(-5, 1), "-0.5");
    EXPECT_EQ(formatScaled(0, 1), "0.0");
    EXPECT_EQ(formatScaled(7, 3), "0.007");
    EXPECT_EQ(formatScaled(-32768, 2), "-327.68");
    EXPECT_EQ(formatScaled(761, 0), "761");
    EXPECT_EQ(formatScaled(-4, 0), "-4");
}

TEST(Statistics, ChannelBlocksAndCanisterFigures) {
    testdata::EventBuilder builder;
    builder.canister(1, 10080, 125, 1667, 12).extremes(0, 215, 0, 0, 0, 0).extremes(7, 99, 0, 0, 0, 0);
    const EventRecord event = parseEventRecord(builder.bytes());
    const CanisterFigures figures = canisterFigures(canisterBlock(event, 1));
    EXPECT_EQ(figures.volume, "10.080");
    EXPECT_EQ(figures.cv, "12.5");
    EXPECT_EQ(figures.flow, "16.67");
    EXPECT_EQ(figures.stdDev, "0.12");
    EXPECT_EQ(filterBlock(event, 1).average, 215);
    EXPECT_EQ(filterBlock(event, 8).average, 99);
}

TEST(Statistics, WarningsCountOnlyWhatTheirRuleTests) {
    testdata::EventBuilder builder;
    builder.filterWarning(1, 0).filterWarning(2, 1000);
    builder.maxDt(1, 55, 0).maxDt(2, 32, 2000);          // filter 1: value but no time
    builder.flowWarning(1, 0, 3000).flowWarning(2, 1500, 0); // slot 1: time but no flow
    const EventRecord event = parseEventRecord(builder.bytes());
    EXPECT_FALSE(filterTemperatureWarning(event, 1));
    EXPECT_EQ(filterTemperatureWarning(event, 2)->time, 1000);
    EXPECT_FALSE(maxDtOf(event, 1));
    EXPECT_EQ(maxDtOf(event, 2)->value, "3.2");
    EXPECT_FALSE(flowWarningOf(event, 1));
    EXPECT_EQ(flowWarningOf(event, 2)->value, "15.00");
    EXPECT_EQ(flowWarningOf(event, 2)->time, 0);
}

TEST(Statistics, ElapseWarningRelation) {
    testdata::EventBuilder builder;
    builder.elapse(86400);
    EXPECT_FALSE(elapseWarningOf(parseEventRecord(builder.bytes())));
    builder.elapseWarning(82800);
    auto warning = elapseWarningOf(parseEventRecord(builder.bytes()));
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->elapse + warning->relation + warning->reference, "24:00:00 > 23:00:00");
    builder.elapseWarning(86400);
    warning = elapseWarningOf(parseEventRecord(builder.bytes()));
    EXPECT_EQ(warning->relation, " < ");
    builder.elapseWarning(90000);
    EXPECT_EQ(elapseWarningOf(parseEventRecord(builder.bytes()))->relation, " < ");
}

TEST(Statistics, PowerFailuresKeepStoredOrderAndSkipUnusedEntries) {
    testdata::EventBuilder builder;
    builder.powerFailure(0, 500).powerFailure(3, 100).powerFailure(9, 900);
    EXPECT_EQ(powerFailuresOf(parseEventRecord(builder.bytes())), (std::vector<std::int32_t>{500, 100, 900}));
}
