// The plots of an event against the window's grids filled from the same
// file: series names, units and first and last values equal the data log
// grid's cells, and the markers' times equal the event and warning grids'
// times, over both models and several configurations.
#include <algorithm>
#include <string>
#include <vector>

#include "case_name.h"
#include "datafile/time_format.h"
#include "grids_fixture.h"
#include "plots/event_plot.h"

namespace {

using plots::Marker;
using plots::MarkerKind;
using plots::PlotData;

enum class Log { Sample, Minutes, None };

struct PlotCase {
    const char *name;
    std::int16_t model;
    std::int16_t config;
    Log log;
    bool gridHasUnits; // the grid writes its unit row only for an event with channels
    std::string names;
    std::string panels; // T temperatures, P pressure, F flows, one letter per series
};

const PlotCase kPlotCases[] = {
    {"Five_Config0", 0, 0, Log::Sample, true, "Ambient T|Pressure|Filter 1 T|Flow 1|Pump Box T", "TPTFT"},
    {"Five_Config4_MinuteRing", 0, 4, Log::Minutes, true,
     "Ambient T|Pressure|Filter 1 T|Flow 1|Flow 2|Flow 3|Flow 4|Flow 5|Pump Box T", "TPTFFFFFT"},
    {"Five_ConfigOutsideTable", 0, 7, Log::Sample, false, "Ambient T|Pressure|Filter 1 T", "TPT"},
    {"Eight_Config1", 1, 1, Log::Sample, true, "Ambient T|Pressure|Filter 2 T|Flow 2|Pump Box T", "TPTFT"},
    {"Eight_Config9_LabelsFromChannels", 1, 9, Log::Sample, true,
     "Ambient T|Pressure|Filter 5 T|Filter 6 T|Filter 7 T|Flow 5|Flow 6|Flow 7|Pump Box T", "TPTTTFFFT"},
    {"Eight_Config11_MinuteRing", 1, 11, Log::Minutes, true,
     "Ambient T|Pressure|Filter 5 T|Filter 6 T|Filter 7 T|Filter 8 T|Flow 5|Flow 6|Flow 7|Flow 8|Pump Box T",
     "TPTTTTFFFFT"},
    {"Eight_ConfigOutsideTable", 1, 12, Log::Sample, false, "Ambient T|Pressure", "TP"},
    {"Eight_Config10_NoRecords", 1, 10, Log::None, true,
     "Ambient T|Pressure|Filter 1 T|Filter 2 T|Filter 3 T|Filter 4 T|Flow 1|Flow 2|Flow 3|Flow 4|Pump Box T",
     "TPTTTTFFFFT"},
};

void PrintTo(const PlotCase &c, std::ostream *out) { *out << c.name; }

std::string joined(const std::vector<std::string> &texts) {
    std::string text;
    for (const std::string &t : texts)
        text += (text.empty() ? "" : "|") + t;
    return text;
}

char panelLetter(plots::Panel panel) {
    return panel == plots::Panel::Pressure ? 'P' : panel == plots::Panel::Flows ? 'F' : 'T';
}

std::vector<testdata::LogRow> logOf(Log log) {
    if (log == Log::Sample)
        return sample::log(); // three records, a zero stamp, a record past it
    std::vector<testdata::LogRow> rows;
    if (log == Log::Minutes)
        for (int j = 0; j < 300; ++j)
            rows.push_back(testdata::minuteLogRow(j));
    return rows;
}

// Every time the event and warning grids show: start and stop, filter
// temperature warnings, max dT times, flow warning times, power failures.
std::vector<std::string> gridTimes(const grids::GridSet &g) {
    std::vector<std::string> times = {g.MSFlexGrid8.text(1, 1), g.MSFlexGrid8.text(2, 1)};
    const auto collect = [&times](const grids::Grid &grid, int firstRow, int col) {
        for (int row = firstRow; row < grid.rows(); ++row)
            if (!grid.text(row, col).empty())
                times.push_back(grid.text(row, col));
    };
    collect(g.MSFlexGrid3, 2, 2);
    collect(g.MSFlexGrid3, 2, 4);
    collect(g.MSFlexGrid7, 1, 3);
    collect(g.MSFlexGrid9, 1, 1);
    std::sort(times.begin(), times.end());
    return times;
}

std::vector<std::string> markerTimes(const PlotData &data) {
    std::vector<std::string> times;
    for (const Marker &marker : data.markers)
        if (marker.kind != MarkerKind::Elapse)
            times.push_back(trelm::FormatDateTimeShort(marker.time));
    std::sort(times.begin(), times.end());
    return times;
}

class PlotsTest : public gridtest::GridsTest, public ::testing::WithParamInterface<PlotCase> {};

} // namespace

