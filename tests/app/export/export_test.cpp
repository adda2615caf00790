#include <gtest/gtest.h>

#include <sstream>

#include "datafile/codes.h"
#include "datafile/event_file.h"
#include "export/export_event.h"
#include "sample_event.h"

using namespace trelm;

namespace {

class ExportTest : public ::testing::Test {
protected:
    // Writes the sample event as an event file, exports it by its model
    // flag, and returns the CSV text; empty, the test failed, when the
    // event file cannot be read back or the export fails.
    std::string exportSample(std::int16_t modelFlag, std::int16_t config,
                             const std::vector<testdata::LogRow> &log = sample::log()) {
        exportSampleToOutCsv(modelFlag, config, log);
        if (HasFatalFailure())
            return {};
        return testdata::readText(m_dir / "out.csv");
    }

    void exportSampleToOutCsv(std::int16_t modelFlag, std::int16_t config, const std::vector<testdata::LogRow> &log) {
        testdata::writeFile(m_dir / sample::kName,
                            testdata::eventFileBytes({modelFlag, 0x0102, 123}, sample::event(config), log));
        auto file = readEventFile(m_dir / sample::kName);
        ASSERT_TRUE(file) << file.error().message();
        const auto status = exportByModel(m_dir / "out.csv", file.value(), sample::kName, m_messages);
        ASSERT_TRUE(status) << status.error().message();
    }

    static std::vector<std::string> lines(const std::string &text) {
        std::vector<std::string> result;
        for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            result.push_back(text.substr(at, end - at));
        return result;
    }

    testfiles::TempDir m_dir;
    SilentMessagePort m_messages;
};

} // namespace

TEST_F(ExportTest, GoldenFilesForBothModels) {
    const struct {
        std::int16_t model;
        std::int16_t config;
        const char *golden;
    } cases[] = {{1, 6, "eight_config6.csv"}, {1, 1, "eight_config1.csv"}, {0, 4, "five_config4.csv"}};
    for (const auto &c : cases)
        EXPECT_EQ(exportSample(c.model, c.config), testdata::readText(std::filesystem::path(GOLDEN_DIR) / c.golden))
            << c.golden;
}

TEST_F(ExportTest, SingleFilterConfigurationsUsePlainLabelsOnTheirOwnChannel) {
    const std::vector<std::string> csv = lines(exportSample(1, 3));
    const auto has = [&csv](const std::string &line) { return std::find(csv.begin(), csv.end(), line) != csv.end(); };
    EXPECT_TRUE(has(R"csv("Filter Temperature 4:","20.4","C")csv"));
    EXPECT_TRUE(has(R"csv("Canister 4:","10.084","12.4","16.64","0.14")csv"));
    EXPECT_TRUE(has(R"csv("Filter 4:","Yes","6/15/2005","18:30:00")csv"));
    EXPECT_TRUE(has(R"csv("Canister:","4","No")csv"));
    EXPECT_TRUE(has(R"csv("6/15/2005","12:40:05","21.0","760","24.0","16.40","25.0")csv"));
}

TEST_F(ExportTest, FiveChannelConfigurationZeroUsesPlainCanisterLabels) {
    const std::vector<std::string> csv = lines(exportSample(0, 0));
    const auto has = [&csv](const std::string &line) { return std::find(csv.begin(), csv.end(), line) != csv.end(); };
    EXPECT_TRUE(has(R"csv("Canister 1:","10.081","12.1","16.61","0.11")csv"));
    EXPECT_TRUE(has(R"csv("Canister:","1","No")csv"));
    EXPECT_TRUE(has(R"csv("Filter 1 Max dT:","3.1","C","6/16/2005","05:00:00")csv"));
    EXPECT_EQ(csv.back(), R"csv("6/15/2005","13:00:05","21.2","760","21.2","16.12","25.2")csv");
}

