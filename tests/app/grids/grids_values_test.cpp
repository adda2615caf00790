// The texts of the event, ambient, warning and power-failure grids for
// chosen field values, the data log of a file without records, and what a
// second fill, an empty path and a failed fill leave on the grids.
#include "case_name.h"
#include "grids_fixture.h"

using gridtest::columnText;
using gridtest::rowText;

namespace {

constexpr std::int32_t kT1 = 1118838605; // 06/15/05 12:30:05
constexpr std::int32_t kT2 = 1118860200; // 06/15/05 18:30:00

using GridsTest = gridtest::GridsTest;

class ValuesTest : public gridtest::GridsTest, public ::testing::WithParamInterface<std::int16_t> {};

} // namespace

// Both models fill the event, ambient and power-failure grids alike.
TEST_P(ValuesTest, EventAmbientAndPowerFailureGrids) {
    testdata::EventBuilder event;
    event.status(7).start(kT1).stop(kT2).elapse(90061).config(0);
    event.extremes(13, 215, -53, kT1, 305, kT2).extremes(14, 745, 740, kT2, 761, kT1);
    event.powerFailure(0, kT1).powerFailure(2, kT2);
    const grids::FillOutcome outcome = fill(GetParam(), event);
    EXPECT_TRUE(outcome.filled);
    EXPECT_EQ(outcome.header.modelFlag, GetParam());
    const grids::GridSet &g = m_grids;
    EXPECT_EQ(columnText(g.MSFlexGrid8, 0, 0), "Status|Start|Stop|Elapse|Unit ID|Version|Model");
    EXPECT_EQ(columnText(g.MSFlexGrid8, 1, 0), std::string("Bogas|06/15/05 12:30:05|06/15/05 18:30:00|25:01:01|123|1.A|") +
                                                   (GetParam() ? "Super TRELM" : "TRELM"));
    // Averages never carry a date/time; pressures are whole numbers.
    EXPECT_EQ(columnText(g.MSFlexGrid1, 0, 0),
              "|Avg Temp (C)|Max Temp (C)|Min Temp (C)|Avg Pressure (mmHg)|Max Pressure (mmHg)|Min Pressure (mmHg)");
    EXPECT_EQ(columnText(g.MSFlexGrid1, 1, 0), "Value|21.5|30.5|-5.3|745|761|740");
    EXPECT_EQ(columnText(g.MSFlexGrid1, 2, 0),
              "Date/Time||06/15/05 18:30:00|06/15/05 12:30:05||06/15/05 12:30:05|06/15/05 18:30:00");
    // Entries 1 and 3 set: row 2 stays empty, every row keeps its number.
    EXPECT_EQ(columnText(g.MSFlexGrid9, 0, 0), "Event| 1| 2| 3| 4| 5| 6| 7| 8| 9| 10");
    EXPECT_EQ(columnText(g.MSFlexGrid9, 1, 1), "06/15/05 12:30:05||06/15/05 18:30:00|||||||");
    EXPECT_EQ(rowText(g.MSFlexGrid4, 0), "|Volume|CV|Flow|Std Dev|Filter Temp");
    EXPECT_EQ(rowText(g.MSFlexGrid4, 1), "|m3|%|L/min|L/min|Deg C");
}

INSTANTIATE_TEST_SUITE_P(Models, ValuesTest, ::testing::Values(std::int16_t{0}, std::int16_t{1}),
                         [](const auto &info) { return info.param ? "Eight" : "Five"; });

