#include "export/csv_event.h"

#include <vector>

#include "datafile/atomic_file.h"
#include "datafile/codes.h"
#include "datafile/statistics.h"
#include "datafile/time_format.h"
#include "export/csv_writer.h"

namespace trelm {

namespace {

// A channel number in a label: its digits, after one blank unless plain.
std::string numberText(int number, bool plain) {
    std::string text = plain ? "" : " ";
    return text.append(std::to_string(number)); // appended: GCC 12 misreports " " + string
}

class EventCsv {
public:
    EventCsv(const EventFile &source, LabelStyle style)
        : m_source(source), m_event(source.event), m_style(style),
          m_channels(activeChannels(source.header.modelFlag, source.event.samplerConfig)),
          m_dateOrder(LocaleDateOrder()) {}

    void facts(const std::string &sourceName);
    void averages();
    void flowStatistics();
    void extremes();
    void warnings();
    void flowWarnings();
    void dataLog();
    const std::string &text() const { return m_csv.text(); }

private:
    // The date in the locale's short-date order, read once per export.
    std::string dateOf(std::int32_t t) const { return FormatDateOnly(t, m_dateOrder); }
    std::string filterLabel(int c) const {
        return "Filter " + numberText(c, m_style.plainFilterLabels) + ":";
    }
    void extremeLines(const StatBlock &block, bool pressure);

