#include "datafile/statistics.h"

#include "datafile/time_format.h"

namespace trelm {

std::string formatScaled(long stored, int decimals) {
    if (decimals <= 0)
        return std::to_string(stored);
    // padded() keeps the sign ahead of at least one whole digit: -5 gives -05, so -0.5.
    std::string digits = padded(stored, decimals + 1);
    digits.insert(digits.size() - decimals, 1, '.');
    return digits;
}

const StatBlock &filterBlock(const EventRecord &event, int filter) { return event.stats.at(filter - 1); }
const StatBlock &canisterBlock(const EventRecord &event, int slot) { return event.stats.at(7 + slot); }
const StatBlock &ambientBlock(const EventRecord &event) { return event.stats[kAmbientBlock]; }
const StatBlock &pressureBlock(const EventRecord &event) { return event.stats[kPressureBlock]; }

CanisterFigures canisterFigures(const StatBlock &block) {
    return CanisterFigures{formatScaled(block.volume, 3), formatTenths(block.cv), formatHundredths(block.average),
                           formatHundredths(block.stdDev)};
}

std::optional<Occurrence> filterTemperatureWarning(const EventRecord &event, int filter) {
    const std::int32_t time = event.filterTemperatureWarning.at(filter - 1);
    if (time == 0)
        return std::nullopt;
    return Occurrence{"", time};
}

std::optional<Occurrence> maxDtOf(const EventRecord &event, int filter) {
    const std::int32_t time = event.maxDtTime.at(filter - 1);
    if (time == 0)
        return std::nullopt;
    return Occurrence{formatTenths(event.maxDt.at(filter - 1)), time};
}

std::optional<Occurrence> flowWarningOf(const EventRecord &event, int slot) {
    const std::int16_t flow = event.flowWarning.at(slot - 1);
    if (flow == 0)
        return std::nullopt;
    return Occurrence{formatHundredths(flow), event.flowWarningTime.at(slot - 1)};
}

std::optional<ElapseWarning> elapseWarningOf(const EventRecord &event) {
    if (event.elapseWarning == 0)
        return std::nullopt;
    return ElapseWarning{FormatElapsed(event.elapse), event.elapseWarning < event.elapse ? " > " : " < ",
                         FormatElapsed(event.elapseWarning)};
}

std::vector<std::int32_t> powerFailuresOf(const EventRecord &event) {
    std::vector<std::int32_t> stamps;
    for (std::int32_t stamp : event.powerFailures)
        if (stamp != 0)
            stamps.push_back(stamp);
    return stamps;
}

} // namespace trelm