TEST_P(PlotsTest, SeriesAndMarkersEqualTheGrids) {
    const PlotCase &c = GetParam();
    testdata::EventBuilder event = sample::event(c.config);
    event.powerFailure(0, sample::kMinimumTime).powerFailure(3, sample::kMaximumTime);
    const auto path = write("event.bin", c.model, event, logOf(c.log));
    ASSERT_TRUE(grids::FillGrids(m_grids, path, m_messages).ok());
    const auto read = plots::readEventPlot(path);
    ASSERT_TRUE(read.ok()) << read.error().message();
    const PlotData &data = read.value();
    const grids::Grid &log = m_grids.MSFlexGrid2;

    EXPECT_EQ(data.title, "event.bin");
    EXPECT_EQ(joined(plots::seriesNames(data)), c.names);
    std::string panels;
    for (const plots::Series &series : data.series)
        panels += panelLetter(series.panel);
    EXPECT_EQ(panels, c.panels);
    // One time stamp per grid row: the log ends where the grid ends. The
    // grid keeps its set-up rows, empty, when there are no records.
    if (c.log == Log::None) {
        EXPECT_TRUE(data.times.empty());
        EXPECT_EQ(log.text(2, 0), "");
    } else {
        ASSERT_EQ(static_cast<int>(data.times.size()), log.rows() - 2);
    }
    for (std::size_t i = 0; i < data.series.size(); ++i) {
        const plots::Series &series = data.series[i];
        const int col = 2 + static_cast<int>(i);
        SCOPED_TRACE(series.name);
        EXPECT_EQ(series.name, log.text(0, col));
        if (c.gridHasUnits) {
            EXPECT_EQ(series.unit, log.text(1, col));
        }
        ASSERT_EQ(series.values.size(), data.times.size());
        if (data.times.empty())
            continue;
        EXPECT_DOUBLE_EQ(series.values.front(), std::stod(log.text(2, col)));
        EXPECT_DOUBLE_EQ(series.values.back(), std::stod(log.text(log.rows() - 1, col)));
    }
    if (!data.times.empty()) {
        EXPECT_EQ(trelm::FormatTimeOfDay(data.times.front()), log.text(2, 1));
        EXPECT_EQ(trelm::FormatTimeOfDay(data.times.back()), log.text(log.rows() - 1, 1));
    }
    EXPECT_EQ(markerTimes(data), gridTimes(m_grids));
}

INSTANTIATE_TEST_SUITE_P(Models, PlotsTest, ::testing::ValuesIn(kPlotCases), testsupport::CaseName());

namespace {

struct ElapseCase {
    const char *name;
    std::int32_t elapse, reference;
    bool marked;
    std::int32_t offset; // from the start
    std::string label;
};

const ElapseCase kElapseCases[] = {
    {"ReferencePassed_AtStartPlusReference", 86400, 82800, true, 82800, "Elapsed 24:00:00 > 23:00:00"},
    {"ReferenceEqual_AtStop", 3600, 3600, true, 7200, "Elapsed 01:00:00 < 01:00:00"},
    {"ReferenceNotReached_AtStop", 3600, 5400, true, 7200, "Elapsed 01:00:00 < 01:30:00"},
    {"NoReference_NoMarker", 3600, 0, false, 0, ""},
};

void PrintTo(const ElapseCase &c, std::ostream *out) { *out << c.name; }

class ElapseMarkerTest : public ::testing::TestWithParam<ElapseCase> {};

} // namespace

TEST_P(ElapseMarkerTest, StandsWhereTheElapsedTimeReachedItsReference) {
    const ElapseCase &c = GetParam();
    trelm::EventRecord event;
    event.start = sample::kStart;
    event.stop = sample::kStart + 7200;
    event.elapse = c.elapse;
    event.elapseWarning = c.reference;
    const PlotData data = plots::eventPlot("e.bin", trelm::FileHeader{}, event, {});
    const auto found = std::find_if(data.markers.begin(), data.markers.end(),
                                    [](const Marker &m) { return m.kind == MarkerKind::Elapse; });
    ASSERT_EQ(found != data.markers.end(), c.marked);
    if (!c.marked)
        return;
    EXPECT_EQ(found->time, sample::kStart + c.offset);
    EXPECT_EQ(found->label, c.label);
}

INSTANTIATE_TEST_SUITE_P(Elapse, ElapseMarkerTest, ::testing::ValuesIn(kElapseCases), testsupport::CaseName());

namespace {

struct KeepCase {
    const char *name;
    std::vector<std::string> asked;
    std::string kept; // joined names, or the error's message
};

const KeepCase kKeepCases[] = {
    {"OneSeries", {"Pressure"}, "Pressure"},
    {"InTheOrderAsked", {"Flow 1", "Ambient T"}, "Flow 1|Ambient T"},
    {"UnknownName_NamesItAndTheFile", {"Pressure", "Flow 9"}, "series \"Flow 9\": is not a series of e.bin"},
    {"NameIsCaseSensitive", {"pressure"}, "series \"pressure\": is not a series of e.bin"},
};

void PrintTo(const KeepCase &c, std::ostream *out) { *out << c.name; }

class KeepSeriesTest : public ::testing::TestWithParam<KeepCase> {};

} // namespace

TEST_P(KeepSeriesTest, KeepsTheNamedSeriesOrNamesTheUnknownOne) {
    trelm::EventRecord event;
    event.samplerConfig = 0;
    const auto kept = plots::keepSeries(plots::eventPlot("e.bin", trelm::FileHeader{}, event, {}), GetParam().asked);
    EXPECT_EQ(kept.ok() ? joined(plots::seriesNames(kept.value())) : kept.error().message(), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Names, KeepSeriesTest, ::testing::ValuesIn(kKeepCases), testsupport::CaseName());
