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

std::string strForm(long number) {
    if (number < 0)
        return std::to_string(number);
    std::string text = " ";
    return text.append(std::to_string(number)); // appended: GCC 12 misreports " " + string
}

std::vector<int> filtersShown(std::int16_t modelFlag, std::int16_t samplerConfig) {
    if (!isEightChannel(modelFlag))
        return {1};
    return activeChannels(modelFlag, samplerConfig).filters;
}

LabelForms labelFormsOf(std::int16_t modelFlag, std::int16_t samplerConfig) {
    if (isEightChannel(modelFlag)) {
        const bool singleFilter = samplerConfig >= 0 && samplerConfig <= 3;
        return LabelForms{singleFilter, singleFilter};
    }
    return LabelForms{true, samplerConfig == 0};
}

std::string labelNumber(int number, bool plain) { return plain ? std::to_string(number) : strForm(number); }

int filterOfCanister(std::int16_t modelFlag, const Canister &canister) {
    return isEightChannel(modelFlag) ? canister.label : 1;
}

const StatBlock &filterBlock(const EventRecord &event, int filter) { return event.stats.at(filter - 1); }
const StatBlock &canisterBlock(const EventRecord &event, int slot) { return event.stats.at(7 + slot); }
const StatBlock &ambientBlock(const EventRecord &event) { return event.stats[kAmbientBlock]; }
const StatBlock &pressureBlock(const EventRecord &event) { return event.stats[kPressureBlock]; }

ExtremeFigures temperatureFigures(const StatBlock &block) {
    return ExtremeFigures{formatTenths(block.average), formatTenths(block.maximum), formatTenths(block.minimum),
                          block.maximumTime, block.minimumTime, block};
}

ExtremeFigures pressureFigures(const StatBlock &block) {
    return ExtremeFigures{std::to_string(block.average), std::to_string(block.maximum),
                          std::to_string(block.minimum), block.maximumTime, block.minimumTime, block};
}

CanisterFigures canisterFigures(const StatBlock &block) {
    return CanisterFigures{formatScaled(block.volume, 3), formatTenths(block.cv), formatHundredths(block.average),
                           formatHundredths(block.stdDev)};
}

std::optional<Occurrence> filterTemperatureWarning(const EventRecord &event, int filter) {
    const std::int32_t time = event.filterTemperatureWarning.at(filter - 1);
    if (time == 0)
        return std::nullopt;
    return Occurrence{"", 0, time};
}

std::optional<Occurrence> maxDtOf(const EventRecord &event, int filter, MaxDtTest test) {
    const std::int16_t value = event.maxDt.at(filter - 1);
    const std::int32_t time = event.maxDtTime.at(filter - 1);
    if ((test == MaxDtTest::ByTime ? time : value) == 0)
        return std::nullopt;
    return Occurrence{formatTenths(value), value, time};
}

std::optional<Occurrence> flowWarningOf(const EventRecord &event, int slot) {
    const std::int16_t flow = event.flowWarning.at(slot - 1);
    if (flow == 0)
        return std::nullopt;
    return Occurrence{formatHundredths(flow), flow, event.flowWarningTime.at(slot - 1)};
}

std::optional<ElapseWarning> elapseWarningOf(const EventRecord &event) {
    if (event.elapseWarning == 0)
        return std::nullopt;
    return ElapseWarning{FormatElapsed(event.elapse), event.elapseWarning < event.elapse ? " > " : " < ",
                         FormatElapsed(event.elapseWarning)};
}

std::array<PowerFailure, kPowerFailureEntries> powerFailureEntries(const EventRecord &event) {
    std::array<PowerFailure, kPowerFailureEntries> entries;
    for (int i = 0; i < kPowerFailureEntries; ++i)
        entries[i] = PowerFailure{i + 1, event.powerFailures[i]};
    return entries;
}

std::vector<std::int32_t> powerFailuresOf(const EventRecord &event) {
    std::vector<std::int32_t> stamps;
    for (const PowerFailure &failure : powerFailureEntries(event))
        if (failure.occurred())
            stamps.push_back(failure.time);
    return stamps;
}

int logDecimals(LogQuantity quantity) {
    constexpr int kTemperatureDecimals = 1;
    constexpr int kPressureDecimals = 0;
    constexpr int kFlowDecimals = 2;
    switch (quantity) {
    case LogQuantity::Pressure:
        return kPressureDecimals;
    case LogQuantity::Flow:
        return kFlowDecimals;
    default:
        return kTemperatureDecimals;
    }
}

long storedLogValue(const LogRecord &record, LogQuantity quantity, int channel) {
    switch (quantity) {
    case LogQuantity::Ambient:
        return record.ambientTemperature;
    case LogQuantity::Pressure:
        return record.ambientPressure;
    case LogQuantity::FilterTemperature:
        return record.filterTemperature.at(channel - 1);
    case LogQuantity::Flow:
        return record.flow.at(channel - 1);
    case LogQuantity::PumpBox:
        return record.pumpBoxTemperature;
    }
    return 0;
}

namespace {

std::string logText(const LogRecord &record, LogQuantity quantity, int channel = 0) {
    return formatScaled(storedLogValue(record, quantity, channel), logDecimals(quantity));
}

} // namespace

LogFigures logFigures(const LogRecord &record, const std::vector<int> &filters,
                      const std::vector<Canister> &canisters) {
    LogFigures figures{logText(record, LogQuantity::Ambient), logText(record, LogQuantity::Pressure), {}, {},
                       logText(record, LogQuantity::PumpBox)};
    figures.filters.reserve(filters.size());
    for (int c : filters)
        figures.filters.push_back(logText(record, LogQuantity::FilterTemperature, c));
    figures.flows.reserve(canisters.size());
    for (const Canister &canister : canisters)
        figures.flows.push_back(logText(record, LogQuantity::Flow, canister.slot));
    return figures;
}

} // namespace trelm
