#include <algorithm>
#include <sstream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/report_output.h"
#include "datafile/event_file.h"
#include "reports/reports.h"
#include "reports/text_printer.h"
#include "plots/event_plot.h"
#include "plots/plots_page.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink report EVENT.bin [--summary] [--warnings] [--datalog] [--plots] (--pdf OUT.pdf | --text)\n"
    "\n"
    "Prints the reports of an event file: the Event Summary, the Warnings and\n"
    "the Data Log, in that order, whichever are asked for (the Event Summary\n"
    "alone when none is named).\n"
    "\n"
    "  --pdf OUT.pdf  all requested reports in one PDF file, each starting on a\n"
    "                 new page in its own orientation (Data Log landscape). The\n"
    "                 file appears only when every report was written.\n"
    "  --text         the report lines as plain text on standard output, exactly\n"
    "                 as composed, blank lines as empty lines.\n"
    "  --plots        adds one landscape page after the reports with the event's\n"
    "                 plots (as `trelmlink plot` draws them); needs --pdf.\n";

PdfWriter &installedPdfWriter() {
    static PdfWriter writer;
    return writer;
}

// Takes the report choices out of the arguments; what remains is parsed as
// usual.
ReportSelection takeSelection(std::vector<std::string> &args) {
    ReportSelection selection{false, false, false};
    const auto take = [&args](const char *flag) {
        const auto found = std::find(args.begin(), args.end(), flag);
        if (found == args.end())
            return false;
        args.erase(std::remove(args.begin(), args.end(), std::string(flag)), args.end());
        return true;
    };
    selection.summary = take("--summary");
    selection.warnings = take("--warnings");
    selection.dataLog = take("--datalog");
    if (!selection.summary && !selection.warnings && !selection.dataLog)
        selection.summary = true;
    return selection;
}

// The plots page after the reports, when asked for.
Status printAll(LinePrinter &printer, LoadedEvent &loaded, const ReportSelection &selection,
                const plots::PlotData *plotsPage = nullptr) {
    for (ReportKind kind : reportsInOrder(selection))
        if (Status printed = printReport(kind, printer, loaded); !printed)
            return printed;
    if (plotsPage)
        return plots::printPlotsPage(printer, *plotsPage, loaded.path);
    return Done{};
}

} // namespace

void setPdfWriter(PdfWriter writer) { installedPdfWriter() = std::move(writer); }

int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    std::vector<std::string> rest = args;
    const bool withPlots = std::find(rest.begin(), rest.end(), "--plots") != rest.end();
    rest.erase(std::remove(rest.begin(), rest.end(), std::string("--plots")), rest.end());
    const ReportSelection selection = takeSelection(rest);
    const bool text = std::find(rest.begin(), rest.end(), "--text") != rest.end();
    rest.erase(std::remove(rest.begin(), rest.end(), std::string("--text")), rest.end());
    Arguments parsed;
    if (auto done = parseOrFinish("report", kHelp, rest, {"--pdf"}, out, err, parsed))
        return *done;
    const bool pdf = parsed.options.count("--pdf") > 0;
    if (text == pdf)
        return usageError(err, "report: choose one output, --pdf OUT.pdf or --text (see --help)");
    if (withPlots && text)
        return usageError(err, "report: --plots needs --pdf (text cannot hold the plots)");

    const std::string source = parsed.positional[0];
    auto file = readEventFile(source);
    if (!file)
        return fail(err, file.error().message());
    LoadedEvent loaded{source, file.value().header, file.value().event};
    const plots::PlotData plotsPage = withPlots ? plots::eventPlot(std::filesystem::path(source).filename().string(),
                                                                   loaded.header, loaded.event, file.value().log)
                                                : plots::PlotData{};

    if (text) {
        // Held until every report is composed, so a failure prints no half.
        std::ostringstream lines;
        TextPrinter printer(lines);
        if (Status printed = printAll(printer, loaded, selection); !printed)
            return fail(err, printed.error().message());
        out << lines.str();
        out.flush();
        return out ? 0 : fail(err, "standard output: the report could not be written");
    }
    const PdfWriter &writer = installedPdfWriter();
    if (!writer)
        return fail(err, "report: PDF output is not available in this program");
    const std::filesystem::path output = parsed.options["--pdf"];
    Status written =
        writer(output, [&](LinePrinter &printer) {
            return printAll(printer, loaded, selection, withPlots ? &plotsPage : nullptr);
        });
    if (!written)
        return fail(err, written.error().message());
    return 0;
}

} // namespace trelm::cli
