// Reading the archive back: the events of a unit and a span of time, one
// quantity series across events, and the counts `archive info` shows.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "archive/engine.h"
#include "archive/figures.h"

namespace archive {

// Which events or records a query covers; stamps are inclusive.
struct Selection {
    std::optional<int> unit;
    std::int64_t from = std::numeric_limits<std::int32_t>::min();
    std::int64_t to = std::numeric_limits<std::int32_t>::max();
};

struct StoredWarning {
    std::string kind;
    int channel = 0;
    std::string text;
    std::optional<std::int64_t> time;
};

struct EventSummary {
    int unit = 0;
    std::int64_t start = 0;
    std::int64_t stop = 0;
    std::string status;
    std::string model;
    int logRecords = 0;
    std::string source;
    std::vector<StoredWarning> warnings;
    std::vector<std::int64_t> powerFailures;
};

// The events whose start lies in the selection, by unit then start, with
// their warnings and power failures.
Result<std::vector<EventSummary>> listEvents(Engine &engine, const Selection &selection);

// One record of a series: its time, the event it came from (its event
// file's name) and the values of the quantities asked, in their order.
struct SeriesRow {
    std::int64_t time = 0;
    std::string event;
    std::vector<std::optional<double>> values;
};

// The records of the selection's unit (which it must name) in time order
// across its events, whose records span its from..to;
// `quantities` (indices into logQuantities()) each; `take` is called per row
// as it is read, so a long series is never held whole.
Status exportSeries(Engine &engine, const Selection &selection, const std::vector<std::size_t> &quantities,
                    const std::function<void(const SeriesRow &)> &take);

// The quantities of logQuantities() that the channels of the selection's
// unit's events log (events starting up to its end).
Result<std::vector<std::size_t>> quantitiesPresent(Engine &engine, const Selection &selection);

struct ArchiveCounts {
    std::int64_t units = 0;
    std::int64_t events = 0;
    std::int64_t logRecords = 0;
    std::int64_t warnings = 0;
    std::int64_t powerFailures = 0;
};
Result<ArchiveCounts> countArchive(Engine &engine);

} // namespace archive
