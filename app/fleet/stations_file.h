// The stations file of a fleet: INI text with one [NAME] section per
// station. Reading it lists every problem with its line, so an operator
// mends the whole file in one go.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <vector>

#include "fleet/station.h"

namespace trelm::fleet {

struct Problem {
    int line = 0; // 0: the file as a whole
    std::string message;
};

struct StationsFile {
    std::vector<Station> stations; // in the order of the file
    std::vector<Problem> problems; // in the order of their lines
};

// Parses the text; `folder` is where the stations file lives, the base of
// relative `dir` values and of the default folder (one named after the
// station). The file-system is not consulted: see missingDevices.
StationsFile parseStations(std::istream &text, const std::filesystem::path &folder);

// Reads and parses the file; an unreadable file is one problem at line 0.
StationsFile readStationsFile(const std::filesystem::path &file);

// The stations whose port or device does not exist, one problem each at
// the station's section line. A station that cannot open its line is
// misconfigured, not malformed: the others can still run.
std::vector<Problem> missingDevices(const std::vector<Station> &stations);

// "stations.ini:12: message", or "stations.ini: message" for line 0.
std::string problemText(const std::filesystem::path &file, const Problem &problem);

} // namespace trelm::fleet
