#include "archive/figures.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "datafile/statistics.h"
#include "grids/channel_layouts.h"
#include "grids/data_log_columns.h"

namespace archive {

namespace {

using trelm::EventFile;

std::vector<Quantity> makeLogQuantities() {
    std::vector<Quantity> quantities = {{"ambient", "Deg C", 1}, {"pressure", "mmHg", 0}};
    for (int c = 1; c <= kArchivedChannels; ++c)
        quantities.push_back({"filter" + std::to_string(c), "Deg C", 1});
    for (int c = 1; c <= kArchivedChannels; ++c)
        quantities.push_back({"flow" + std::to_string(c), "L/min", 2});
    quantities.push_back({"pump_box", "Deg C", 1});
    return quantities;
}

// Positions in logQuantities().
constexpr std::size_t kFirstFilter = 2;
constexpr std::size_t kFirstFlow = kFirstFilter + kArchivedChannels;
constexpr std::size_t kPumpBox = kFirstFlow + kArchivedChannels;

const char *const kExtremeParts[] = {"average", "maximum", "maximum_time", "minimum", "minimum_time"};
const char *const kCanisterParts[] = {"volume", "cv", "flow", "std_dev"};
constexpr std::size_t kExtremeColumns = std::size(kExtremeParts);
constexpr std::size_t kCanisterColumns = std::size(kCanisterParts);

void addExtremeColumns(std::vector<Column> &columns, const std::string &prefix) {
    for (const char *part : kExtremeParts)
        columns.push_back({prefix + "_" + part, std::string(part).ends_with("_time") ? ColumnKind::Stamp
                                                                                     : ColumnKind::Figure});
}

std::vector<Column> makeEventFigureColumns() {
    std::vector<Column> columns;
    addExtremeColumns(columns, "ambient");
    addExtremeColumns(columns, "pressure");
    for (int c = 1; c <= kArchivedChannels; ++c)
        addExtremeColumns(columns, "filter" + std::to_string(c));
    for (int c = 1; c <= kArchivedChannels; ++c)
        for (const char *part : kCanisterParts)
            columns.push_back({"canister" + std::to_string(c) + "_" + part, ColumnKind::Figure});
    return columns;
}

void putExtremes(std::vector<Value> &values, std::size_t at, const trelm::ExtremeFigures &figures) {
    values[at] = figureNumber(figures.average);
    values[at + 1] = figureNumber(figures.maximum);
    values[at + 2] = std::int64_t{figures.maximumTime};
    values[at + 3] = figureNumber(figures.minimum);
    values[at + 4] = std::int64_t{figures.minimumTime};
}

} // namespace

double figureNumber(const std::string &text) {
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

void appendFigure(std::string &text, double number, int decimals) {
    // Back to the stored integer, then its digits with the point `decimals`
    // places from the right and at least one digit before it, as
    // formatScaled() writes it (tested against it), without its allocations.
    static const double kScales[] = {1, 10, 100, 1000, 10000};
    decimals = std::clamp(decimals, 0, 4);
    const long stored = std::lround(number * kScales[decimals]);
    unsigned long digits = stored < 0 ? 0ul - static_cast<unsigned long>(stored) : static_cast<unsigned long>(stored);
    char buffer[32];
    char *end = buffer + sizeof buffer;
    char *at = end;
    for (int d = 0; d < decimals; ++d, digits /= 10)
        *--at = static_cast<char>('0' + digits % 10);
    if (decimals > 0)
        *--at = '.';
    do {
        *--at = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits);
    if (stored < 0)
        *--at = '-';
    text.append(at, end);
}

std::string figureText(double number, int decimals) {
    std::string text;
    appendFigure(text, number, decimals);
    return text;
}

std::string quantityList(const LogColumns &columns) {
    std::vector<bool> shown(logQuantities().size());
    shown[0] = shown[1] = true;
    for (int filter : columns.filters)
        shown[kFirstFilter + filter - 1] = true;
    for (const trelm::Canister &canister : columns.canisters)
        shown[kFirstFlow + canister.label - 1] = true;
    shown[kPumpBox] = columns.pumpBox;
    std::string list;
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i])
            list.append(list.empty() ? "" : ",").append(logQuantities()[i].name);
    return list;
}

const std::vector<Quantity> &logQuantities() {
    static const std::vector<Quantity> quantities = makeLogQuantities();
    return quantities;
}

