// An event file: FileHeader, one EventRecord, then the event's LogRecords
// up to the end of the file or the first record stamped 0.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "datafile/records.h"
#include "datafile/result.h"

namespace trelm {

struct EventFile {
    FileHeader header;
    EventRecord event;
    std::vector<LogRecord> log;
};

// Event files cut from a memory image hold at most one ring of log records;
// anything far larger is not an event file.
inline constexpr std::uintmax_t kEventFileMaxSize = 16u * 1024 * 1024;

// Decodes event-file bytes; `name` is used in the error for a short file.
Result<EventFile> parseEventFile(Bytes bytes, const std::string &name);
Result<EventFile> readEventFile(const std::filesystem::path &path);

// The CSV name of an event file: its name up to and including the first
// ".", then "csv" (0123_2005_06_15_12_30_05.bin gives ...05.csv). Only the
// file-name part is changed; a name without "." gets ".csv" appended.
std::filesystem::path csvNameFor(const std::filesystem::path &eventFile);

} // namespace trelm
