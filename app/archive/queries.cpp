#include "archive/queries.h"

#include <map>

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

// Runs `sql` (the selection bound as $1..$4) and calls `row` per row.
Status eachRow(Engine &engine, const std::string &sql, const Selection &selection,
               const std::function<void(Statement &)> &row) {
    auto prepared = engine.statement(sql);
    if (!prepared)
        return prepared.error();
    Statement &statement = *prepared.value();
    bindSelection(statement, selection);
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
    std::string sql = "SELECT l.time, e.unit, e.start";
    for (std::size_t index : quantities)
        sql += ", l." + logQuantities().at(index).name;
    sql += " FROM log_records l JOIN events e ON e.id = l.event WHERE e.unit BETWEEN $1 AND $2 "
           "AND l.time BETWEEN $3 AND $4 ORDER BY l.time, e.start";
    SeriesRow series;
    series.values.resize(quantities.size());
    // Consecutive rows mostly share their event: its name is made once.
    std::int64_t lastUnit = -1, lastStart = -1;
    return eachRow(engine, sql, selection, [&](Statement &row) {
        series.time = row.intAt(0);
        if (row.intAt(1) != lastUnit || row.intAt(2) != lastStart) {
            lastUnit = row.intAt(1);
            lastStart = row.intAt(2);
            series.event = trelm::EventFileName(static_cast<std::int16_t>(lastUnit), static_cast<std::int32_t>(lastStart));
        }
        for (std::size_t i = 0; i < quantities.size(); ++i) {
            const int column = 3 + static_cast<int>(i);
            series.values[i] = row.isNull(column) ? std::nullopt : std::optional<double>(row.realAt(column));
        }
        take(series);
    });
}

Result<std::vector<std::size_t>> quantitiesPresent(Engine &engine, const Selection &selection) {
    const std::vector<Quantity> &all = logQuantities();
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < all.size(); ++i)
        sql += (i ? ", COUNT(l." : "COUNT(l.") + all[i].name + ")";
    sql += " FROM log_records l JOIN events e ON e.id = l.event WHERE e.unit BETWEEN $1 AND $2 "
           "AND l.time BETWEEN $3 AND $4";
    std::vector<std::size_t> present;
    auto counted = eachRow(engine, sql, selection, [&](Statement &row) {
        for (std::size_t i = 0; i < all.size(); ++i)
            if (row.intAt(static_cast<int>(i)) > 0)
                present.push_back(i);
    });
    if (!counted)
        return counted.error();
    return present;
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