LogColumns logColumnsOf(const EventFile &file) {
    const grids::GridChannels channels = grids::gridChannels(file.header.modelFlag, file.event.samplerConfig);
    LogColumns columns;
    for (const grids::DataLogColumn &column : grids::dataLogColumns(channels)) {
        if (column.quantity == trelm::LogQuantity::FilterTemperature)
            columns.filters.push_back(column.channel);
        else if (column.quantity == trelm::LogQuantity::Flow)
            for (const trelm::Canister &canister : channels.channels)
                if (canister.slot == column.channel)
                    columns.canisters.push_back(canister);
        columns.pumpBox = columns.pumpBox || column.quantity == trelm::LogQuantity::PumpBox;
    }
    return columns;
}

std::vector<Value> logValues(const trelm::LogRecord &record, const LogColumns &columns) {
    const trelm::LogFigures figures = trelm::logFigures(record, columns.filters, columns.canisters);
    std::vector<Value> values(logQuantities().size());
    values[0] = figureNumber(figures.ambient);
    values[1] = figureNumber(figures.pressure);
    for (std::size_t i = 0; i < columns.filters.size(); ++i)
        values[kFirstFilter + columns.filters[i] - 1] = figureNumber(figures.filters[i]);
    for (std::size_t i = 0; i < columns.canisters.size(); ++i)
        values[kFirstFlow + columns.canisters[i].label - 1] = figureNumber(figures.flows[i]);
    if (columns.pumpBox)
        values[kPumpBox] = figureNumber(figures.pumpBox);
    return values;
}

const std::vector<Column> &eventFigureColumns() {
    static const std::vector<Column> columns = makeEventFigureColumns();
    return columns;
}

std::vector<Value> eventFigureValues(const EventFile &file) {
    const trelm::EventRecord &event = file.event;
    const grids::GridChannels channels = grids::gridChannels(file.header.modelFlag, event.samplerConfig);
    std::vector<Value> values(eventFigureColumns().size());
    putExtremes(values, 0, trelm::ambientFigures(event));
    putExtremes(values, kExtremeColumns, trelm::barometricFigures(event));
    const std::size_t firstFilter = 2 * kExtremeColumns;
    for (int filter : channels.filters)
        putExtremes(values, firstFilter + (filter - 1) * kExtremeColumns, trelm::filterFigures(event, filter));
    const std::size_t firstCanister = firstFilter + kArchivedChannels * kExtremeColumns;
    for (const trelm::Canister &canister : channels.channels) {
        const trelm::CanisterFigures figures = trelm::canisterFigures(trelm::canisterBlock(event, canister.slot));
        const std::size_t at = firstCanister + (canister.label - 1) * kCanisterColumns;
        values[at] = figureNumber(figures.volume);
        values[at + 1] = figureNumber(figures.cv);
        values[at + 2] = figureNumber(figures.flow);
        values[at + 3] = figureNumber(figures.stdDev);
    }
    return values;
}

std::vector<WarningRow> warningRows(const EventFile &file) {
    const trelm::EventRecord &event = file.event;
    const grids::GridChannels channels = grids::gridChannels(file.header.modelFlag, event.samplerConfig);
    std::vector<WarningRow> rows;
    for (int filter : channels.filters) {
        if (const auto warning = trelm::filterTemperatureWarning(event, filter))
            rows.push_back({"filter temperature", filter, {}, "Yes", std::int64_t{warning->time}});
        // The warning grid shows a max dT when the difference itself is not zero.
        if (const auto maxDt = trelm::maxDtOf(event, filter, trelm::MaxDtTest::ByValue))
            rows.push_back({"max dT", filter, figureNumber(maxDt->value), maxDt->value, std::int64_t{maxDt->time}});
    }
    if (const auto elapse = trelm::elapseWarningOf(event))
        rows.push_back({"elapse", 0, std::int64_t{event.elapseWarning},
                        elapse->elapse + elapse->relation + elapse->reference, {}});
    for (const trelm::Canister &canister : channels.channels)
        if (const auto flow = trelm::flowWarningOf(event, canister.slot))
            rows.push_back({"flow", canister.label, figureNumber(flow->value), flow->value, std::int64_t{flow->time}});
    return rows;
}

} // namespace archive
