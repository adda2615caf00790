#include "cli/arguments.h"

#include "cli/commands.h"

namespace trelm::cli {

Result<Arguments> parseArguments(const std::string &command, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, std::size_t positionalCount) {
    Arguments parsed;
    const std::string &subject = command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (valueOptions.count(arg)) {
            if (i + 1 >= args.size())
                return Error{subject, "option " + arg + " needs a value"};
            parsed.options[arg] = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Error{subject, "unknown option " + arg + " (see --help)"};
        } else {
            parsed.positional.push_back(arg);
        }
    }
    if (!parsed.help && parsed.positional.size() != positionalCount)
        return Error{subject, "expects " + std::to_string(positionalCount) + " file argument" +
                                  (positionalCount == 1 ? "" : "s") + " (see --help)"};
    return parsed;
}

std::optional<int> parseOrFinish(const std::string &command, const char *help, const std::vector<std::string> &args,
                                 const std::set<std::string> &valueOptions, std::ostream &out, std::ostream &err,
                                 Arguments &parsed) {
    auto result = parseArguments(command, args, valueOptions, 1);
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
