#include <filesystem>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "datafile/event_file.h"
#include "export/export_event.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink export EVENT.bin [-o OUT.csv] [--verbose]\n"
    "\n"
    "Writes the CSV export of an event file. The \"File:\" line names EVENT.bin\n"
    "as given. Without -o the CSV file goes beside the event file, named after\n"
    "it (0123_2005_06_15_12_30_05.bin gives 0123_2005_06_15_12_30_05.csv).\n"
    "An existing CSV file of that name is replaced. Prints the CSV file's name.\n"
    "--verbose shows the status messages on stderr.\n";

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
    auto event = readEventFile(source);
    if (!event)
        return fail(err, event.error().message());
    const std::string defaultOutput = csvNameFor(source).string();
    const std::filesystem::path output =
        parsed.option("-o", parsed.option("--output", defaultOutput));
    // Never let the export replace the event file it reads.
    if (isSameFile(source, output))
        return fail(err, output.string() + ": is the event file itself; choose another output name");
    SilentMessagePort silent;
    StreamMessagePort verbose(err);
    MessagePort &messages = parsed.verbose ? static_cast<MessagePort &>(verbose) : silent;
    if (auto exported = exportByModel(output, event.value(), source, messages); !exported)
        return fail(err, exported.error().message());
    out << output.string() << '\n';
    return 0;
}

} // namespace trelm::cli
