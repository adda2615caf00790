// The Warnings report: filter temperature warnings, max dT, the elapse
// warning, flow warnings and the ten power-failure entries, on one portrait
// document.
#include "datafile/statistics.h"
#include "datafile/time_format.h"
#include "reports/report_form.h"
#include "reports/reports.h"

namespace trelm {

namespace {

void filterWarnings(ReportPage &page, const ReportForm &form, const EventRecord &event) {
    for (int n : form.filters) {
        const std::string label = "  Filter " + labelNumber(n, form.labels.plainFilters) + ":";
        if (auto warning = filterTemperatureWarning(event, n))
            page.line(label + "  Yes     " + FormatDateTimeShort(warning->time));
        else
            page.line(label + "   No");
    }
}

void maxDtLines(ReportPage &page, const ReportForm &form, const EventRecord &event) {
    for (int n : form.filters) {
        const std::string label = "  Filter " + labelNumber(n, form.labels.plainFilters) + " Max dT:  ";
        if (auto maxDt = maxDtOf(event, n, MaxDtTest::ByTime))
            page.line(label + maxDt->value + " C  " + FormatDateTimeShort(maxDt->time));
        else
            page.blank();
    }
}

void elapseLine(ReportPage &page, const EventRecord &event) {
    if (auto warning = elapseWarningOf(event))
        page.line("  Elapse:  Yes   " + warning->elapse + warning->relation + warning->reference);
    else
        page.line("  Elapse:   No");
}

// The stored texts of the eight-channel single-filter codes; code 0's Yes
// text has one space more than the others.
std::string singleCanisterLine(std::int16_t code, const Canister &canister, const EventRecord &event) {
    const std::string number = std::to_string(canister.label);
    if (auto warning = flowWarningOf(event, canister.slot)) {
        const std::string yes = code == 0 ? "  Canister 1:    Yes  " : "  Canister " + number + ":   Yes  ";
        return yes + warning->value + "  " + FormatDateTimeShort(warning->time);
    }
    return "  Canister " + number + ":    No  ";
}

std::string canisterLine(const ReportForm &form, const Canister &canister, const EventRecord &event) {
    const auto warning = flowWarningOf(event, canister.slot);
    const std::string when = warning ? warning->value + "  " + FormatDateTimeShort(warning->time) : "";
    const std::string number = strForm(canister.label);
    if (form.eightChannel && form.code == 4) {
        // The code 4 No text is stored with a stray double quote and no
        // space before the number; it prints as stored.
        return warning ? "  Canister " + number + ":  Yes  " + when : "  Canister" + number + ":  \"   No  ";
    }
    if (!form.eightChannel && form.code == 0) {
        // The five-channel code 0 texts are stored whole, the digit two
        // blanks after the colon rather than behind a Str form's blank.
        return warning ? "  Canister:  1  Yes  " + when : "  Canister:  1   No  ";
    }
    return warning ? "  Canister:  " + number + "  Yes  " + when : "  Canister:  " + number + "   No  ";
}

void flowWarnings(ReportPage &page, const ReportForm &form, const EventRecord &event) {
    for (const Canister &canister : form.canisters) {
        if (form.singleFilterCode())
            page.line(singleCanisterLine(form.code, canister, event));
        else
            page.line(canisterLine(form, canister, event));
    }
}

void powerFailures(ReportPage &page, const EventRecord &event) {
    for (const PowerFailure &failure : powerFailureEntries(event)) {
        if (failure.occurred())
            page.line(strForm(failure.entry) + "     " + FormatDateTimeShort(failure.time));
        else
            page.blank();
    }
}

} // namespace

Status PrintWarningsReport(LinePrinter &printer, const LoadedEvent &loaded) {
    const ReportForm form = reportFormOf(loaded.header, loaded.event);
    const EventRecord &event = loaded.event;
    ReportPage page(printer);
    page.open(Orientation::Portrait, loaded.header, " Warnings Report");
    page.size(12);
    page.heading("Filter Temperature Warning");
    filterWarnings(page, form, event);
    page.blank();
    maxDtLines(page, form, event);
    page.blank();
    page.heading("Elapse Warning");
    elapseLine(page, event);
    page.blank();
    page.heading(form.eightChannel ? "Flow Warning      L/min" : "Flow Warning          L/min");
    flowWarnings(page, form, event);
    page.blank();
    page.bold(true);
    page.line("Power Failure");
    page.line("Event  Date/Time");
    page.bold(false);
    powerFailures(page, event);
    page.blank(6);
    return page.close(loaded.path, loaded.header);
}

} // namespace trelm
