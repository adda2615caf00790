#include "cli/arguments.h"

#include "cli/commands.h"

namespace trelm::cli {

namespace {

// Splits `args` into options and plain arguments; exactly one plain argument
// (the file) is wanted unless help is asked for. Errors name `command`.
Result<Arguments> parseArguments(const std::string &command, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, const std::set<std::string> &flagOptions) {
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
    if (!parsed.help && parsed.positional.size() != 1)
        return Error{command, "expects 1 file argument (see --help)"};
    return parsed;
}

} // namespace

std::optional<int> parseOrFinish(const std::string &command, const char *help, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, std::ostream &out, std::ostream &err,
                                 Arguments &parsed, const std::set<std::string> &flagOptions) {
    auto result = parseArguments(command, args, valueOptions, flagOptions);
    if (!result)
        return fail(err, result.error().message());
    if (result.value().help) {
        out << help;
        return 0;
    }
    parsed = std::move(result).value();
    return std::nullopt;
}

} // namespace trelm::cli
