#include <ostream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "datafile/codes.h"
#include "datafile/event_file.h"
#include "datafile/statistics.h"
#include "datafile/time_format.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink show EVENT.bin\n"
    "\n"
    "Prints a summary of one event file: status, times, unit, firmware, model,\n"
    "flow statistics, temperature and pressure extremes, warnings, power\n"
    "failures and the number of log records.\n";

std::string at(std::int32_t t) { return " at " + FormatDateTimeShort(t); }

void showExtremes(std::ostream &out, const std::string &name, const StatBlock &block, bool pressure) {
    const auto value = [pressure](std::int16_t stored) {
        return pressure ? std::to_string(stored) + " mmHg" : formatTenths(stored) + " C";
    };
    out << name << ": average " << value(block.average) << ", maximum " << value(block.maximum)
        << at(block.maximumTime) << ", minimum " << value(block.minimum) << at(block.minimumTime) << '\n';
}

void showFacts(std::ostream &out, const EventFile &file) {
    const EventRecord &event = file.event;
    out << "Model: " << ModelName(file.header.modelFlag) << '\n'
        << "Firmware: " << FirmwareText(file.header.firmware) << '\n'
        << "Unit ID: " << file.header.unitId << '\n'
        << "Status: " << StatusName(event.status) << '\n'
        << "Start: " << FormatDateTimeShort(event.start) << '\n'
        << "Stop: " << FormatDateTimeShort(event.stop) << '\n'
        << "Elapse: " << FormatElapsed(event.elapse) << '\n'
        << "Configuration: " << event.samplerConfig << '\n';
}

void showStatistics(std::ostream &out, const EventFile &file, const ActiveChannels &channels) {
    const EventRecord &event = file.event;
    showExtremes(out, "Ambient temperature", ambientBlock(event), false);
    showExtremes(out, "Barometric pressure", pressureBlock(event), true);
    for (int c : channels.filters)
        showExtremes(out, "Filter " + std::to_string(c) + " temperature", filterBlock(event, c), false);
    for (const Canister &canister : channels.canisters) {
        const CanisterFigures figures = canisterFigures(canisterBlock(event, canister.slot));
        out << "Canister " << canister.label << ": volume " << figures.volume << " m3, CV " << figures.cv
            << " %, flow " << figures.flow << " L/min, std dev " << figures.stdDev << " L/min\n";
    }
}

void showWarnings(std::ostream &out, const EventRecord &event, const ActiveChannels &channels) {
    out << "Warnings:\n";
    for (int c : channels.filters) {
        const auto warning = filterTemperatureWarning(event, c);
        out << "  Filter " << c << " temperature: " << (warning ? "Yes" + at(warning->time) : "No") << '\n';
        if (const auto maxDt = maxDtOf(event, c, MaxDtTest::ByTime))
            out << "  Filter " << c << " max dT: " << maxDt->value << " C" << at(maxDt->time) << '\n';
    }
    const auto elapse = elapseWarningOf(event);
    out << "  Elapse: " << (elapse ? "Yes " + elapse->elapse + elapse->relation + elapse->reference : "No") << '\n';
    for (const Canister &canister : channels.canisters) {
        const auto flow = flowWarningOf(event, canister.slot);
        out << "  Canister " << canister.label << " flow: "
            << (flow ? "Yes " + flow->value + " L/min" + at(flow->time) : "No") << '\n';
    }
}

} // namespace

int runShow(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("show", kHelp, args, {}, out, err, parsed))
        return *done;
    const std::string source = parsed.positional[0];
    auto file = readEventFile(source);
    if (!file)
        return fail(err, file.error().message());
    const ActiveChannels channels = activeChannels(file.value().header.modelFlag, file.value().event.samplerConfig);
    out << "File: " << source << '\n';
    showFacts(out, file.value());
    showStatistics(out, file.value(), channels);
    showWarnings(out, file.value().event, channels);
    const std::vector<std::int32_t> failures = powerFailuresOf(file.value().event);
    out << "Power failures: " << (failures.empty() ? "none" : std::to_string(failures.size())) << '\n';
    for (std::int32_t stamp : failures)
        out << "  " << FormatDateTimeShort(stamp) << '\n';
    out << "Log records: " << file.value().log.size() << '\n';
    return 0;
}

} // namespace trelm::cli
