#include <algorithm>

#include "archive/event_source.h"
#include "archive/importer.h"
#include "archive/location.h"
#include "archive/open_archive.h"
#include "cli/archive_cli.h"
#include "cli/commands.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink archive import PATH... [--db URL]\n"
    "\n"
    "Imports event files into the archive: each PATH is an event file or a\n"
    "folder, whose *.bin files are taken (swap.bin and other files are left\n"
    "out). Everything goes in as one transaction: an interrupted import\n"
    "leaves the archive as it was, and two imports at once both succeed, one\n"
    "after the other. The last line counts the events: N new, N updated,\n"
    "N unchanged. A file that is not an event file is named on stderr and\n"
    "skipped, the rest imported, and the exit status is then 5.\n";

// The files a folder offers, in name order, so imports are repeatable.
std::vector<std::filesystem::path> eventFilesIn(const std::filesystem::path &folder, std::error_code &error) {
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error))
        if (archive::looksLikeEventFile(entry))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int importIntoArchive(const std::vector<std::filesystem::path> &paths, const std::string &location,
                      std::ostream &out, std::ostream &err) {
    std::vector<archive::EventSource> events;
    bool skipped = false;
    const auto take = [&](const std::filesystem::path &file) {
        auto source = archive::readEventSource(file);
        if (source) {
            events.push_back(std::move(source).value());
        } else {
            fail(err, source.error().message() + " (skipped)");
            skipped = true;
        }
    };
    for (const std::filesystem::path &path : paths) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            take(path);
            continue;
        }
        const std::vector<std::filesystem::path> files = eventFilesIn(path, error);
        if (error) {
            fail(err, path.string() + ": " + error.message() + " (skipped)");
            skipped = true;
        }
        for (const std::filesystem::path &file : files)
            take(file);
    }
    auto engine = archive::openArchive(archive::chooseArchive(location));
    if (!engine)
        return fail(err, archive::maskPassword(engine.error().message()), kExitSetUp);
    auto counts = archive::importEvents(*engine.value(), events);
    if (!counts)
        return fail(err, archive::maskPassword(counts.error().message()) + " (nothing imported)", kExitSetUp);
    out << counts.value().added << " new, " << counts.value().updated << " updated, " << counts.value().unchanged
        << " unchanged\n";
    return skipped ? kExitNotTakenIn : kExitSuccess;
}

int runArchiveImport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done =
            parseOrFinish("archive import", kHelp, args, {"--db"}, out, err, parsed, {}, kOneOrMoreFiles))
        return *done;
    return importIntoArchive({parsed.positional.begin(), parsed.positional.end()}, parsed.option("--db", ""), out,
                             err);
}

} // namespace trelm::cli
