// FillGrids: clears the grids and fills every one of them from an event
// file. The window calls it when a file is opened or downloaded; `trelmlink
// grids` calls it to print the same grids.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "datafile/message_port.h"
#include "datafile/records.h"
#include "datafile/result.h"
#include "grids/grid_set.h"

namespace grids {

// What a fill read: the header (its model flag becomes the program's model
// flag) and the event record, which the print command uses afterwards.
struct FillOutcome {
    bool filled = false; // false when there was no file to fill from
    trelm::FileHeader header;
    trelm::EventRecord event;
    std::size_t logRows = 0;
    // The log records shown, for the plots drawn from the same read.
    std::vector<trelm::LogRecord> log;
};

// Clears the grids; with an empty `path` (no current file) that is all.
// Otherwise shows "Filling Grids..." on `messages` while it clears the data
// log's header rows too, reads the whole file and runs the model's event
// filler and data log filler; the message is removed again however the fill
// ends. A file that cannot be read or is no event file (shorter than its
// header and event record) gives an error naming it, with the grids left
// cleared.
trelm::Result<FillOutcome> FillGrids(GridSet &grids, const std::filesystem::path &path,
                                     trelm::MessagePort &messages);

} // namespace grids
