// The command line of trelmlink: one function per subcommand. Each writes
// its normal output to `out`, one line per failure to `err`, and returns the
// exit status, one of ExitCode.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace trelm::cli {

// The exit statuses of every command, so a script can tell what to do next.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitFailure = 1,    // a file named on the command line cannot be read or written
    kExitUsage = 2,      // the command line itself is wrong
    kExitSetUp = 3,      // a retry will not help: the port, the data folder (not writable, in use), the settings
    kExitLine = 4,       // the line, the sampler or the transfer failed, or was cancelled: a retry may help
    kExitNotTakenIn = 5, // data arrived but could not be taken in; the image is kept and named
};

// The exit statuses as --help and the usage text list them.
extern const char *const kExitCodesHelp;

// Whether the word names a subcommand (as opposed to a file to open).
bool isCommandName(const std::string &word);

int runCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

int runExport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runConvert(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runShow(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runGrids(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runPlot(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runReport(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runRetrieve(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runArchive(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
int runFleetCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

// Prints "trelmlink: subject: reason" on err and returns `status`.
int fail(std::ostream &err, const std::string &message, int status = kExitFailure);
// The same for a mistake in the command line.
int usageError(std::ostream &err, const std::string &message);

} // namespace trelm::cli
