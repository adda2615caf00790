// The Event Summary report: event times, average conditions, flow
// statistics and the extremes with their times, on one portrait document.
#include "datafile/statistics.h"
#include "datafile/time_format.h"
#include "reports/number_pattern.h"
#include "reports/report_form.h"
#include "reports/reports.h"

namespace trelm {

namespace {

std::string temperature(std::int16_t tenths) { return formatPattern("00.0", tenths, 1) + " C"; }

void filterAverages(ReportPage &page, const ReportForm &form, const EventRecord &event) {
    // Numbered labels stand one blank further right than plain ones; the
    // five-channel label has no leading blank.
    const std::string label = !form.eightChannel ? "Filter Temperature "
                              : form.labels.plainFilters ? " Filter Temperature "
                                                         : " Filter Temperature  ";
    for (int n : form.filters)
        page.line(label + labelNumber(n, form.labels.plainFilters) + ": " +
                  temperature(filterBlock(event, n).average));
}

std::string canisterValues(const ReportForm &form, const StatBlock &block) {
    const std::string volume = formatPattern("  0.000", block.volume, 3);
    if (form.eightChannel)
        return volume + formatPattern("      0.0", block.cv, 1) + formatPattern("      0.00", block.average, 2) +
               formatPattern("        0.00", block.stdDev, 2);
    if (form.code == 0)
        return volume + formatPattern("      @.@", block.cv) + formatPattern("     @@.@@", block.average) +
               formatPattern("       0.00", block.stdDev, 2);
    return volume + formatPattern("      @.@", block.cv) + formatPattern("      @@.@@", block.average) +
           formatPattern("        0.00", block.stdDev, 2);
}

void flowStatistics(ReportPage &page, const ReportForm &form, const EventRecord &event) {
    page.line("            Volume(m3)  CV(%)  Flow(L/min)  Std Dev(L/min)");
    for (const Canister &canister : form.canisters)
        page.line("Canister " + formatPattern("0", canister.label) + ": " +
                  canisterValues(form, canisterBlock(event, canister.slot)));
}

void extremes(ReportPage &page, const StatBlock &block, const char *pattern, int decimals, const char *unit) {
    page.line("Maximum:" + formatPattern(pattern, block.maximum, decimals) + unit +
              FormatDateTimeShort(block.maximumTime));
    page.line("Minimum:" + formatPattern(pattern, block.minimum, decimals) + unit +
              FormatDateTimeShort(block.minimumTime));
}

void filterExtremes(ReportPage &page, const ReportForm &form, const EventRecord &event) {
    for (int n : form.filters) {
        page.line("Filter " + labelNumber(n, form.labels.plainFilters) + ":");
        extremes(page, filterBlock(event, n), " 00.0", 1, " C    ");
    }
}

} // namespace

Status PrintSummaryReport(LinePrinter &printer, const LoadedEvent &loaded) {
    const ReportForm form = reportFormOf(loaded.header, loaded.event);
    const EventRecord &event = loaded.event;
    ReportPage page(printer);
    page.open(Orientation::Portrait, loaded.header, " Event Summary Report");
    page.size(12);
    page.heading("Event Sample Times");
    page.line("Status: " + StatusName(event.status));
    page.line(" Start: " + FormatDateTimeShort(event.start));
    page.line("  Stop: " + FormatDateTimeShort(event.stop));
    page.line("Elapse:          " + FormatElapsed(event.elapse));
    page.blank();

    page.heading("Event Average Parameters");
    page.line((form.eightChannel ? "Ambient Temperature: " : " Ambient Temperature: ") +
              temperature(ambientBlock(event).average));
    page.line((form.eightChannel ? "Barometric Pressure: " : " Barometric Pressure:  ") +
              formatPattern("###", pressureBlock(event).average) + " mmHg");
    filterAverages(page, form, event);
    page.blank();

    page.heading("Event Flow Statistics");
    flowStatistics(page, form, event);
    page.blank();

    page.heading("Event Maximum/Minimum Statistics");
    page.line("Ambient Temperature");
    extremes(page, ambientBlock(event), " 00.0", 1, " C    ");
    page.blank();
    page.line("Filter Temperature");
    filterExtremes(page, form, event);
    page.blank();
    page.line("Barometric Pressure");
    extremes(page, pressureBlock(event), " 000", 0, " mmHg  ");
    page.blank(7);
    return page.close(loaded.path, loaded.header);
}

} // namespace trelm
