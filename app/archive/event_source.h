// An event file read for the archive: its decoded content, the bytes that
// make it up and their fingerprint, which tells an unchanged event from one
// whose log grew or whose record changed.
#pragma once

#include <filesystem>
#include <string>

#include "datafile/event_file.h"
#include "datafile/result.h"

namespace archive {

struct EventSource {
    std::string name; // the file's bare name, kept as the event's source
    trelm::EventFile file;
    std::string fingerprint; // of header, record and the log records kept
};

// Reads `path` as an event file: at least a header and an event record, the
// rest whole log records, an event slot that is not empty. Anything else is
// refused with the reason (a memory image, a CSV file, a short file).
trelm::Result<EventSource> readEventSource(const std::filesystem::path &path);

// Whether a folder's entry is offered to the import: a regular file named
// *.bin other than the swapped memory image swap.bin.
bool looksLikeEventFile(const std::filesystem::directory_entry &entry);

} // namespace archive
