// Importing event files into the archive: all of them in one write
// transaction, so an interrupted import leaves the archive as it was. An
// event is the pair (unit, start): met again unchanged it is left alone,
// changed (its log grew, its record differs) it is replaced whole.
#pragma once

#include <vector>

#include "archive/engine.h"
#include "archive/event_source.h"

namespace archive {

struct ImportCounts {
    int added = 0;
    int updated = 0;
    int unchanged = 0;
};

Result<ImportCounts> importEvents(Engine &engine, const std::vector<EventSource> &events);

} // namespace archive