namespace {

struct WarningCase {
    const char *name;
    std::int32_t elapse, elapseWarning;
    std::int32_t filterWarning;      // filter 1's warning stamp
    std::int16_t maxDt;              // filter 1's max dT value
    std::int32_t maxDtTime;
    std::int16_t flow;               // slot 1's flow warning value
    std::int32_t flowTime;
    std::string warningsRow1, warningsRow2, flowRow1;
};

// The grids test the stored values: max dT by its value (a zero time then
// shows the zero stamp's text), the flow warning by its flow.
const WarningCase kWarnings[] = {
    {"none", 3600, 0, 0, 0, 0, 0, 0, "Elapsed |No|||", "Filter 1 |No|||", "Can 1 |No||"},
    {"elapseEqual", 3600, 3600, 0, 0, 0, 0, 0, "Elapsed |Yes|01:00:00 < 01:00:00||", "Filter 1 |No|||", "Can 1 |No||"},
    {"elapseOver", 90000, 86400, 0, 0, 0, 0, 0, "Elapsed |Yes|25:00:00 > 24:00:00||", "Filter 1 |No|||",
     "Can 1 |No||"},
    {"warningNoMaxDt", 0, 0, kT1, 0, kT2, 0, 0, "Elapsed |No|||", "Filter 1 |Yes|06/15/05 12:30:05||",
     "Can 1 |No||"},
    {"maxDtWithoutTime", 0, 0, 0, 57, 0, 0, 0, "Elapsed |No|||", "Filter 1 |No||5.7|01/01/00 00:00:00",
     "Can 1 |No||"},
    {"flowWarning", 0, 0, 0, 0, 0, 152, kT2, "Elapsed |No|||", "Filter 1 |No|||", "Can 1 |Yes|1.52|06/15/05 18:30:00"},
    {"flowTimeOnly", 0, 0, 0, 0, 0, 0, kT2, "Elapsed |No|||", "Filter 1 |No|||", "Can 1 |No||"},
};

void PrintTo(const WarningCase &c, std::ostream *os) { *os << c.name; }

class WarningsTest : public gridtest::GridsTest, public ::testing::WithParamInterface<WarningCase> {};

} // namespace

