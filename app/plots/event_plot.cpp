#include "plots/event_plot.h"

#include <cmath>

#include "datafile/event_file.h"
#include "grids/data_log_columns.h"
#include "plots/event_markers.h"

namespace plots {

namespace {

Panel panelOf(trelm::LogQuantity quantity) {
    switch (quantity) {
    case trelm::LogQuantity::Pressure:
        return Panel::Pressure;
    case trelm::LogQuantity::Flow:
        return Panel::Flows;
    default:
        return Panel::Temperatures;
    }
}

} // namespace

PlotData eventPlot(const std::string &title, const trelm::FileHeader &header, const trelm::EventRecord &event,
                   const std::vector<trelm::LogRecord> &log) {
    const grids::GridChannels channels = grids::gridChannels(header.modelFlag, event.samplerConfig);
    PlotData data;
    data.title = title;
    data.start = event.start;
    data.stop = event.stop;
    data.times.reserve(log.size());
    for (const trelm::LogRecord &record : log)
        data.times.push_back(record.time);
    for (const grids::DataLogColumn &column : grids::dataLogColumns(channels)) {
        Series series{column.name, column.unit, panelOf(column.quantity), {}};
        // The grid's text shifts the decimal point of the stored integer;
        // dividing by the same power of ten gives the value it reads as.
        const double scale = std::pow(10.0, trelm::logDecimals(column.quantity));
        series.values.reserve(log.size());
        for (const trelm::LogRecord &record : log)
            series.values.push_back(
                static_cast<double>(trelm::storedLogValue(record, column.quantity, column.channel)) / scale);
        data.series.push_back(std::move(series));
    }
    data.markers = eventMarkers(event, channels);
    return data;
}

trelm::Result<PlotData> readEventPlot(const std::filesystem::path &path) {
    auto file = trelm::readEventFile(path);
    if (!file)
        return file.error();
    const trelm::EventFile &event = file.value();
    return eventPlot(path.filename().string(), event.header, event.event, event.log);
}

} // namespace plots
