#include <sstream>

#include "archive/figures.h"
#include "cli/archive_cli.h"
#include "cli/commands.h"
#include "datafile/atomic_file.h"
#include "datafile/time_format.h"

namespace trelm::cli {

namespace {

const char *const kListHelp =
    "usage: trelmlink archive list [--unit U] [--from DATE] [--to DATE] [--warnings] [--db URL]\n"
    "\n"
    "Prints one line per archived event, by unit and start: unit, start and\n"
    "stop, status, log records, warnings, power failures and the event file\n"
    "it came from. --from and --to take YYYY-MM-DD or YYYY-MM-DD hh:mm[:ss]\n"
    "and bound the start (a date alone covers its whole day). --warnings\n"
    "lists only the events that raised a warning, each warning on a line of\n"
    "its own below its event.\n";

const char *const kExportHelp =
    "usage: trelmlink archive export --unit U [--from DATE] [--to DATE] [--quantity NAME,...]\n"
    "                                [-o FILE.csv|-] [--db URL]\n"
    "\n"
    "Writes one unit's log records as one CSV time series across its events,\n"
    "in time order: Time (YYYY/MM/DD hh:mm:ss), Event (the event file the\n"
    "record came from), then one column per quantity in the units the data\n"
    "log grid shows. --from and --to bound the records' times. --quantity\n"
    "chooses the columns: ambient, pressure, filter1 to filter8, flow1 to\n"
    "flow8 (by canister) and pump_box; without it every quantity the records\n"
    "hold is written. -o FILE.csv writes the file (replaced as a whole);\n"
    "without -o, or with '-', the CSV goes to standard output.\n";

std::string warningLine(const archive::StoredWarning &warning) {
    std::ostringstream line;
    line << "  " << warning.kind;
    if (warning.channel)
        line << ' ' << warning.channel;
    line << ": " << warning.text;
    if (warning.time)
        line << " at " << FormatDateTimeShort(static_cast<std::int32_t>(*warning.time));
    return line.str();
}

void printEvent(std::ostream &out, const archive::EventSummary &event) {
    out << padded(event.unit, 4) << "  " << FormatDateTimeShort(static_cast<std::int32_t>(event.start)) << " - "
        << FormatDateTimeShort(static_cast<std::int32_t>(event.stop)) << "  " << event.status << "  "
        << event.logRecords << " records  " << event.warnings.size() << " warnings  " << event.powerFailures.size()
        << " power failures  " << event.source << '\n';
}

// The indices into logQuantities() of a --quantity list; an error names the
// first unknown name.
Result<std::vector<std::size_t>> quantitiesNamed(const std::string &list) {
    std::vector<std::size_t> chosen;
    std::istringstream names(list);
    for (std::string name; std::getline(names, name, ',');) {
        const auto &all = archive::logQuantities();
        const auto found = std::find_if(all.begin(), all.end(), [&](const auto &q) { return q.name == name; });
        if (found == all.end())
            return Error{"archive export", "--quantity: unknown quantity '" + name +
                                               "' (ambient, pressure, filter1..filter8, flow1..flow8, pump_box)"};
        chosen.push_back(static_cast<std::size_t>(found - all.begin()));
    }
    if (chosen.empty())
        return Error{"archive export", "--quantity needs at least one name"};
    return chosen;
}

// The series as CSV text: a header line, then Time, Event and the values.
std::string seriesCsv(archive::Engine &engine, const archive::Selection &selection,
                      const std::vector<std::size_t> &quantities, Status &status) {
    std::string csv = "Time,Event";
    std::vector<int> decimals;
    for (std::size_t index : quantities) {
        const archive::Quantity &quantity = archive::logQuantities()[index];
        csv.append(",").append(quantity.name).append(" (").append(quantity.unit).append(")");
        decimals.push_back(quantity.decimals);
    }
    csv += '\n';
    status = archive::exportSeries(engine, selection, quantities, [&](const archive::SeriesRow &row) {
        csv.append(FormatDateTimeForName(static_cast<std::int32_t>(row.time))).append(",").append(row.event);
        for (std::size_t i = 0; i < row.values.size(); ++i) {
            csv += ',';
            if (row.values[i])
                archive::appendFigure(csv, *row.values[i], decimals[i]);
        }
        csv += '\n';
    });
    return csv;
}

} // namespace

int runArchiveList(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("archive list", kListHelp, args, {"--db", "--unit", "--from", "--to"}, out, err,
                                  parsed, {"--warnings"}, 0))
        return *done;
    const auto selection = selectionOf("archive list", parsed, err);
    if (!selection)
        return kExitUsage;
    int status = kExitSuccess;
    auto engine = openArchiveFor(parsed, err, status);
    if (!engine)
        return status;
    auto events = archive::listEvents(*engine, *selection);
    if (!events)
        return fail(err, events.error().message(), kExitSetUp);
    const bool warningsOnly = parsed.flag("--warnings");
    for (const archive::EventSummary &event : events.value()) {
        if (warningsOnly && event.warnings.empty())
            continue;
        printEvent(out, event);
        if (warningsOnly)
            for (const archive::StoredWarning &warning : event.warnings)
                out << warningLine(warning) << '\n';
    }
    return kExitSuccess;
}

int runArchiveExport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("archive export", kExportHelp, args,
                                  {"--db", "--unit", "--from", "--to", "--quantity", "-o", "--output"}, out, err,
                                  parsed, {}, 0))
        return *done;
    if (!parsed.options.count("--unit"))
        return usageError(err, "archive export: --unit U is required");
    const auto selection = selectionOf("archive export", parsed, err);
    if (!selection)
        return kExitUsage;
    const std::string output = parsed.option("-o", parsed.option("--output", "-"));
    if (output.empty())
        return usageError(err, "archive export: the output name given with -o is empty");
    std::vector<std::size_t> quantities;
    if (parsed.options.count("--quantity")) {
        auto named = quantitiesNamed(parsed.option("--quantity", ""));
        if (!named)
            return usageError(err, named.error().message());
        quantities = named.value();
    }
    int status = kExitSuccess;
    auto engine = openArchiveFor(parsed, err, status);
    if (!engine)
        return status;
    Status exported = Done{};
    if (quantities.empty()) {
        auto present = archive::quantitiesPresent(*engine, *selection);
        if (!present)
            return fail(err, present.error().message(), kExitSetUp);
        quantities = present.value();
    }
    const std::string csv = seriesCsv(*engine, *selection, quantities, exported);
    if (!exported)
        return fail(err, exported.error().message(), kExitSetUp);
    if (output == "-") {
        out << csv;
        return out.flush() ? kExitSuccess : fail(err, "standard output: the CSV could not be written");
    }
    if (auto written = writeFileAtomically(output, csv); !written)
        return fail(err, written.error().message());
    return kExitSuccess;
}

} // namespace trelm::cli
