// One table of event configurations of both models through the fill code:
// rows, labels and columns that follow from the channels, the values placed
// on each channel's row, the fit of every grid and the data log.
#include "case_name.h"
#include "grids_fixture.h"

using gridtest::columnText;
using gridtest::rowText;

namespace {

constexpr std::int16_t kFive = 0;
constexpr std::int16_t kEight = 1;

struct LayoutCase {
    const char *name;
    std::int16_t model;
    std::int16_t config;
    std::vector<std::string> channels; // MSFlexGrid4 labels, "Can n"
    std::vector<int> filters;          // filters on MSFlexGrid6 and MSFlexGrid3
    std::string firstFlowStats;        // MSFlexGrid4 row 2, columns 1..4
    std::string filterTemps;           // MSFlexGrid4 column 5, rows 2..
    std::string flowWarnings;          // MSFlexGrid7 column 1, rows 1..
    std::string logHeader;             // MSFlexGrid2 row 0
    std::string firstLogRow;           // MSFlexGrid2 row 2
};

// The sample event: canister slot s has volume 10080 + s, CV 120 + s, flow
// 1660 + s, std dev 10 + s and only slot 2 a flow warning; filter c averages
// 200 + c. Log row 0 reads filter c 200 + 10c, slot s flows 1600 + 10s.
const LayoutCase kCases[] = {
    {"five1", kFive, 1, {"Can 1", "Can 2"}, {1}, "10.081|12.1|16.61|0.11", "20.1|", "No|Yes",
     "Date|Time|Ambient T|Pressure|Filter 1 T|Flow 1|Flow 2|Pump Box T",
     "6/15/2005|12:40:05|21.0|760|21.0|16.10|16.20|25.0"},
    {"five2", kFive, 2, {"Can 1", "Can 2", "Can 3"}, {1}, "10.081|12.1|16.61|0.11", "20.1||", "No|Yes|No",
     "Date|Time|Ambient T|Pressure|Filter 1 T|Flow 1|Flow 2|Flow 3|Pump Box T",
     "6/15/2005|12:40:05|21.0|760|21.0|16.10|16.20|16.30|25.0"},
    {"five4", kFive, 4, {"Can 1", "Can 2", "Can 3", "Can 4", "Can 5"}, {1}, "10.081|12.1|16.61|0.11",
     "20.1||||", "No|Yes|No|No|No",
     "Date|Time|Ambient T|Pressure|Filter 1 T|Flow 1|Flow 2|Flow 3|Flow 4|Flow 5|Pump Box T",
     "6/15/2005|12:40:05|21.0|760|21.0|16.10|16.20|16.30|16.40|16.50|25.0"},
    // No canister, but the five-channel model always shows its one filter.
    {"five5", kFive, 5, {}, {1}, "||||", "20.1||||", "|||||", "Date|Time|Ambient T|Pressure|Filter 1 T|||||",
     "6/15/2005|12:40:05|21.0|760|21.0|||||"},
    {"eight0", kEight, 0, {"Can 1"}, {1}, "10.081|12.1|16.61|0.11", "20.1", "No",
     "Date|Time|Ambient T|Pressure|Filter 1 T|Flow 1|Pump Box T", "6/15/2005|12:40:05|21.0|760|21.0|16.10|25.0"},
    {"eight3", kEight, 3, {"Can 4"}, {4}, "10.084|12.4|16.64|0.14", "20.4", "No",
     "Date|Time|Ambient T|Pressure|Filter 4 T|Flow 4|Pump Box T", "6/15/2005|12:40:05|21.0|760|24.0|16.40|25.0"},
    // Channels 5 and 6 use canister slots 1 and 2 but keep their own filters.
    {"eight6", kEight, 6, {"Can 5", "Can 6"}, {5, 6}, "10.081|12.1|16.61|0.11", "20.5|20.6", "No|Yes",
     "Date|Time|Ambient T|Pressure|Filter 5 T|Filter 6 T|Flow 5|Flow 6|Pump Box T",
     "6/15/2005|12:40:05|21.0|760|25.0|26.0|16.10|16.20|25.0"},
    {"eight7", kEight, 7, {"Can 7", "Can 8"}, {7, 8}, "10.083|12.3|16.63|0.13", "20.7|20.8", "No|No",
     "Date|Time|Ambient T|Pressure|Filter 7 T|Filter 8 T|Flow 7|Flow 8|Pump Box T",
     "6/15/2005|12:40:05|21.0|760|27.0|28.0|16.30|16.40|25.0"},
    {"eight9", kEight, 9, {"Can 5", "Can 6", "Can 7"}, {5, 6, 7}, "10.081|12.1|16.61|0.11", "20.5|20.6|20.7",
     "No|Yes|No", "Date|Time|Ambient T|Pressure|Filter 5 T|Filter 6 T|Filter 7 T|Flow 5|Flow 6|Flow 7|Pump Box T",
     "6/15/2005|12:40:05|21.0|760|25.0|26.0|27.0|16.10|16.20|16.30|25.0"},
    {"eight10", kEight, 10, {"Can 1", "Can 2", "Can 3", "Can 4"}, {1, 2, 3, 4}, "10.081|12.1|16.61|0.11",
     "20.1|20.2|20.3|20.4", "No|Yes|No|No",
     "Date|Time|Ambient T|Pressure|Filter 1 T|Filter 2 T|Filter 3 T|Filter 4 T|Flow 1|Flow 2|Flow 3|Flow 4|"
     "Pump Box T",
     "6/15/2005|12:40:05|21.0|760|21.0|22.0|23.0|24.0|16.10|16.20|16.30|16.40|25.0"},
    {"eight11", kEight, 11, {"Can 5", "Can 6", "Can 7", "Can 8"}, {5, 6, 7, 8}, "10.081|12.1|16.61|0.11",
     "20.5|20.6|20.7|20.8", "No|Yes|No|No",
     "Date|Time|Ambient T|Pressure|Filter 5 T|Filter 6 T|Filter 7 T|Filter 8 T|Flow 5|Flow 6|Flow 7|Flow 8|"
     "Pump Box T",
     "6/15/2005|12:40:05|21.0|760|25.0|26.0|27.0|28.0|16.10|16.20|16.30|16.40|25.0"},
    // No channels: only the four leading log columns get names and values.
    {"eight12", kEight, 12, {}, {}, "||||", "||||", "|||||", "Date|Time|Ambient T|Pressure||||||",
     "6/15/2005|12:40:05|21.0|760||||||"},
};

void PrintTo(const LayoutCase &c, std::ostream *os) { *os << c.name; }

class LayoutTest : public gridtest::GridsTest, public ::testing::WithParamInterface<LayoutCase> {};

int count(const std::vector<std::string> &v) { return static_cast<int>(v.size()); }

void expectFitted(const grids::Grid &grid, const char *name) {
    float width = 60, height = 60;
    for (int col = 0; col < grid.cols(); ++col)
        width += static_cast<float>(grid.colWidth(col));
    for (int row = 0; row < grid.rows(); ++row)
        height += static_cast<float>(grid.rowHeight(row));
    EXPECT_EQ(grid.width(), width) << name;
    EXPECT_EQ(grid.height(), height) << name;
}

} // namespace

