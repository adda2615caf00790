// The intake of a downloaded memory image: the byte-pair swap into swap.bin,
// one event file per new or grown event, a CSV file beside each, and the
// choice of the current data file (the event with the latest start).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "datafile/result.h"

namespace trelm {

// The name the serial library gives a received memory image.
inline constexpr const char *kReceivedFileName = "temp0000.$$$";
inline constexpr const char *kSwapFileName = "swap.bin";

// Unit "0000", "_", the start as YYYY_MM_DD_hh_mm_ss, ".bin":
// 0123_2005_06_15_12_30_05.bin.
std::string EventFileName(std::int16_t unitId, std::int32_t start);

struct IntakeReport {
    std::vector<std::string> eventFiles; // bare names written, in slot order
    std::vector<std::string> notes;      // what was left out, and why
    std::string currentBinFile;          // the event with the latest start
    std::string exportCsvFile;           // CSV of the last event file written
};

// Swaps every byte pair of `received` into swap.bin in `dir` (an odd last
// byte is dropped), then splits it. The received file is deleted afterwards
// only when it is named temp0000.$$$, as a download leaves it. A file too
// short for the event area writes nothing.
Result<IntakeReport> ConvertReceivedFile(const std::filesystem::path &received, const std::filesystem::path &dir);

// Cuts swap.bin in `dir` into event files and their CSV files in `dir`,
// skipping events whose file there is already complete.
Result<IntakeReport> SplitMemoryImage(const std::filesystem::path &dir);

} // namespace trelm
