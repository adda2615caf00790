// What the fleet's end-to-end tests share: the simulators of a small
// network, the reference folders their images give, the JSON lines of a
// run read back, and folders compared by their event files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fleettest {

// One line of the --json log, the fields the tests look at.
struct AttemptLine {
    std::string station;
    int attempt = 0;
    std::int64_t startedMs = 0;
    std::int64_t endedMs = 0;
    int exitStatus = 0;
    std::string reason;
};

std::vector<AttemptLine> readAttempts(const std::filesystem::path &json);

// The event files of a folder and their CSV files, by name.
std::map<std::string, std::vector<std::uint8_t>> eventFiles(const std::filesystem::path &dir);

// How two sets of event files differ, one line per file ("missing NAME",
// "extra NAME", "NAME differs at byte N"); empty when equal.
std::string differences(const std::map<std::string, std::vector<std::uint8_t>> &actual,
                        const std::map<std::string, std::vector<std::uint8_t>> &expected);

// The folder `trelmlink convert` makes of the simulator's image for this
// seed and unit: what a retrieval from that simulator must leave.
std::filesystem::path referenceFolder(const std::filesystem::path &base, unsigned seed, int unit);

// The summary table's row of a station with its cells' blanks squeezed to
// one ("quiet line failure 2 0 - 15.4s COM 99 ..."); empty when missing.
std::string summaryRow(const std::string &table, const std::string &station);

} // namespace fleettest
