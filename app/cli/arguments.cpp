#include "cli/arguments.h"

#include "cli/commands.h"

namespace trelm::cli {

namespace {

// Splits `args` into options and plain arguments; exactly `fileArguments`
// plain arguments (files) are wanted unless help is asked for. Errors name
// `command`.
Result<Arguments> parseArguments(const std::string &command, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, const std::set<std::string> &flagOptions,
                                 std::size_t fileArguments) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg == "--verbose") {
            parsed.verbose = true;
        } else if (flagOptions.count(arg)) {
            parsed.flags.insert(arg);
        } else if (valueOptions.count(arg)) {
            if (i + 1 >= args.size())
                return Error{command, "option " + arg + " needs a value"};
            parsed.options[arg] = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Error{command, "unknown option " + arg + " (see --help)"};
        } else {
            parsed.positional.push_back(arg);
        }
    }
    if (!parsed.help && fileArguments == kOneOrMoreFiles && parsed.positional.empty())
        return Error{command, "expects at least one file argument (see --help)"};
    if (!parsed.help && fileArguments != kOneOrMoreFiles && parsed.positional.size() != fileArguments)
        return Error{command, fileArguments == 0 ? "takes no file argument (see --help)"
                                                 : "expects " + std::to_string(fileArguments) +
                                                       " file argument (see --help)"};
    return parsed;
}

} // namespace

std::optional<int> parseOrFinish(const std::string &command, const char *help, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, std::ostream &out, std::ostream &err,
                                 Arguments &parsed, const std::set<std::string> &flagOptions,
                                 std::size_t fileArguments) {
    auto result = parseArguments(command, args, valueOptions, flagOptions, fileArguments);
    if (!result)
        return usageError(err, result.error().message());
    if (result.value().help) {
        out << help << '\n' << kExitCodesHelp;
        return kExitSuccess;
    }
    parsed = std::move(result).value();
    return std::nullopt;
}

} // namespace trelm::cli
