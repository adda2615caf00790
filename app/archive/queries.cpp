#include "archive/queries.h"

#include <map>
#include <sstream>

#include "datafile/intake.h"

namespace archive {

namespace {

// Units are 16-bit on the sampler: a selection without one spans them all.
constexpr std::int64_t kLowestUnit = -32768;
constexpr std::int64_t kHighestUnit = 32767;

void bindSelection(Statement &statement, const Selection &selection) {
    statement.bindInt(1, selection.unit ? *selection.unit : kLowestUnit);
    statement.bindInt(2, selection.unit ? *selection.unit : kHighestUnit);
    statement.bindInt(3, selection.from);
    statement.bindInt(4, selection.to);
}

// One unit's records: unit = $1, time from $2 to $3.
void bindUnitSpan(Statement &statement, const Selection &selection) {
    statement.bindInt(1, selection.unit.value_or(0));
    statement.bindInt(2, selection.from);
    statement.bindInt(3, selection.to);
}

// Runs `sql` with the values `bind` sets and calls `row` per row.
Status eachRow(Engine &engine, const std::string &sql, const std::function<void(Statement &)> &bind,
               const std::function<void(Statement &)> &row) {
    auto prepared = engine.statement(sql);
    if (!prepared)
        return prepared.error();
    Statement &statement = *prepared.value();
    bind(statement);
    for (;;) {
        auto stepped = statement.step();
        if (!stepped) {
            statement.reset();
            return stepped.error();
        }
        if (!stepped.value())
            break;
        row(statement);
    }
    statement.reset();
    return trelm::Done{};
}

// The same with the selection bound as $1..$4 (units, then start times).
Status eachRow(Engine &engine, const std::string &sql, const Selection &selection,
               const std::function<void(Statement &)> &row) {
    return eachRow(
        engine, sql, [&](Statement &statement) { bindSelection(statement, selection); }, row);
}

constexpr const char *kEventsInSelection = " FROM events e WHERE e.unit BETWEEN $1 AND $2 AND e.start BETWEEN $3 AND $4";

std::optional<std::int64_t> optionalInt(const Statement &statement, int column) {
    return statement.isNull(column) ? std::nullopt : std::optional<std::int64_t>(statement.intAt(column));
}

} // namespace

Result<std::vector<EventSummary>> listEvents(Engine &engine, const Selection &selection) {
    std::vector<EventSummary> events;
    std::map<std::int64_t, std::size_t> byId;
    auto listed = eachRow(engine,
                          std::string("SELECT e.id, e.unit, e.start, e.stop, e.status, e.model, e.log_records, "
                                      "e.source") +
                              kEventsInSelection + " ORDER BY e.unit, e.start",
                          selection, [&](Statement &row) {
                              byId[row.intAt(0)] = events.size();
                              events.push_back({static_cast<int>(row.intAt(1)), row.intAt(2), row.intAt(3),
                                                row.textAt(4), row.textAt(5), static_cast<int>(row.intAt(6)),
                                                row.textAt(7), {}, {}});
                          });
    if (!listed)
        return listed.error();
    auto warnings = eachRow(engine,
                            std::string("SELECT w.event, w.kind, w.channel, w.value_text, w.time FROM warnings w "
                                        "WHERE w.event IN (SELECT e.id") +
                                kEventsInSelection + ") ORDER BY w.event, w.kind, w.channel",
                            selection, [&](Statement &row) {
                                events[byId.at(row.intAt(0))].warnings.push_back(
                                    {row.textAt(1), static_cast<int>(row.intAt(2)), row.textAt(3),
                                     optionalInt(row, 4)});
                            });
    if (!warnings)
        return warnings.error();
    auto failures = eachRow(engine,
                            std::string("SELECT p.event, p.time FROM power_failures p WHERE p.event IN (SELECT e.id") +
                                kEventsInSelection + ") ORDER BY p.event, p.entry",
                            selection, [&](Statement &row) {
                                events[byId.at(row.intAt(0))].powerFailures.push_back(row.intAt(1));
                            });
    if (!failures)
        return failures.error();
    return events;
}

Status exportSeries(Engine &engine, const Selection &selection, const std::vector<std::size_t> &quantities,
                    const std::function<void(const SeriesRow &)> &take) {
    // The event file names of the unit's events, by id.
    std::map<std::int64_t, std::string> names;
    auto named = eachRow(
        engine, "SELECT id, unit, start FROM events WHERE unit = $1",
        [&](Statement &statement) { statement.bindInt(1, selection.unit.value_or(0)); },
        [&](Statement &row) {
            names[row.intAt(0)] = trelm::EventFileName(static_cast<std::int16_t>(row.intAt(1)),
                                                       static_cast<std::int32_t>(row.intAt(2)));
        });
    if (!named)
        return named;
    std::string sql = "SELECT l.time, l.event";
    for (std::size_t index : quantities)
        sql += ", l." + logQuantities().at(index).name;
    // The (unit, time, event) index gives this order without a sort.
    sql += " FROM log_records l WHERE l.unit = $1 AND l.time BETWEEN $2 AND $3 ORDER BY l.unit, l.time, l.event";
    SeriesRow series;
    series.values.resize(quantities.size());
    std::int64_t lastEvent = -1;
    return eachRow(
        engine, sql, [&](Statement &statement) { bindUnitSpan(statement, selection); },
        [&](Statement &row) {
            series.time = row.intAt(0);
            if (row.intAt(1) != lastEvent) {
                lastEvent = row.intAt(1);
                series.event = names[lastEvent];
            }
            for (std::size_t i = 0; i < quantities.size(); ++i) {
                const int column = 2 + static_cast<int>(i);
                series.values[i] = row.isNull(column) ? std::nullopt : std::optional<double>(row.realAt(column));
            }
            take(series);
        });
}

Result<std::vector<std::size_t>> quantitiesPresent(Engine &engine, const Selection &selection) {
    // Each event lists the quantities its channels log; an event that
    // starts after the span holds none of its records, and a span that
    // ends before it begins ($2 > $3) holds nothing.
    const std::vector<Quantity> &all = logQuantities();
    std::vector<bool> present(all.size());
    auto listed = eachRow(
        engine, "SELECT DISTINCT quantities FROM events WHERE unit = $1 AND start <= $3 AND $2 <= $3",
        [&](Statement &statement) { bindUnitSpan(statement, selection); },
        [&](Statement &row) {
            std::istringstream names(row.textAt(0));
            for (std::string name; std::getline(names, name, ',');)
                for (std::size_t i = 0; i < all.size(); ++i)
                    present[i] = present[i] || all[i].name == name;
        });
    if (!listed)
        return listed.error();
    std::vector<std::size_t> indices;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (present[i])
            indices.push_back(i);
    return indices;
}

Result<ArchiveCounts> countArchive(Engine &engine) {
    ArchiveCounts counts;
    std::int64_t *const targets[] = {&counts.units, &counts.events, &counts.logRecords, &counts.warnings,
                                     &counts.powerFailures};
    const char *const tables[] = {"units", "events", "log_records", "warnings", "power_failures"};
    for (std::size_t i = 0; i < std::size(tables); ++i) {
        auto prepared = engine.statement(std::string("SELECT COUNT(*) FROM ") + tables[i]);
        if (!prepared)
            return prepared.error();
        Statement &statement = *prepared.value();
        auto stepped = statement.step();
        if (!stepped) {
            statement.reset();
            return stepped.error();
        }
        *targets[i] = statement.intAt(0);
        statement.reset();
    }
    return counts;
}

} // namespace archive
