// What the archive subcommands share: opening the archive named by --db,
// TRELMLINK_DB or the default file, the --unit/--from/--to selection, and
// the import that `retrieve --archive` runs too.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "archive/engine.h"
#include "archive/queries.h"
#include "cli/arguments.h"

namespace trelm::cli {

// The archive the command names, migrated; on failure the one-line reason
// is on `err` and `status` holds the exit status (3: a retry will not mend it).
std::unique_ptr<archive::Engine> openArchiveFor(const Arguments &parsed, std::ostream &err, int &status);

// The selection of --unit, --from and --to; nothing (and a usage error on
// `err`) when one of them is not understood.
std::optional<archive::Selection> selectionOf(const std::string &command, const Arguments &parsed,
                                              std::ostream &err);

// Imports the event files among `paths` (files, or folders whose *.bin
// files are taken) into the archive at `location` ("" for the default) in
// one transaction; prints each file skipped on `err` and the line
// "N new, N updated, N unchanged" on `out`. Returns the exit status: 0, 5
// when a file was skipped (the rest imported), 3 when the archive failed
// (nothing imported).
int importIntoArchive(const std::vector<std::filesystem::path> &paths, const std::string &location,
                      std::ostream &out, std::ostream &err);

int runArchiveImport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runArchiveList(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runArchiveExport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runArchiveInfo(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

} // namespace trelm::cli
