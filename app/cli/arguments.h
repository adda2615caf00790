// Splitting a subcommand's arguments into positional ones and options that
// take a value ("-o FILE", "--dir DIR"); "--help" and "--verbose" are
// recognised anywhere.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "datafile/result.h"

namespace trelm::cli {

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    bool help = false;
    bool verbose = false; // --verbose: status messages on stderr
    std::set<std::string> flags; // the flag options given

    bool flag(const std::string &name) const { return flags.count(name) != 0; }

    std::string option(const std::string &name, const std::string &fallback) const {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
};

// fileArguments for a command that takes one file argument or more.
inline constexpr std::size_t kOneOrMoreFiles = static_cast<std::size_t>(-1);

// Parses a subcommand's arguments: `fileArguments` file arguments (one by default), the options in
// `valueOptions`, each taking a value, and the flags in `flagOptions`;
// `command` names the subcommand in errors. Returns the exit status when the command ends here, its help
// printed or a mistake reported; otherwise fills `parsed` and returns nothing.
std::optional<int> parseOrFinish(const std::string &command, const char *help, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, std::ostream &out, std::ostream &err,
                                 Arguments &parsed, const std::set<std::string> &flagOptions = {},
                                 std::size_t fileArguments = 1);

} // namespace trelm::cli
