#include "plots/event_markers.h"

#include "datafile/statistics.h"

namespace plots {

namespace {

std::string filterName(int filter) { return "Filter " + std::to_string(filter); }

void addWarnings(std::vector<Marker> &markers, const trelm::EventRecord &event, const grids::GridChannels &channels) {
    if (const auto elapse = trelm::elapseWarningOf(event)) {
        const bool reached = event.elapseWarning < event.elapse;
        markers.push_back({MarkerKind::Elapse, reached ? event.start + event.elapseWarning : event.stop,
                           "Elapsed " + elapse->elapse + elapse->relation + elapse->reference});
    }
    for (int filter : channels.filters) {
        if (const auto warning = trelm::filterTemperatureWarning(event, filter))
            markers.push_back({MarkerKind::FilterTemperature, warning->time, filterName(filter) + " T warning"});
        if (const auto maxDt = trelm::maxDtOf(event, filter, trelm::MaxDtTest::ByValue))
            markers.push_back({MarkerKind::MaxDt, maxDt->time, filterName(filter) + " max dT " + maxDt->value});
    }
    for (const trelm::Canister &channel : channels.channels)
        if (const auto warning = trelm::flowWarningOf(event, channel.slot))
            markers.push_back({MarkerKind::Flow, warning->time,
                               "Flow " + std::to_string(channel.label) + " warning " + warning->value});
}

} // namespace

std::vector<Marker> eventMarkers(const trelm::EventRecord &event, const grids::GridChannels &channels) {
    std::vector<Marker> markers = {{MarkerKind::Start, event.start, "Start"}, {MarkerKind::Stop, event.stop, "Stop"}};
    addWarnings(markers, event, channels);
    for (const trelm::PowerFailure &failure : trelm::powerFailureEntries(event))
        if (failure.occurred())
            markers.push_back({MarkerKind::PowerFailure, failure.time, "Power failure " + std::to_string(failure.entry)});
    return markers;
}

} // namespace plots
