#include <filesystem>
#include <variant>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "datafile/folder_lock.h"
#include "datafile/intake.h"
#include "datafile/message_port.h"
#include "export/export_event.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink convert RECEIVED [--dir DIR] [--swapped] [--partial] [--verbose]\n"
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
    "--partial    take in a partial image as far as it goes. Without it, an\n"
    "             image that ends inside the log of an event it lists (a\n"
    "             transfer cut short, such as partial-N-bytes-....$$$) is\n"
    "             refused: the incomplete events are named, nothing is\n"
    "             written, and the exit status is 5. An image of the event\n"
    "             area alone (the Event data download) is a whole image.\n"
    "--verbose    shows the status messages on stderr.\n"
    "\n"
    "RECEIVED is deleted only when it is named temp0000.$$$, as a download\n"
    "leaves it, or kept-....$$$, as a retrieval moves an image kept from an\n"
    "earlier one aside, and only once the whole intake has succeeded, so an\n"
    "interrupted intake can simply be run again. What had to be left out of\n"
    "the image is reported on stderr as warnings; an event that could not be\n"
    "written is reported as an error, the others are still taken in, and the\n"
    "exit status is 5. Only one retrieval or convert works in a folder at a\n"
    "time: a second one is refused at once (exit status 3).\n";

} // namespace

int runConvert(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("convert", kHelp, args, {"--dir"}, out, err, parsed, {"--swapped", "--partial"}))
        return *done;
    const std::filesystem::path dir = parsed.option("--dir", ".");
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(dir, error);
    if (!std::filesystem::exists(status))
        return fail(err, dir.string() + ": the folder does not exist", kExitSetUp);
    if (!std::filesystem::is_directory(status))
        return fail(err, dir.string() + ": is not a folder", kExitSetUp);
    auto lock = FolderLock::take(dir);
    if (const auto *refusal = std::get_if<FolderLockRefusal>(&lock))
        return fail(err, refusal->error.message(), kExitSetUp);

    SilentMessagePort silent;
    StreamMessagePort verbose(err);
    const CsvExport exportCsv = csvExportByModel(parsed.verbose ? static_cast<MessagePort &>(verbose) : silent);
    const std::string &received = parsed.positional[0];
    if (!std::filesystem::exists(std::filesystem::symlink_status(received, error)))
        return fail(err, received + ": no such file");
    const PartialImages partial = parsed.flag("--partial") ? PartialImages::Take : PartialImages::Refuse;
    auto report = parsed.flag("--swapped") ? SplitSwappedImage(received, dir, exportCsv, partial)
                                           : ConvertReceivedFile(received, dir, exportCsv, partial);
    if (!report)
        return fail(err, report.error().message(), kExitNotTakenIn);
    for (const std::string &note : report.value().notes)
        err << "trelmlink: warning: " << note << '\n';
    for (const Error &failure : report.value().failures)
        fail(err, failure.message());
    for (const std::string &name : report.value().eventFiles)
        out << name << '\n';
    if (!report.value().currentBinFile.empty())
        out << "current: " << report.value().currentBinFile << '\n';
    return report.value().complete() ? kExitSuccess : kExitNotTakenIn;
}

} // namespace trelm::cli
