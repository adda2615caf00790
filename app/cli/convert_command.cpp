#include <filesystem>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "datafile/intake.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink convert RECEIVED [--dir DIR]\n"
    "\n"
    "Takes in a memory image as it arrives from the sampler (before the byte-pair\n"
    "swap), working in DIR (default: the current folder): writes swap.bin, one\n"
    "event file per new or grown event (or one whose file lacks log records)\n"
    "and a CSV file beside each. Prints the name of each event file written,\n"
    "one a line, and last 'current: NAME', the event with the latest start.\n"
    "RECEIVED is deleted only when it is named temp0000.$$$, as a download\n"
    "leaves it. What had to be left out of the image is reported on stderr as\n"
    "warnings.\n";

} // namespace

int runConvert(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("convert", kHelp, args, {"--dir"}, out, err, parsed))
        return *done;
    const std::filesystem::path dir = parsed.option("--dir", ".");
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error))
        return fail(err, dir.string() + ": is not a folder");
    auto report = ConvertReceivedFile(parsed.positional[0], dir);
    if (!report)
        return fail(err, report.error().message());
    for (const std::string &note : report.value().notes)
        err << "trelmlink: warning: " << note << '\n';
    for (const std::string &name : report.value().eventFiles)
        out << name << '\n';
    out << "current: " << report.value().currentBinFile << '\n';
    return 0;
}

} // namespace trelm::cli
