// Splitting a subcommand's arguments into positional ones and options that
// take a value ("-o FILE", "--dir DIR"); "--help" is recognised anywhere.
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

    std::string option(const std::string &name, const std::string &fallback) const {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
};

// `command` names the subcommand in errors; `valueOptions` are the options
// it knows; `positionalCount` is how many plain arguments it wants.
Result<Arguments> parseArguments(const std::string &command, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, std::size_t positionalCount);

// Parses a subcommand's arguments (always one file argument). Returns the
// exit status when the command ends here, its help printed or a mistake
// reported; otherwise fills `parsed` and returns nothing.
std::optional<int> parseOrFinish(const std::string &command, const char *help, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, std::ostream &out, std::ostream &err,
                                 Arguments &parsed);

} // namespace trelm::cli
