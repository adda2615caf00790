// The plots of an event, free of any drawing: one time series per quantity
// the data log grid shows, sharing the records' time stamps, and the event's
// moments (start, stop, warnings, power failures) as labelled markers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datafile/result.h"

namespace plots {

// The stacked panels, top to bottom, each with the unit of its series.
enum class Panel { Temperatures, Pressure, Flows };
inline constexpr int kPanelCount = 3;
// "Temperatures (Deg C)", "Pressure (mmHg)", "Flows (L/min)".
std::string panelTitle(Panel panel);

struct Series {
    std::string name; // the data log grid's column name, "Filter 3 T"
    std::string unit; // its unit row, "Deg C"
    Panel panel = Panel::Temperatures;
    std::vector<double> values; // one per time stamp, in the unit
};

enum class MarkerKind { Start, Stop, FilterTemperature, MaxDt, Flow, Elapse, PowerFailure };

struct Marker {
    MarkerKind kind = MarkerKind::Start;
    std::int32_t time = 0; // sampler time stamp
    std::string label;
};

struct PlotData {
    std::string title;               // the event file's name
    std::vector<std::int32_t> times; // the log records' stamps
    std::vector<Series> series;
    std::vector<Marker> markers;
    std::int32_t start = 0; // the event's start and stop, the time axis
    std::int32_t stop = 0;  // when there are no records
};

// The names of the series, in order.
std::vector<std::string> seriesNames(const PlotData &data);
// Keeps only the series named, in the order named; a name the data does not
// have is an error naming it.
trelm::Result<PlotData> keepSeries(PlotData data, const std::vector<std::string> &names);

} // namespace plots