TEST_P(WarningsTest, WarningAndFlowWarningRows) {
    const WarningCase &c = GetParam();
    for (std::int16_t model : {0, 1}) {
        testdata::EventBuilder event;
        event.elapse(c.elapse).elapseWarning(c.elapseWarning).config(0).filterWarning(1, c.filterWarning);
        event.maxDt(1, c.maxDt, c.maxDtTime).flowWarning(1, c.flow, c.flowTime);
        fill(model, event);
        EXPECT_EQ(rowText(m_grids.MSFlexGrid3, 0), "|Warning|Date/Time|Max dT (C)|Date/Time");
        EXPECT_EQ(rowText(m_grids.MSFlexGrid3, 1), c.warningsRow1) << model;
        EXPECT_EQ(rowText(m_grids.MSFlexGrid3, 2), c.warningsRow2) << model;
        EXPECT_EQ(rowText(m_grids.MSFlexGrid7, 0), "|Warning|L/min|Date/Time");
        EXPECT_EQ(rowText(m_grids.MSFlexGrid7, 1), c.flowRow1) << model;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WarningsTest, ::testing::ValuesIn(kWarnings),
                         testsupport::CaseName());

// Channels sharing a canister slot show its one flow warning.
TEST_F(GridsTest, SharedSlotsShowTheSameFlowWarning) {
    fill(1, sample::event(11).flowWarning(1, 152, kT1));
    EXPECT_EQ(columnText(m_grids.MSFlexGrid7, 0, 1), "Can 5 |Can 6 |Can 7 |Can 8 ");
    EXPECT_EQ(columnText(m_grids.MSFlexGrid7, 2, 1), "1.52|15.00||");
}

// The shortest event file: headers and the two spare rows, nothing else.
TEST_F(GridsTest, EventFileWithoutLogShowsHeadersAndTwoEmptyRows) {
    const std::filesystem::path path = write("bare.bin", 0, sample::event(2));
    ASSERT_EQ(std::filesystem::file_size(path), 686u);
    auto outcome = grids::FillGrids(m_grids, path, m_messages);
    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(outcome.value().logRows, 0u);
    EXPECT_EQ(m_grids.MSFlexGrid2.rows(), 4);
    EXPECT_EQ(m_grids.MSFlexGrid2.cols(), 9);
    EXPECT_EQ(rowText(m_grids.MSFlexGrid2, 1), "mm/dd/yy|HH:mm:ss|Deg C|mmHg|Deg C|L/min|L/min|L/min|Deg C");
    EXPECT_EQ(rowText(m_grids.MSFlexGrid2, 2) + rowText(m_grids.MSFlexGrid2, 3), std::string(16, '|'));
}

TEST_F(GridsTest, NegativeAndWholeLogValues) {
    std::vector<testdata::LogRow> log = sample::log();
    log[0].ambient = -53;
    log[0].pressure = 748;
    log[0].flow[0] = 1500;
    log[0].pumpBox = -5;
    fill(0, sample::event(0), log);
    EXPECT_EQ(rowText(m_grids.MSFlexGrid2, 2), "6/15/2005|12:40:05|-5.3|748|21.0|15.00|-0.5");
}

// A second file replaces everything of the first: a file without channels
// leaves no column title, unit, label or value of the first behind.
TEST_F(GridsTest, SecondFillLeavesNothingOfTheFirst) {
    fill(1, sample::event(10), sample::log());
    ASSERT_EQ(m_grids.MSFlexGrid2.cols(), 13);
    fill(1, sample::event(12));
    EXPECT_EQ(rowText(m_grids.MSFlexGrid2, 0), "Date|Time|Ambient T|Pressure" + std::string(9, '|'));
    EXPECT_EQ(rowText(m_grids.MSFlexGrid2, 1), std::string(12, '|'));
    EXPECT_EQ(m_grids.MSFlexGrid2.rows(), 4);
    EXPECT_EQ(columnText(m_grids.MSFlexGrid4, 0, 2) + columnText(m_grids.MSFlexGrid6, 0, 1), "||||" "|||||||");
    EXPECT_EQ(columnText(m_grids.MSFlexGrid3, 0, 1), "Elapsed |||||||");
}

namespace {

// Every data cell of the grids (not their fixed texts) is empty.
void expectNoData(const grids::GridSet &g) {
    EXPECT_EQ(columnText(g.MSFlexGrid8, 1, 0), "||||||");
    EXPECT_EQ(columnText(g.MSFlexGrid1, 1, 1), "|||||");
    EXPECT_EQ(columnText(g.MSFlexGrid9, 1, 1), "|||||||||");
    for (const grids::Grid *grid : {&g.MSFlexGrid3, &g.MSFlexGrid4, &g.MSFlexGrid6, &g.MSFlexGrid7})
        for (int col = 1; col < grid->cols(); ++col)
            for (int row = grid->fixedRows(); row < grid->rows(); ++row)
                EXPECT_EQ(grid->text(row, col), "") << row << "," << col;
    EXPECT_EQ(g.MSFlexGrid2.rows(), 4);
    EXPECT_EQ(g.MSFlexGrid2.currentRow(), 2);
    EXPECT_EQ(rowText(g.MSFlexGrid2, 2) + rowText(g.MSFlexGrid2, 3), std::string(2 * (g.MSFlexGrid2.cols() - 1), '|'));
}

} // namespace

TEST_F(GridsTest, NoFileOnlyClearsAndAFailedFileLeavesTheGridsCleared) {
    fill(1, sample::event(10), sample::log());
    EXPECT_EQ(m_messages.shown, "show Filling Grids...;hide;");
    m_messages.shown.clear();
    auto none = grids::FillGrids(m_grids, "", m_messages);
    ASSERT_TRUE(none.ok());
    EXPECT_FALSE(none.value().filled);
    EXPECT_EQ(m_messages.shown, "");
    expectNoData(m_grids);
    // An empty path leaves the data log's titles; an open clears them.
    EXPECT_EQ(m_grids.MSFlexGrid2.text(0, 12), "Pump Box T");

    testdata::Bytes shortFile = testdata::eventFileBytes({1, 0x0102, 123}, sample::event(10));
    shortFile.pop_back();
    testdata::writeFile(m_dir / "short.bin", shortFile);
    for (const std::string name : {"short.bin", "missing.bin"}) {
        fill(1, sample::event(10), sample::log());
        m_messages.shown.clear();
        auto failed = grids::FillGrids(m_grids, m_dir / name, m_messages);
        ASSERT_FALSE(failed.ok()) << name;
        EXPECT_EQ(m_messages.shown, "show Filling Grids...;hide;") << name;
        EXPECT_EQ(failed.error().subject, (m_dir / name).string());
        expectNoData(m_grids);
        EXPECT_EQ(rowText(m_grids.MSFlexGrid2, 0) + rowText(m_grids.MSFlexGrid2, 1), std::string(24, '|')) << name;
    }
}
