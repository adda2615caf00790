#include "plots/plot_data.h"

#include <algorithm>

namespace plots {

std::string panelTitle(Panel panel) {
    switch (panel) {
    case Panel::Pressure:
        return "Pressure (mmHg)";
    case Panel::Flows:
        return "Flows (L/min)";
    default:
        return "Temperatures (Deg C)";
    }
}

std::vector<std::string> seriesNames(const PlotData &data) {
    std::vector<std::string> names;
    for (const Series &series : data.series)
        names.push_back(series.name);
    return names;
}

trelm::Result<PlotData> keepSeries(PlotData data, const std::vector<std::string> &names) {
    std::vector<Series> kept;
    for (const std::string &name : names) {
        const auto found = std::find_if(data.series.begin(), data.series.end(),
                                        [&name](const Series &series) { return series.name == name; });
        if (found == data.series.end())
            return trelm::Error{"series \"" + name + "\"", "is not a series of " + data.title};
        kept.push_back(*found);
    }
    data.series = std::move(kept);
    return data;
}

} // namespace plots
