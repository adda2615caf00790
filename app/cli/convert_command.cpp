#include <filesystem>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "datafile/intake.h"
#include "datafile/message_port.h"
#include "export/export_event.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink convert RECEIVED [--dir DIR] [--swapped] [--verbose]\n"
    "\n"
    "Takes in a memory image as it arrives from the sampler (before the byte-pair\n"
    "swap), working in DIR (default: the current folder; it must exist): writes\n"
    "swap.bin, one event file per new or changed event (or one whose file lacks\n"
    "log records) and a CSV file beside each; an event file kept as it was gets\n"
    "its CSV file written when that is missing. Prints the name of each event\n"
    "file written, one a line, and last 'current: NAME', the event with the\n"
    "latest start; an image holding no event prints no 'current:' line.\n"
    "\n"
    "--swapped    RECEIVED is already swapped (swap.bin, for one): it is split\n"
    "             again as it is, and swap.bin is left alone.\n"
    "--verbose    shows the status messages on stderr.\n"
    "\n"
    "RECEIVED is deleted only when it is named temp0000.$$$, as a download\n"
    "leaves it, and only once the whole intake has succeeded, so an interrupted\n"
    "intake can simply be run again. What had to be left out of the image is\n"
    "reported on stderr as warnings; an event that could not be written is\n"
    "reported as an error, the others are still taken in, and the exit status\n"
    "is 1.\n";

} // namespace

int runConvert(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("convert", kHelp, args, {"--dir"}, out, err, parsed, {"--swapped"}))
        return *done;
    const std::filesystem::path dir = parsed.option("--dir", ".");
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(dir, error);
    if (!std::filesystem::exists(status))
        return fail(err, dir.string() + ": the folder does not exist");
    if (!std::filesystem::is_directory(status))
        return fail(err, dir.string() + ": is not a folder");

    SilentMessagePort silent;
    StreamMessagePort verbose(err);
    const CsvExport exportCsv = csvExportByModel(parsed.verbose ? static_cast<MessagePort &>(verbose) : silent);
    const std::string &received = parsed.positional[0];
    auto report = parsed.flag("--swapped") ? SplitSwappedImage(received, dir, exportCsv)
                                           : ConvertReceivedFile(received, dir, exportCsv);
    if (!report)
        return fail(err, report.error().message());
    for (const std::string &note : report.value().notes)
        err << "trelmlink: warning: " << note << '\n';
    for (const Error &failure : report.value().failures)
        fail(err, failure.message());
    for (const std::string &name : report.value().eventFiles)
        out << name << '\n';
    if (!report.value().currentBinFile.empty())
        out << "current: " << report.value().currentBinFile << '\n';
    return report.value().complete() ? 0 : 1;
}

} // namespace trelm::cli
