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
    EXPECT_FALSE(maxDtOf(event, 1, MaxDtTest::ByTime));
    EXPECT_EQ(maxDtOf(event, 2, MaxDtTest::ByTime)->value, "3.2");
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

// The grids test the stored difference, the CSV and the reports its time:
// each pair (value, time) must be shown by exactly the tests that see it.
TEST(Statistics, MaxDtIsTestedByTheFieldEachConsumerAsksFor) {
    const struct {
        std::int16_t value;
        std::int32_t time;
        bool byTime;
        bool byValue;
    } cases[] = {{55, 0, false, true}, {0, 2000, true, false}, {-12, 3000, true, true}, {0, 0, false, false}};
    for (const auto &c : cases) {
        testdata::EventBuilder builder;
        builder.maxDt(3, c.value, c.time);
        const EventRecord event = parseEventRecord(builder.bytes());
        const auto byTime = maxDtOf(event, 3, MaxDtTest::ByTime);
        const auto byValue = maxDtOf(event, 3, MaxDtTest::ByValue);
        EXPECT_EQ(byTime.has_value(), c.byTime) << c.value << " at " << c.time;
        EXPECT_EQ(byValue.has_value(), c.byValue) << c.value << " at " << c.time;
        for (const auto &shown : {byTime, byValue})
            if (shown) {
                EXPECT_EQ(shown->value, formatTenths(c.value));
                EXPECT_EQ(shown->stored, c.value);
                EXPECT_EQ(shown->time, c.time);
            }
    }
}

TEST(Statistics, PowerFailureEntriesKeepTheirNumbersIncludingUnusedOnes) {
    testdata::EventBuilder builder;
    builder.powerFailure(0, 500).powerFailure(2, 300).powerFailure(9, 900);
    const auto entries = powerFailureEntries(parseEventRecord(builder.bytes()));
    const std::int32_t expected[] = {500, 0, 300, 0, 0, 0, 0, 0, 0, 900};
    for (int i = 0; i < kPowerFailureEntries; ++i) {
        EXPECT_EQ(entries[i].entry, i + 1);
        EXPECT_EQ(entries[i].time, expected[i]) << "entry " << i + 1;
        EXPECT_EQ(entries[i].occurred(), expected[i] != 0) << "entry " << i + 1;
    }
}

// Which filters and which label forms each (model, configuration) gets.
TEST(Statistics, FiltersShownAndLabelFormsByModelAndConfiguration) {
    const struct {
        std::int16_t model;
        std::int16_t config;
        std::vector<int> filtersShown;
        std::vector<int> measuredFilters; // the CSV's channels
        bool plainFilters;
        bool plainCanisters;
    } cases[] = {
        {0, 0, {1}, {1}, true, true},   {0, 4, {1}, {1}, true, false},  {0, 5, {1}, {}, true, false},
        {0, -1, {1}, {}, true, false},  {1, 0, {1}, {1}, true, true},   {1, 3, {4}, {4}, true, true},
        {1, 6, {5, 6}, {5, 6}, false, false}, {1, 11, {5, 6, 7, 8}, {5, 6, 7, 8}, false, false},
        {1, 12, {}, {}, false, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(filtersShown(c.model, c.config), c.filtersShown) << c.model << "/" << c.config;
        EXPECT_EQ(activeChannels(c.model, c.config).filters, c.measuredFilters) << c.model << "/" << c.config;
        const LabelForms forms = labelFormsOf(c.model, c.config);
        EXPECT_EQ(forms.plainFilters, c.plainFilters) << c.model << "/" << c.config;
        EXPECT_EQ(forms.plainCanisters, c.plainCanisters) << c.model << "/" << c.config;
    }
}

TEST(Statistics, StrFormAndLabelNumbers) {
    const struct {
        long number;
        const char *str;
    } cases[] = {{5, " 5"}, {0, " 0"}, {10, " 10"}, {-5, "-5"}, {-12, "-12"}};
    for (const auto &c : cases)
        EXPECT_EQ(strForm(c.number), c.str) << c.number;
    EXPECT_EQ(labelNumber(7, true), "7");
    EXPECT_EQ(labelNumber(7, false), " 7");
}

TEST(Statistics, CanisterRowsTakeTheirFilterByModel) {
    // Eight-channel configuration 6: channel 5 uses slot 1 and filter 5.
    const ActiveChannels eight = activeChannels(1, 6);
    EXPECT_EQ(eight.canisters[0].slot, 1);
    EXPECT_EQ(filterOfCanister(1, eight.canisters[0]), 5);
    // Five-channel: every canister row shows filter 1.
    for (const Canister &canister : activeChannels(0, 4).canisters)
        EXPECT_EQ(filterOfCanister(0, canister), 1) << canister.label;
}

TEST(Statistics, ExtremeAndLogFiguresInTheirDefaultForms) {
    testdata::EventBuilder builder;
    builder.extremes(13, -23, -105, 100, 312, 200).extremes(14, 745, 95, 300, 761, 400);
    const EventRecord event = parseEventRecord(builder.bytes());
    const ExtremeFigures ambient = ambientFigures(event);
    EXPECT_EQ(ambient.average + " " + ambient.maximum + " " + ambient.minimum, "-2.3 31.2 -10.5");
    EXPECT_EQ(ambient.maximumTime, 200);
    EXPECT_EQ(ambient.minimumTime, 100);
    const ExtremeFigures pressure = barometricFigures(event);
    EXPECT_EQ(pressure.average + " " + pressure.maximum + " " + pressure.minimum, "745 761 95");

    LogRecord record;
    record.ambientTemperature = -53;
    record.ambientPressure = 748;
    record.filterTemperature[4] = 215;
    record.flow[0] = 1500;
    record.pumpBoxTemperature = 250;
    const LogFigures log = logFigures(record, {5}, {Canister{1, 5}});
    EXPECT_EQ(log.ambient + " " + log.pressure + " " + log.filters.at(0) + " " + log.flows.at(0) + " " + log.pumpBox,
              "-5.3 748 21.5 15.00 25.0");
}