    const EventFile &m_source;
    const EventRecord &m_event;
    LabelStyle m_style;
    ActiveChannels m_channels;
    DateOrder m_dateOrder;
    CsvWriter m_csv;
};

void EventCsv::facts(const std::string &sourceName) {
    m_csv.line({"File:", sourceName});
    m_csv.emptyLine();
    m_csv.line({"Firmware:", FirmwareText(m_source.header.firmware)});
    m_csv.emptyLine();
    m_csv.line({"Event"});
    m_csv.line({"Status:", StatusName(m_event.status)});
    m_csv.line({"Start:", dateOf(m_event.start), FormatTimeOfDay(m_event.start)});
    m_csv.line({"Stop:", dateOf(m_event.stop), FormatTimeOfDay(m_event.stop)});
    m_csv.line({"Elapse:", "", FormatElapsed(m_event.elapse)});
    m_csv.line({"Unit ID:", std::to_string(m_source.header.unitId)});
    m_csv.emptyLine();
}

void EventCsv::averages() {
    m_csv.line({"Event Average Parameters"});
    m_csv.line({"Ambient Temperature:", formatTenths(ambientBlock(m_event).average), "C"});
    m_csv.line({"Barometric Pressure:", std::to_string(pressureBlock(m_event).average), "mmHg"});
    for (int c : m_channels.filters) {
        const std::string number = numberText(c, m_style.plainFilterLabels);
        m_csv.line({"Filter Temperature " + number + ":", formatTenths(filterBlock(m_event, c).average), "C"});
    }
    m_csv.emptyLine();
}

void EventCsv::flowStatistics() {
    m_csv.line({"Event Flow Statistics"});
    m_csv.line({"", "Volume(m3)", "CV(%)", "Flow(L/min)", "Std Dev(L/min)"});
    for (const Canister &canister : m_channels.canisters) {
        const std::string label = "Canister " + std::to_string(canister.label) +
                                  (m_style.plainCanisterLabels ? ":" : ": ");
        const CanisterFigures figures = canisterFigures(canisterBlock(m_event, canister.slot));
        m_csv.line({label, figures.volume, figures.cv, figures.flow, figures.stdDev});
    }
    m_csv.emptyLine();
}

void EventCsv::extremeLines(const StatBlock &block, bool pressure) {
    const auto value = [pressure](std::int16_t stored) {
        return pressure ? bareNumber(stored) : CsvItem(formatTenths(stored));
    };
    const char *unit = pressure ? "mmHg" : "C";
    m_csv.line({"Maximum:", value(block.maximum), unit, dateOf(block.maximumTime), FormatTimeOfDay(block.maximumTime)});
    m_csv.line({"Minimum:", value(block.minimum), unit, dateOf(block.minimumTime), FormatTimeOfDay(block.minimumTime)});
}

void EventCsv::extremes() {
    m_csv.line({"Event Maximum/Minimum Statistics"});
    m_csv.line({"Ambient Temperature:"});
    extremeLines(ambientBlock(m_event), false);
    m_csv.emptyLine();
    m_csv.line({"Barometric Pressure:"});
    extremeLines(pressureBlock(m_event), true);
    m_csv.emptyLine();
    m_csv.line({"Filter Temperature:"});
    for (int c : m_channels.filters) {
        m_csv.line({filterLabel(c)});
        extremeLines(filterBlock(m_event, c), false);
    }
    m_csv.emptyLine();
}

void EventCsv::warnings() {
    m_csv.line({"Warnings"});
    for (int c : m_channels.filters) {
        if (const auto warning = filterTemperatureWarning(m_event, c))
            m_csv.line({filterLabel(c), "Yes", dateOf(warning->time), FormatTimeOfDay(warning->time)});
        else
            m_csv.line({filterLabel(c), "No"});
    }
    m_csv.emptyLine();
    for (int c : m_channels.filters) {
        const auto maxDt = maxDtOf(m_event, c);
        if (!maxDt)
            continue;
        const std::string label = m_style.plainFilterLabels ? "Filter " + std::to_string(c) + " Max dT:"
                                                            : "Max Filter " + numberText(c, false) + " dT:";
        m_csv.line({label, maxDt->value, "C", dateOf(maxDt->time), FormatTimeOfDay(maxDt->time)});
    }
    m_csv.emptyLine();
    if (const auto elapse = elapseWarningOf(m_event))
        m_csv.line({"Elapse:", "Yes", elapse->elapse, elapse->relation, elapse->reference});
    else
        m_csv.line({"Elapse:", "No"});
    m_csv.emptyLine();
    m_csv.emptyLine();
}

void EventCsv::flowWarnings() {
    m_csv.line({"Flow Warnings", "", "", "L/Min"});
    for (const Canister &canister : m_channels.canisters) {
        const std::string number = numberText(canister.label, m_style.plainCanisterLabels);
        if (const auto warning = flowWarningOf(m_event, canister.slot))
            m_csv.line({"Canister:", number, "Yes", warning->value, dateOf(warning->time),
                        FormatTimeOfDay(warning->time)});
        else
            m_csv.line({"Canister:", number, "No"});
    }
}

void EventCsv::dataLog() {
    // A configuration outside the tables has no channels and no data log.
    if (m_channels.filters.empty())
        return;
    m_csv.emptyLine();
    std::vector<CsvItem> header = {"Date", "Time", "Ambient Temperature", "Ambient Pressure"};
    for (int c : m_channels.filters)
        header.emplace_back("Filter " + std::to_string(c) + " Temperature");
    for (const Canister &canister : m_channels.canisters)
        header.emplace_back("Flow(" + std::to_string(canister.label) + ")");
    header.emplace_back("Pump Box Temperature");
    m_csv.line(header);

    std::vector<CsvItem> row;
    for (const LogRecord &record : m_source.log) {
        row = {dateOf(record.time), FormatTimeOfDay(record.time), formatTenths(record.ambientTemperature),
               std::to_string(record.ambientPressure)};
        for (int c : m_channels.filters)
            row.emplace_back(formatTenths(record.filterTemperature[c - 1]));
        for (const Canister &canister : m_channels.canisters)
            row.emplace_back(formatHundredths(record.flow[canister.slot - 1]));
        row.emplace_back(formatTenths(record.pumpBoxTemperature));
        m_csv.line(row);
    }
}

} // namespace

std::string composeEventCsv(const EventFile &source, const std::string &sourceName, LabelStyle style) {
    EventCsv csv(source, style);
    csv.facts(sourceName);
    csv.averages();
    csv.flowStatistics();
    csv.extremes();
    csv.warnings();
    csv.flowWarnings();
    csv.dataLog();
    return csv.text();
}

Status writeEventCsv(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                     LabelStyle style) {
    if (csvPath.empty())
        return Done{};
    return writeFileAtomically(csvPath, composeEventCsv(source, sourceName, style));
}

} // namespace trelm
