// The command line of trelmlink: one function per subcommand. Each writes
// its normal output to `out`, one line per failure to `err`, and returns the
// exit status (0 success, 1 failure).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace trelm::cli {

// Whether the word names a subcommand (as opposed to a file to open).
bool isCommandName(const std::string &word);

int runCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

int runExport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runConvert(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runShow(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runGrids(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runRetrieve(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

// Prints "trelmlink: subject: reason" on err and returns the failure status.
int fail(std::ostream &err, const std::string &message);

} // namespace trelm::cli
