#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <unistd.h>

#include "cli/arguments.h"
#include "cli/child_process.h"
#include "cli/commands.h"
#include "cli/fleet_runner.h"
#include "fleet/retrieve_arguments.h"
#include "fleet/scheduler.h"
#include "fleet/stations_file.h"

namespace trelm::cli {

// The scheduler acts on retrieve's exit statuses by their values.
static_assert(fleet::kRetrieveSuccess == kExitSuccess && fleet::kRetrieveSetUp == kExitSetUp &&
              fleet::kRetrieveLine == kExitLine && fleet::kRetrieveNotTakenIn == kExitNotTakenIn);

namespace {

const char *const kHelp =
    "usage: trelmlink fleet run STATIONS [--only NAME,...] [--jobs N] [--dry-run]\n"
    "                           [--json FILE] [--archive [--db URL]]\n"
    "       trelmlink fleet check STATIONS\n"
    "\n"
    "Retrieves every station of a stations file, each as a 'trelmlink retrieve'\n"
    "of its own with its own log (logs/ in the station's folder). Stations on\n"
    "different ports run side by side, up to N at once (--jobs, default 4);\n"
    "stations sharing a port or a modem run one after another. A station that\n"
    "ends with exit status 4 (a retry may work) is tried again after its\n"
    "retry_pause, up to its retries; other failures are final. On a terminal\n"
    "one live line per running station shows its phase, bytes and share;\n"
    "otherwise every line of every station is printed with its name. A summary\n"
    "table (station, outcome, attempts, new or changed events, current event,\n"
    "time, reason) ends the run on stdout. Ctrl-C or SIGTERM stops every\n"
    "running station through its own cancel and reports which finished.\n"
    "\n"
    "STATIONS is an INI file, one [NAME] section per station:\n"
    "  port = N          the serial port COM N, or\n"
    "  device = PATH     a device path\n"
    "  phone = NUMBER    dial through the modem on that port\n"
    "  dir = DIR         where the data goes (default: a folder NAME beside the file)\n"
    "  download = all    or events (default all)\n"
    "  retries = 2       further attempts after a line failure (default 2)\n"
    "  retry_pause = 60  seconds before each of them (default 60)\n"
    "\n"
    "check     lists every problem of the file with its line and what a run\n"
    "          would do\n"
    "--only    these stations only (names separated by commas)\n"
    "--jobs N  at most N stations at once\n"
    "--dry-run prints what a run would do and retrieves nothing\n"
    "--json F  appends one JSON object per station attempt to F (times,\n"
    "          exit status, reason, files written)\n"
    "--archive each station's retrieval imports the event files it wrote into\n"
    "          the archive (--db URL, default TRELMLINK_DB or the SQLite file)\n"
    "\n"
    "The run's exit status: 0 when every station succeeded; 2 when the file is\n"
    "malformed (nothing retrieved); 3 when a station is misconfigured (its port\n"
    "is missing, its folder in use, ...); 5 when data of a station could not be\n"
    "taken in; 4 when a station failed on its line or the run was interrupted.\n";

constexpr int kDefaultJobs = 4;
constexpr int kMostJobs = 64;

std::vector<std::string> splitNames(const std::string &text) {
    std::vector<std::string> names;
    std::istringstream stream(text);
    for (std::string name; std::getline(stream, name, ',');)
        if (!name.empty())
            names.push_back(name);
    return names;
}

std::string describe(const fleet::Station &station) {
    std::string text = station.name + ": " + station.lineName();
    if (!station.device.empty() || station.lineName() != station.lineDevice())
        text += station.device.empty() ? " (" + station.lineDevice() + ")" : "";
    text += station.throughModem() ? ", through the modem dialling " + station.phone : ", direct";
    text += station.download == fleet::Download::Events ? ", event data" : ", all data";
    text += ", into " + station.dir.string() + ", " + std::to_string(station.retries) + " retr" +
            (station.retries == 1 ? "y" : "ies") + " " + std::to_string(station.retryPauseSeconds) + " s apart";
    return text;
}

// What a run would do: each station, its command, and who shares a line.
void printPlan(const std::vector<FleetEntry> &entries, int jobs, std::ostream &out) {
    std::vector<std::pair<std::string, std::vector<std::string>>> lines;
    for (const FleetEntry &entry : entries) {
        out << describe(entry.station) << '\n';
        if (!entry.refused.empty()) {
            out << "  not started: " << entry.refused << '\n';
            continue;
        }
        const std::filesystem::path log = entry.station.dir / "logs" / "retrieve-<time>-attempt<N>.log";
        out << "  " << fleet::commandLine(fleet::retrieveArguments(entry.station, "trelmlink", log)) << '\n';
        const std::string device = entry.station.lineDevice();
        auto found = std::find_if(lines.begin(), lines.end(), [&](const auto &line) { return line.first == device; });
        if (found == lines.end())
            lines.push_back({device, {entry.station.name}});
        else
            found->second.push_back(entry.station.name);
    }
    out << "order: up to " << jobs << " at once";
    for (const auto &[device, names] : lines)
        if (names.size() > 1) {
            out << "; one after another on " << device << ":";
            for (const std::string &name : names)
                out << ' ' << name;
        }
    out << '\n';
}

// Reads the file: its problems to err and nothing when it is malformed.
std::optional<std::vector<FleetEntry>> loadEntries(const std::string &file, std::ostream &err) {
    const fleet::StationsFile parsed = fleet::readStationsFile(file);
    for (const fleet::Problem &problem : parsed.problems)
        err << "trelmlink: " << fleet::problemText(file, problem) << '\n';
    if (!parsed.problems.empty())
        return std::nullopt;
    std::vector<FleetEntry> entries;
    for (const fleet::Station &station : parsed.stations)
        entries.push_back({station, ""});
    for (const fleet::Problem &missing : fleet::missingDevices(parsed.stations))
        for (FleetEntry &entry : entries)
            if (entry.station.line == missing.line)
                entry.refused = missing.message.substr(missing.message.find(": ") + 2);
    return entries;
}

int runCheck(const Arguments &parsed, std::ostream &out, std::ostream &err) {
    const std::string file = parsed.positional[0];
    const auto entries = loadEntries(file, err);
    if (!entries)
        return kExitUsage;
    printPlan(*entries, kDefaultJobs, out);
    bool misconfigured = false;
    for (const FleetEntry &entry : *entries)
        if (!entry.refused.empty()) {
            err << "trelmlink: " << file << ":" << entry.station.line << ": station " << entry.station.name << ": "
                << entry.refused << '\n';
            misconfigured = true;
        }
    return misconfigured ? kExitSetUp : kExitSuccess;
}

int runRun(const Arguments &parsed, std::ostream &out, std::ostream &err) {
    FleetRunOptions options;
    options.jobs = kDefaultJobs;
    if (parsed.options.count("--jobs")) {
        char *end = nullptr;
        const std::string text = parsed.option("--jobs", "");
        const long jobs = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || jobs < 1 || jobs > kMostJobs)
            return usageError(err, "fleet: --jobs needs a number from 1 to " + std::to_string(kMostJobs));
        options.jobs = static_cast<int>(jobs);
    }
    const std::string file = parsed.positional[0];
    auto entries = loadEntries(file, err);
    if (!entries)
        return kExitUsage;
    if (parsed.options.count("--only")) {
        const std::vector<std::string> only = splitNames(parsed.option("--only", ""));
        for (const std::string &name : only)
            if (std::none_of(entries->begin(), entries->end(),
                             [&](const FleetEntry &entry) { return entry.station.name == name; }))
                return usageError(err, "fleet: --only: " + file + " has no station " + name);
        std::erase_if(*entries, [&](const FleetEntry &entry) {
            return std::find(only.begin(), only.end(), entry.station.name) == only.end();
        });
    }
    if (parsed.flag("--dry-run")) {
        printPlan(*entries, options.jobs, out);
        return kExitSuccess;
    }
    options.program = ownProgramPath();
    options.json = parsed.option("--json", "");
    options.terminal = &err == &std::cerr && isatty(STDERR_FILENO);
    if (parsed.options.count("--db") && !parsed.flag("--archive"))
        return usageError(err, "fleet: --db goes with --archive");
    if (parsed.flag("--archive")) {
        options.forwarded.push_back("--archive");
        // The children take the archive from their environment, so a
        // password in the URL never shows in a process list.
        if (parsed.options.count("--db"))
            ::setenv("TRELMLINK_DB", parsed.option("--db", "").c_str(), 1);
    }
    return runFleet(*entries, options, out, err);
}

} // namespace

int runFleetCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        out << kHelp << '\n' << kExitCodesHelp;
        return args.empty() ? kExitUsage : kExitSuccess;
    }
    const std::string verb = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    Arguments parsed;
    if (verb == "check") {
        if (auto done = parseOrFinish("fleet check", kHelp, rest, {}, out, err, parsed))
            return *done;
        return runCheck(parsed, out, err);
    }
    if (verb == "run") {
        if (auto done = parseOrFinish("fleet run", kHelp, rest, {"--only", "--jobs", "--json", "--db"}, out, err,
                                      parsed, {"--dry-run", "--archive"}))
            return *done;
        return runRun(parsed, out, err);
    }
    return usageError(err, "fleet: unknown action '" + verb + "' (run or check; see trelmlink fleet --help)");
}

} // namespace trelm::cli
