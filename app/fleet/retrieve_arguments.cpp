#include "fleet/retrieve_arguments.h"

namespace trelm::fleet {

std::vector<std::string> retrieveArguments(const Station &station, const std::string &program,
                                           const std::filesystem::path &log,
                                           const std::vector<std::string> &forwarded) {
    std::vector<std::string> args = {program, "retrieve"};
    if (station.device.empty())
        args.insert(args.end(), {"--port", std::to_string(station.port)});
    else
        args.insert(args.end(), {"--device", station.device});
    args.insert(args.end(), {"--dir", station.dir.string()});
    args.push_back(station.download == Download::Events ? "--events" : "--all");
    if (station.throughModem())
        args.insert(args.end(), {"--phone", station.phone});
    args.insert(args.end(), {"--log", log.string()});
    args.insert(args.end(), forwarded.begin(), forwarded.end());
    return args;
}

std::string commandLine(const std::vector<std::string> &args) {
    std::string line;
    for (const std::string &arg : args) {
        if (!line.empty())
            line += ' ';
        const bool plain = !arg.empty() && arg.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                                 "0123456789-_./=:,+@%") == std::string::npos;
        if (plain) {
            line += arg;
            continue;
        }
        line += '\'';
        for (const char c : arg)
            line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += '\'';
    }
    return line;
}

} // namespace trelm::fleet
