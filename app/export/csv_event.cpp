#include "export/csv_event.h"

#include <utility>
#include <vector>

#include "datafile/codes.h"
#include "datafile/statistics.h"
#include "datafile/time_format.h"
#include "export/csv_writer.h"

namespace trelm {

namespace {

class EventCsv {
public:
    EventCsv(const EventFile &source, LabelForms labels)
        : m_source(source), m_event(source.event), m_labels(labels),
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
        return "Filter " + labelNumber(c, m_labels.plainFilters) + ":";
    }
    void extremeLines(const ExtremeFigures &figures, bool pressure);

    const EventFile &m_source;
    const EventRecord &m_event;
    LabelForms m_labels;
    // The CSV writes the configuration's channels only: unlike the grids
    // (filtersShown), a five-channel code outside the table gets no filter.
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
    m_csv.line({"Ambient Temperature:", ambientFigures(m_event).average, "C"});
    m_csv.line({"Barometric Pressure:", barometricFigures(m_event).average, "mmHg"});
    for (int c : m_channels.filters) {
        const std::string number = labelNumber(c, m_labels.plainFilters);
        m_csv.line({"Filter Temperature " + number + ":", filterFigures(m_event, c).average, "C"});
    }
    m_csv.emptyLine();
}

void EventCsv::flowStatistics() {
    m_csv.line({"Event Flow Statistics"});
    m_csv.line({"", "Volume(m3)", "CV(%)", "Flow(L/min)", "Std Dev(L/min)"});
    for (const Canister &canister : m_channels.canisters) {
        const std::string label = "Canister " + std::to_string(canister.label) +
                                  (m_labels.plainCanisters ? ":" : ": ");
        const CanisterFigures figures = canisterFigures(canisterBlock(m_event, canister.slot));
        m_csv.line({label, figures.volume, figures.cv, figures.flow, figures.stdDev});
    }
    m_csv.emptyLine();
}

// The pressure extremes are the CSV's only unquoted items.
void EventCsv::extremeLines(const ExtremeFigures &figures, bool pressure) {
    const auto value = [pressure](const std::string &text) {
        CsvItem item(text);
        item.quoted = !pressure;
        return item;
    };
    const char *unit = pressure ? "mmHg" : "C";
    m_csv.line({"Maximum:", value(figures.maximum), unit, dateOf(figures.maximumTime),
                FormatTimeOfDay(figures.maximumTime)});
    m_csv.line({"Minimum:", value(figures.minimum), unit, dateOf(figures.minimumTime),
                FormatTimeOfDay(figures.minimumTime)});
}

void EventCsv::extremes() {
    m_csv.line({"Event Maximum/Minimum Statistics"});
    m_csv.line({"Ambient Temperature:"});
    extremeLines(ambientFigures(m_event), false);
    m_csv.emptyLine();
    m_csv.line({"Barometric Pressure:"});
    extremeLines(barometricFigures(m_event), true);
    m_csv.emptyLine();
    m_csv.line({"Filter Temperature:"});
    for (int c : m_channels.filters) {
        m_csv.line({filterLabel(c)});
        extremeLines(filterFigures(m_event, c), false);
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
        // The CSV shows a max dT whose time stamp is set, whatever its value.
        const auto maxDt = maxDtOf(m_event, c, MaxDtTest::ByTime);
        if (!maxDt)
            continue;
        const std::string label = m_labels.plainFilters ? "Filter " + std::to_string(c) + " Max dT:"
                                                        : "Max Filter " + strForm(c) + " dT:";
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
        const std::string number = labelNumber(canister.label, m_labels.plainCanisters);
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
        LogFigures figures = logFigures(record, m_channels.filters, m_channels.canisters);
        row = {dateOf(record.time), FormatTimeOfDay(record.time), std::move(figures.ambient),
               std::move(figures.pressure)};
        for (std::string &filter : figures.filters)
            row.emplace_back(std::move(filter));
        for (std::string &flow : figures.flows)
            row.emplace_back(std::move(flow));
        row.emplace_back(std::move(figures.pumpBox));
        m_csv.line(row);
    }
}

} // namespace

std::string composeEventCsv(const EventFile &source, const std::string &sourceName, LabelForms labels) {
    EventCsv csv(source, labels);
    csv.facts(sourceName);
    csv.averages();
    csv.flowStatistics();
    csv.extremes();
    csv.warnings();
    csv.flowWarnings();
    csv.dataLog();
    return csv.text();
}

} // namespace trelm
