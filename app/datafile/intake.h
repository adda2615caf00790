// The intake of a downloaded memory image: the byte-pair swap into swap.bin,
// one event file per new or changed event, a CSV file beside each, and the
// choice of the current data file (the event with the latest start).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "datafile/event_file.h"
#include "datafile/result.h"

namespace trelm {

// The name the serial library gives a received memory image.
inline constexpr const char *kReceivedFileName = "temp0000.$$$";
inline constexpr const char *kSwapFileName = "swap.bin";

// Unit "0000", "_", the start as YYYY_MM_DD_hh_mm_ss, ".bin":
// 0123_2005_06_15_12_30_05.bin.
std::string EventFileName(std::int16_t unitId, std::int32_t start);

// Writes the CSV file of an event file: the intake decides when, the caller
// supplies how (the CSV export, with the caller's message port).
// `sourceName` is the event file's bare name, the CSV's "File:" item.
using CsvExport = std::function<Status(const std::filesystem::path &csvPath, const EventFile &event,
                                       const std::string &sourceName)>;

struct IntakeReport {
    std::vector<std::string> eventFiles; // bare names written, in slot order
    std::vector<std::string> notes;      // what was left out or mended, and why
    // Slots that could not be written (a full disk, a failed export); the
    // slots after a failed one are still taken in. Empty when all went well.
    std::vector<Error> failures;
    // The event with the latest start among the slots holding an event;
    // empty when the image holds no event.
    std::string currentBinFile;
    std::string exportCsvFile; // CSV of the last event file exported

    bool complete() const { return failures.empty(); }
};

// What an image may be.
enum class PartialImages {
    Refuse, // an image that ends inside the log of an event it lists fails the intake, nothing written
    Take,   // such an image is taken in as far as it goes (the cut logs are reported as notes)
};

// Swaps every byte pair of `received` into swap.bin in `dir` (an odd last
// byte is dropped), then splits it. The received file is deleted only when
// it is named temp0000.$$$, as a download leaves it, or is an image kept
// from an earlier retrieval (received_image.h), and only once the whole
// intake has succeeded, so an interrupted intake can be run again. An image
// too short for the event area, a partial image (unless taken), or a
// swap.bin that cannot be written, fails the whole intake; failures of
// single slots are in the report. An image of the event area alone (the
// Event data download) is a whole image.
Result<IntakeReport> ConvertReceivedFile(const std::filesystem::path &received, const std::filesystem::path &dir,
                                         const CsvExport &exportCsv, PartialImages partial = PartialImages::Refuse);

// Cuts swap.bin in `dir` into event files and their CSV files in `dir`.
Result<IntakeReport> SplitMemoryImage(const std::filesystem::path &dir, const CsvExport &exportCsv);

// The same from an already swapped image anywhere; swap.bin is left alone.
Result<IntakeReport> SplitSwappedImage(const std::filesystem::path &image, const std::filesystem::path &dir,
                                       const CsvExport &exportCsv, PartialImages partial = PartialImages::Refuse);

} // namespace trelm