TEST_P(LayoutTest, ChannelRowsLabelsValuesAndDataLog) {
    const LayoutCase &c = GetParam();
    fill(c.model, sample::event(c.config), sample::log());
    const grids::GridSet &g = m_grids;
    const int channels = count(c.channels);
    const int filters = static_cast<int>(c.filters.size());

    std::string canLabels, flowWarnLabels, filterLabels = "Elapsed ", extremeLabels;
    for (const std::string &label : c.channels) {
        canLabels += (canLabels.empty() ? "" : "|") + label;
        flowWarnLabels += (flowWarnLabels.empty() ? "" : "|") + label + " ";
    }
    for (int f : c.filters) {
        const std::string filter = "Filter " + std::to_string(f) + " ";
        filterLabels += "|" + filter;
        extremeLabels += (extremeLabels.empty() ? "" : "|") + filter + "Max Temp (C)|" + filter + "Min Temp (C)";
    }
    // Without channels the grids keep their full row counts with no labels.
    EXPECT_EQ(g.MSFlexGrid4.rows(), channels ? 2 + channels : 7);
    EXPECT_EQ(g.MSFlexGrid7.rows(), channels ? 1 + channels : 7);
    EXPECT_EQ(g.MSFlexGrid6.rows(), filters ? 1 + 2 * filters : 9);
    EXPECT_EQ(g.MSFlexGrid3.rows(), filters ? 2 + filters : 9);
    if (channels) {
        EXPECT_EQ(columnText(g.MSFlexGrid4, 0, 2), canLabels);
        EXPECT_EQ(columnText(g.MSFlexGrid7, 0, 1), flowWarnLabels);
    } else {
        EXPECT_EQ(columnText(g.MSFlexGrid4, 0, 2), "||||");
        EXPECT_EQ(columnText(g.MSFlexGrid7, 0, 1), "|||||");
    }
    if (filters) {
        EXPECT_EQ(columnText(g.MSFlexGrid6, 0, 1), extremeLabels);
        EXPECT_EQ(columnText(g.MSFlexGrid3, 0, 1), filterLabels);
        // The first filter's maximum is 300 + its number, in tenths.
        EXPECT_EQ(g.MSFlexGrid6.text(1, 1), "30." + std::to_string(c.filters[0]));
        EXPECT_EQ(g.MSFlexGrid6.text(2, 2), "06/15/05 18:30:00");
    }
    EXPECT_EQ(rowText(g.MSFlexGrid4, 2, 1).substr(0, c.firstFlowStats.size()), c.firstFlowStats);
    EXPECT_EQ(columnText(g.MSFlexGrid4, 5, 2), c.filterTemps);
    EXPECT_EQ(columnText(g.MSFlexGrid7, 1, 1), c.flowWarnings);

    // Three records precede the zero stamp; the one after it is not shown.
    EXPECT_EQ(g.MSFlexGrid2.rows(), 5);
    EXPECT_EQ(rowText(g.MSFlexGrid2, 0), c.logHeader);
    EXPECT_EQ(rowText(g.MSFlexGrid2, 2), c.firstLogRow);
    EXPECT_EQ(g.MSFlexGrid2.text(4, 1), "13:00:05");
    if (channels) {
        std::string units = "mm/dd/yy|HH:mm:ss|Deg C|mmHg";
        for (int col = 4; col < g.MSFlexGrid2.cols() - 1; ++col)
            units += g.MSFlexGrid2.text(0, col).rfind("Flow", 0) == 0 ? "|L/min" : "|Deg C";
        EXPECT_EQ(rowText(g.MSFlexGrid2, 1), units + "|Deg C");
    } else {
        EXPECT_EQ(rowText(g.MSFlexGrid2, 1), std::string(g.MSFlexGrid2.cols() - 1, '|'));
    }

    // Every grid but the data log fits its content; the data log keeps its size.
    for (const grids::GridPlacement &placement : grids::gridPlacements()) {
        const grids::Grid &grid = *g.find(placement.name);
        EXPECT_EQ(placement.fitted, placement.name != "MSFlexGrid2");
        if (placement.fitted) {
            expectFitted(grid, c.name);
        } else {
            EXPECT_EQ(grid.width(), 9015.0f);
            EXPECT_EQ(grid.height(), 5895.0f);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Configurations, LayoutTest, ::testing::ValuesIn(kCases),
                         testsupport::CaseName());
