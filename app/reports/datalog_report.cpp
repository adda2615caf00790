// The Data Log report: the event's log records as a landscape table, read
// again from the data file, with no footer and no total.
#include <array>

#include "datafile/event_file.h"
#include "datafile/time_format.h"
#include "reports/number_pattern.h"
#include "reports/report_form.h"
#include "reports/reports.h"

namespace trelm {

namespace {

struct Headings {
    const char *first;
    const char *second;
};

constexpr const char *kSecondOne = "  Date     Time    (C)    (mmHg)   (C)   (L/Min)";
constexpr const char *kSecondTwo = "  Date     Time    (C)    (mmHg)   (C)    (C)   (L/Min) (L/Min)";
constexpr const char *kSecondThree = "  Date     Time    (C)    (mmHg)   (C)    (C)    (C)  (L/Min) (L/Min) (L/Min)";
constexpr const char *kSecondFour =
    "  Date     Time    (C)    (mmHg)   (C)    (C)    (C)    (C)   (L/Min)(L/Min)(L/Min)(L/Min)";

// Eight-channel headings by configuration code, exactly as stored.
constexpr std::array<Headings, 12> kEightChannelHeadings{{
    {"                 Ambient Pressure Fltr 1 Flow 1", kSecondOne},
    {"                 Ambient Pressure Fltr 2 Flow 2", kSecondOne},
    {"                 Ambient Pressure Fltr 3 Flow 3", kSecondOne},
    {"                 Ambient Pressure Fltr 4 Flow 4", kSecondOne},
    {"                 Ambient Pressure Fltr 1 Fltr 2 Flow 1  Flow 2", kSecondTwo},
    {"                 Ambient Pressure Fltr 3 Fltr 4 Flow 3  Flow 4", kSecondTwo},
    {"                 Ambient Pressure Fltr 5 Fltr 6 Flow 5  Flow 6", kSecondTwo},
    {"                 Ambient Pressure Fltr 7 Fltr 8 Flow 7  Flow 8", kSecondTwo},
    {"                 Ambient Pressure Fltr 1 Fltr 2 Fltr 3 Flow 1  Flow 2  Flow 3", kSecondThree},
    {"                 Ambient Pressure Fltr 5 Fltr 6 Fltr 7 Flow 5  Flow 6  Flow 7", kSecondThree},
    {"                 Ambient Pressure Fltr 1 Fltr 2 Fltr 3 Fltr 4  Flow 1 Flow 2 Flow 3 Flow 4", kSecondFour},
    {"                 Ambient Pressure Fltr 5 Fltr 6 Fltr 7 Fltr 8  Flow 5 Flow 6 Flow 7 Flow 8", kSecondFour},
}};

void printHeadings(ReportPage &page, const ReportForm &form) {
    if (form.eightChannel) {
        const Headings &headings = kEightChannelHeadings[static_cast<std::size_t>(form.code)];
        page.line(headings.first);
        page.line(headings.second);
        return;
    }
    std::string first = "                   Ambient Pressure Fltr 1 Flow 1";
    std::string second = "  Date       Time    (C)    (mmHg)   (C)   (L/Min)";
    for (int flow = 2; flow <= form.code + 1; ++flow) {
        first += " Flow " + std::to_string(flow);
        second += "(L/Min)";
    }
    page.line(first);
    page.line(second);
}

// The runs of spaces between the columns of a row.
struct RowLayout {
    const char *afterAmbient;
    const char *afterPressure;
    const char *betweenFilters;
    const char *beforeFlows;
    const char *betweenFlows;
};

RowLayout rowLayoutOf(const ReportForm &form) {
    if (!form.eightChannel)
        return {"     ", "   ", "", "    ", "   "};
    if (form.singleFilterCode())
        return {"    ", "    ", "", "  ", ""};
    if (form.code <= 9)
        return {"    ", "    ", "  ", "  ", "    "};
    return {"    ", "    ", "  ", "    ", "   "};
}

std::string flowText(const ReportForm &form, std::int16_t raw) {
    if (!form.eightChannel)
        return formatPattern("0.00", raw, 2);
    if (form.singleFilterCode())
        return formatPattern("@@@", raw, 2);
    return formatPattern("@.@@", raw);
}

std::string rowOf(const ReportForm &form, const RowLayout &layout, const DateOrder &order, const LogRecord &record) {
    std::string row = FormatDateOnly(record.time, order) + "  " + FormatTimeOfDay(record.time) + " ";
    row += formatPattern("@@@.@", record.ambientTemperature) + layout.afterAmbient;
    row += formatPattern("@@@", record.ambientPressure) + layout.afterPressure;
    const std::vector<int> &filters = form.filters;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if (i > 0)
            row += layout.betweenFilters;
        row += formatPattern("@@@.@", record.filterTemperature[static_cast<std::size_t>(filters[i] - 1)]);
    }
    row += layout.beforeFlows;
    const std::vector<Canister> &canisters = form.canisters;
    for (std::size_t i = 0; i < canisters.size(); ++i) {
        if (i > 0)
            row += layout.betweenFlows;
        row += flowText(form, record.flow[static_cast<std::size_t>(canisters[i].slot - 1)]);
    }
    return row;
}

} // namespace

Status PrintDataLogReport(LinePrinter &printer, LoadedEvent &loaded) {
    // A file that has gone or changed into something unreadable since it
    // was loaded gets its message before any page is begun.
    auto reread = readEventFile(loaded.path);
    if (!reread)
        return reread.error();
    const EventFile &file = reread.value();
    loaded.header = file.header;
    loaded.event = file.event;

    const ReportForm form = reportFormOf(file.header, file.event);
    // A code outside the tables prints neither headings nor rows.
    const bool knownCode = !form.canisters.empty();
    ReportPage page(printer);
    page.open(Orientation::Landscape, file.header, " Data Log Report");
    page.size(10);
    page.bold(false);
    page.fileLine("", loaded.path);
    page.blank();
    page.size(12);
    page.bold(true);
    if (knownCode)
        printHeadings(page, form);
    page.bold(false);
    if (knownCode) {
        const RowLayout layout = rowLayoutOf(form);
        const DateOrder order = LocaleDateOrder();
        for (const LogRecord &record : file.log)
            page.line(rowOf(form, layout, order, record));
    }
    return page.finish();
}

} // namespace trelm
