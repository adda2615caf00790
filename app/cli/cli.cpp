#include "cli/commands.h"

namespace trelm::cli {

namespace {

const char *const kUsage =
    "usage: trelmlink [EVENT.bin]\n"
    "       trelmlink <command> [options]\n"
    "       trelmlink --demo [ROLE [trelm-sim options]]\n"
    "       trelmlink --version\n"
    "\n"
    "Without a command the window opens; with an event file it opens with\n"
    "that file loaded. --demo opens the window with the sampler simulator\n"
    "trelm-sim (ROLE sampler unless given) answering on every port option, so\n"
    "\"&Retrieve Data\" runs a whole download without a sampler. The commands\n"
    "need no display.\n"
    "\n"
    "commands:\n"
    "  export EVENT.bin [-o OUT.csv|-]           write the CSV export of an event file\n"
    "  convert RECEIVED [--dir DIR] [--swapped]  split a memory image into event files\n"
    "  show EVENT.bin                            print a summary of an event file\n"
    "  grids EVENT.bin [--grid NAME]             print the window's grids for an event file\n"
    "  report EVENT.bin (--pdf OUT.pdf | --text)  print its reports (see report --help)\n"
    "  plot EVENT.bin [-o FILE.png|.svg|.pdf|-] [--series NAME,...] [--size WxH]\n"
    "                                            draw its data log as curves with its warnings\n"
    "  retrieve [--port N | --device PATH] [--events | --all] [--dir DIR] [--phone NUMBER]\n"
    "                                            retrieve a sampler's memory without a window\n"
    "  archive (import PATH... | list | export --unit U | info) [--db URL]\n"
    "                                            keep every event in one database (see archive --help)\n"
    "  fleet run STATIONS [--only NAME,...] [--jobs N] [--dry-run] [--json FILE]\n"
    "                                            retrieve every station of a stations file\n"
    "  fleet check STATIONS                      check a stations file, show what a run does\n"
    "\n"
    "Run 'trelmlink <command> --help' for the details of a command.\n"
    "\n";

// Every subcommand, by name: the dispatch and the choice between window and
// command line both read this one table.
struct Command {
    const char *name;
    int (*run)(const std::vector<std::string> &, std::ostream &, std::ostream &);
};

const Command kCommands[] = {
    {"export", runExport},
    {"convert", runConvert},
    {"show", runShow},
    {"grids", runGrids},
    {"report", runReport},
    {"plot", runPlot},
    {"retrieve", runRetrieve},
    {"archive", runArchive},
    {"fleet", runFleetCommand},
};

} // namespace

bool isCommandName(const std::string &word) {
    for (const Command &command : kCommands)
        if (word == command.name)
            return true;
    return false;
}

const char *const kExitCodesHelp =
    "exit status:\n"
    "  0  success\n"
    "  1  a file named on the command line cannot be read or written\n"
    "  2  a usage error: the command line is wrong\n"
    "  3  a set-up problem a retry will not mend: the port cannot be opened,\n"
    "     the data folder is not writable, is full, or is in use by another\n"
    "     retrieval, the archive cannot be opened or written (nothing half\n"
    "     written)\n"
    "  4  the line, the sampler or the transfer failed, or was cancelled: a\n"
    "     retry may work\n"
    "  5  data arrived but could not be taken in: the image is kept, named in\n"
    "     the message; archive import: a file named is not an event file and\n"
    "     was skipped, the rest imported\n";

int fail(std::ostream &err, const std::string &message, int status) {
    err << "trelmlink: " << message << '\n';
    return status;
}

int usageError(std::ostream &err, const std::string &message) { return fail(err, message, kExitUsage); }

int runCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        out << kUsage << kExitCodesHelp;
        return kExitSuccess;
    }
    if (args[0] == "--version") {
        out << "trelmlink " << TRELMLINK_VERSION << '\n';
        return 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const Command &command : kCommands)
        if (args[0] == command.name)
            return command.run(rest, out, err);
    return usageError(err, "unknown command '" + args[0] + "' (see trelmlink --help)");
}

} // namespace trelm::cli
