// The command line of the `trelmlink retrieve` that fetches one station:
// its line, folder, download and number, its own log.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "fleet/station.h"

namespace trelm::fleet {

// args[0] is `program`. `forwarded` follows the station's own options: the
// place where options that `retrieve` gains later reach every station.
std::vector<std::string> retrieveArguments(const Station &station, const std::string &program,
                                           const std::filesystem::path &log,
                                           const std::vector<std::string> &forwarded = {});

// The arguments as one shell line, each quoted where it needs it.
std::string commandLine(const std::vector<std::string> &args);

} // namespace trelm::fleet