TEST_F(ExportTest, EveryEightChannelConfigurationWritesItsChannelsInOrder) {
    for (std::int16_t config = 4; config <= 11; ++config) {
        const ActiveChannels channels = activeChannels(1, config);
        const std::vector<std::string> csv = lines(exportSample(1, config));
        std::string header = R"csv("Date","Time","Ambient Temperature","Ambient Pressure")csv";
        for (int c : channels.filters)
            header += ",\"Filter " + std::to_string(c) + " Temperature\"";
        for (int c : channels.filters)
            header += ",\"Flow(" + std::to_string(c) + ")\"";
        header += ",\"Pump Box Temperature\"";
        ASSERT_GE(csv.size(), 4u);
        EXPECT_EQ(csv[csv.size() - 4], header) << config;
        EXPECT_EQ(std::count(csv.begin(), csv.end(), "\"Canister:\",\" " + std::to_string(channels.filters[0]) +
                                                         "\",\"No\""),
                  channels.filters[0] % 4 == 2 ? 0 : 1)
            << config;
    }
}

TEST_F(ExportTest, ConfigurationOutsideTheTableKeepsOnlyTheFixedLines) {
    for (std::int16_t model : {0, 1}) {
        const std::vector<std::string> csv = lines(exportSample(model, 12));
        ASSERT_EQ(csv.size(), 36u) << model;
        EXPECT_EQ(csv[14], "") << model; // no filter average between pressure and the blank
        EXPECT_EQ(csv.back(), R"csv("Flow Warnings","","","L/Min")csv") << model;
        EXPECT_EQ(std::count(csv.begin(), csv.end(), ""), 12) << model;
    }
}

TEST_F(ExportTest, EventWithoutLogEndsWithTheColumnNames) {
    const std::vector<std::string> csv = lines(exportSample(1, 0, {}));
    EXPECT_EQ(csv.back(),
              R"csv("Date","Time","Ambient Temperature","Ambient Pressure","Filter 1 Temperature","Flow(1)","Pump Box Temperature")csv");
    EXPECT_EQ(csv[csv.size() - 2], "");
}

TEST_F(ExportTest, EqualElapseAndReferenceReadLessThan) {
    testdata::EventBuilder event = sample::event(0);
    event.elapseWarning(86400);
    testdata::writeFile(m_dir / "e.bin", testdata::eventFileBytes({0, 0x0102, 123}, event));
    auto file = readEventFile(m_dir / "e.bin");
    ASSERT_TRUE(file) << file.error().message();
    ASSERT_TRUE(ExportFiveChannel(m_dir / "out.csv", file.value(), "e.bin", m_messages));
    EXPECT_NE(testdata::readText(m_dir / "out.csv").find(R"csv("Elapse:","Yes","24:00:00"," < ","24:00:00")csv"), std::string::npos);
}

TEST_F(ExportTest, SourceNameIsWrittenAsGivenWithQuotesDoubled) {
    testdata::writeFile(m_dir / "e.bin", testdata::eventFileBytes({1, 0x0102, 123}, sample::event(0)));
    auto file = readEventFile(m_dir / "e.bin");
    ASSERT_TRUE(file) << file.error().message();
    ASSERT_TRUE(ExportEightChannel(m_dir / "out.csv", file.value(), "/data/my \"best\" run/e.bin", m_messages));
    EXPECT_EQ(lines(testdata::readText(m_dir / "out.csv"))[0], R"csv("File:","/data/my ""best"" run/e.bin")csv");
}

TEST_F(ExportTest, EmptyPathWritesNothing) {
    testdata::writeFile(m_dir / "e.bin", testdata::eventFileBytes({1, 0x0102, 123}, sample::event(0)));
    auto file = readEventFile(m_dir / "e.bin");
    ASSERT_TRUE(file) << file.error().message();
    EXPECT_TRUE(ExportEightChannel("", file.value(), "e.bin", m_messages));
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 1u);
}
