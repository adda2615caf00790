// Event files for the archive's tests, made as a retrieval makes them: a
// memory image from the simulator kit's builders taken in by `convert`.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "test_data.h"

namespace archivetest {

constexpr std::int32_t kFirstStart = 1118838605; // 2005-06-15 12:30:05
constexpr std::int32_t kDay = 86400;

// Takes `image` in into `dir` (made when missing) with the intake and
// returns the event files written, sorted.
std::vector<std::filesystem::path> eventFilesOf(const testdata::ImageBuilder &image, const std::filesystem::path &dir);

// Event n (from 1) of unit 123 on the eight-channel model with `rows` log
// records taken once a minute, its log after those of the events before it,
// a warning of each kind and one power failure.
void addEvent(testdata::ImageBuilder &image, int n, int rows, int status = 5, std::int16_t config = 10);

// A whole image of 24 events sharing the full log ring (2586 records), for
// unit `unit`, its starts moved by `dayShift` days so images do not overlap.
testdata::ImageBuilder fullImage(std::int16_t unit, int dayShift = 0);

// The data log grid of an event file as the window fills it: the header
// row's names and each record's cells.
struct DataLogGrid {
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
};
DataLogGrid dataLogGridOf(const std::filesystem::path &eventFile);

} // namespace archivetest
