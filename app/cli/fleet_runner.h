// `trelmlink fleet run`: every station a `trelmlink retrieve` child of its
// own (the serial library's state is per process, and a retrieval closes
// every port it knows at its end), started in the order the scheduler
// gives, watched through its pipes, reaped through a signalfd; Ctrl-C and
// SIGTERM are passed to every running child as SIGTERM, its own cancel path.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "fleet/station.h"

namespace trelm::cli {

struct FleetRunOptions {
    std::string program;        // the trelmlink each station's retrieval runs
    int jobs = 1;
    std::filesystem::path json; // appended one line per attempt; empty: none
    bool terminal = false;      // stderr is a terminal: live lines
    // Options every station's retrieval gets after its own: the place for
    // options `retrieve` gains later (--archive is being added there).
    std::vector<std::string> forwarded;
};

// A station of the run; `refused` says why it cannot start (its device is
// missing), and it then counts as misconfigured without being started.
struct FleetEntry {
    fleet::Station station;
    std::string refused;
};

// Runs the fleet; the summary table goes to `out`, everything else to
// `err`. Returns the run's exit status (fleet::fleetExitStatus).
int runFleet(const std::vector<FleetEntry> &entries, const FleetRunOptions &options, std::ostream &out,
             std::ostream &err);

} // namespace trelm::cli
