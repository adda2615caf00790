#include <filesystem>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "datafile/event_file.h"
#include "datafile/message_port.h"
#include "export/export_event.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink export EVENT.bin [-o OUT.csv] [--verbose]\n"
    "\n"
    "Writes the CSV export of an event file. The \"File:\" line names EVENT.bin\n"
    "as given. Without -o the CSV file goes beside the event file, named after\n"
    "it (0123_2005_06_15_12_30_05.bin gives 0123_2005_06_15_12_30_05.csv).\n"
    "An existing CSV file of that name is replaced. Prints the name of the CSV\n"
    "file written (nothing when the output is a device, FIFO, link or '-').\n"
    "\n"
    "-o OUT.csv   the CSV file to write; '-' writes the CSV to standard output\n"
    "             instead of the name. A regular file is replaced as a whole; an\n"
    "             existing device, FIFO or link (/dev/null, /dev/stdout) is\n"
    "             written straight through and stays what it is.\n"
    "--verbose    shows the status messages on stderr.\n";

// A name that is missing or a regular file gets a new CSV file by that name.
bool isFileName(const std::filesystem::path &output) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(output, error);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

bool isSameFile(const std::filesystem::path &a, const std::filesystem::path &b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

} // namespace

int runExport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("export", kHelp, args, {"-o", "--output"}, out, err, parsed))
        return *done;
    const std::string source = parsed.positional[0];
    const std::string output = parsed.option("-o", parsed.option("--output", csvNameFor(source).string()));
    if (output.empty())
        return usageError(err, "export: the output name given with -o is empty");
    auto event = readEventFile(source);
    if (!event)
        return fail(err, event.error().message());
    SilentMessagePort silent;
    StreamMessagePort verbose(err);
    MessagePort &messages = parsed.verbose ? static_cast<MessagePort &>(verbose) : silent;
    if (output == "-") {
        const ShownMessage shown(messages, "Exporting data...");
        out << csvTextByModel(event.value(), source) << std::flush;
        return out ? 0 : fail(err, "standard output: the CSV could not be written");
    }
    // Never let the export replace the event file it reads.
    if (isSameFile(source, output))
        return fail(err, output + ": is the event file itself; choose another output name");
    const bool namedFile = isFileName(output);
    if (auto exported = exportByModel(output, event.value(), source, messages); !exported)
        return fail(err, exported.error().message());
    if (namedFile)
        out << output << '\n';
    return 0;
}

} // namespace trelm::cli
