// Several simulated stations at once, for a fleet: each station a process of
// its own (the serial library's state is per process) on its own cable, with
// its own role, image seed and unit ID.
#pragma once

#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "simulator.h"

namespace trelmsim {

// ROLE[:SEED[:UNIT]] on the command line.
struct StationSetup {
    Role role = Role::Sampler;
    std::optional<unsigned> seed;
    std::optional<int> unit;
};

// False when the text is not a role, optionally with a seed and a unit ID.
bool parseStationSetup(const std::string &text, StationSetup &setup);

// The station's own role, seed and unit over the shared options: without a
// seed of its own, station `index` takes the shared seed plus its index.
void applyStationSetup(const StationSetup &setup, unsigned index, Options &options);

// One simulator: prints its path (and writes it to `pathFile` when given),
// serves until one of `signals` or the end of a --once transfer.
int serveOne(const Options &options, const std::string &pathFile, const sigset_t &signals);

// A process per station; their paths printed (and written to `pathFile`)
// one a line in the stations' order. A signal stops them all; the exit
// status is 0 when every station ended well.
int serveSeveral(const std::vector<StationSetup> &stations, const Options &shared, const std::string &pathFile,
                 const sigset_t &signals);

}  // namespace trelmsim
