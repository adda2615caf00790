#include "archive/importer.h"

#include "archive/figures.h"
#include "datafile/codes.h"
#include "datafile/statistics.h"

namespace archive {

namespace {

using trelm::EventFile;

// "$first, $first+1, ..." for `count` parameters.
std::string parameters(int first, std::size_t count) {
    std::string list;
    for (std::size_t i = 0; i < count; ++i)
        list += (i ? ", $" : "$") + std::to_string(first + static_cast<int>(i));
    return list;
}

std::string insertEventSql() {
    std::string names = "unit, start, stop, elapse, model, configuration, status, firmware, log_records, "
                        "fingerprint, source, quantities";
    for (const Column &column : eventFigureColumns())
        names += ", " + column.name;
    return "INSERT INTO events (" + names + ") VALUES (" + parameters(1, 12 + eventFigureColumns().size()) +
           ") RETURNING id";
}

std::string insertLogSql() {
    std::string names = "event, unit, time";
    for (const Quantity &quantity : logQuantities())
        names += ", " + quantity.name;
    return "INSERT INTO log_records (" + names + ") VALUES (" + parameters(1, 3 + logQuantities().size()) + ")";
}

void bindValue(Statement &statement, int index, const Value &value) {
    if (const auto *whole = std::get_if<std::int64_t>(&value))
        statement.bindInt(index, *whole);
    else if (const auto *figure = std::get_if<double>(&value))
        statement.bindReal(index, *figure);
    else
        statement.bindNull(index);
}

// Runs a statement that returns no row, ready for its next use after.
Status run(Statement &statement) {
    auto stepped = statement.step();
    statement.reset();
    if (!stepped)
        return stepped.error();
    return trelm::Done{};
}

class Importer {
public:
    explicit Importer(Engine &engine) : m_engine(engine) {}

    Result<ImportCounts> importAll(const std::vector<EventSource> &events) {
        ImportCounts counts;
        for (const EventSource &source : events) {
            auto outcome = importOne(source);
            if (!outcome)
                return outcome.error();
            ++(outcome.value() == Outcome::Added ? counts.added
               : outcome.value() == Outcome::Updated ? counts.updated : counts.unchanged);
        }
        return counts;
    }

private:
    enum class Outcome { Added, Updated, Unchanged };

    Result<Statement *> prepared(const std::string &sql) { return m_engine.statement(sql); }

    Result<Outcome> importOne(const EventSource &source) {
        auto find = prepared("SELECT id, fingerprint FROM events WHERE unit = $1 AND start = $2");
        if (!find)
            return find.error();
        Statement &statement = *find.value();
        statement.bindInt(1, source.file.header.unitId);
        statement.bindInt(2, source.file.event.start);
        auto found = statement.step();
        if (!found) {
            statement.reset();
            return found.error();
        }
        const bool exists = found.value();
        const std::int64_t id = exists ? statement.intAt(0) : 0;
        const bool same = exists && statement.textAt(1) == source.fingerprint;
        statement.reset();
        if (same)
            return Outcome::Unchanged;
        // A changed event is replaced whole: its log records, warnings and
        // power failures go with it (ON DELETE CASCADE).
        if (exists)
            if (auto removed = removeEvent(id); !removed)
                return removed.error();
        if (auto written = writeEvent(source); !written)
            return written.error();
        return exists ? Outcome::Updated : Outcome::Added;
    }

    Status removeEvent(std::int64_t id) {
        auto remove = prepared("DELETE FROM events WHERE id = $1");
        if (!remove)
            return remove.error();
        remove.value()->bindInt(1, id);
        return run(*remove.value());
    }

    Status writeUnit(const EventFile &file) {
        auto upsert = prepared("INSERT INTO units (unit, model, firmware) VALUES ($1, $2, $3) ON CONFLICT (unit) "
                               "DO UPDATE SET model = excluded.model, firmware = excluded.firmware");
        if (!upsert)
            return upsert.error();
        Statement &statement = *upsert.value();
        statement.bindInt(1, file.header.unitId);
        statement.bindText(2, trelm::ModelName(file.header.modelFlag));
        statement.bindText(3, trelm::FirmwareText(file.header.firmware));
        return run(statement);
    }

    Result<std::int64_t> insertEvent(const EventSource &source) {
        auto insert = prepared(insertEventSql());
        if (!insert)
            return insert.error();
        Statement &statement = *insert.value();
        const EventFile &file = source.file;
        statement.bindInt(1, file.header.unitId);
        statement.bindInt(2, file.event.start);
        statement.bindInt(3, file.event.stop);
        statement.bindInt(4, file.event.elapse);
        statement.bindText(5, trelm::ModelName(file.header.modelFlag));
        statement.bindInt(6, file.event.samplerConfig);
        statement.bindText(7, trelm::StatusName(file.event.status));
        statement.bindText(8, trelm::FirmwareText(file.header.firmware));
        statement.bindInt(9, static_cast<std::int64_t>(file.log.size()));
        statement.bindText(10, source.fingerprint);
        statement.bindText(11, source.name);
        statement.bindText(12, quantityList(logColumnsOf(file)));
        const std::vector<Value> figures = eventFigureValues(file);
        for (std::size_t i = 0; i < figures.size(); ++i)
            bindValue(statement, 13 + static_cast<int>(i), figures[i]);
        auto row = statement.step();
        if (!row || !row.value()) {
            statement.reset();
            return row ? Error{m_engine.location(), "the new event got no id"} : row.error();
        }
        const std::int64_t id = statement.intAt(0);
        statement.reset();
        return id;
    }

    Status writeLog(std::int64_t id, const EventFile &file) {
        auto insert = prepared(insertLogSql());
        if (!insert)
            return insert.error();
        Statement &statement = *insert.value();
        const LogColumns columns = logColumnsOf(file);
        for (const trelm::LogRecord &record : file.log) {
            statement.bindInt(1, id);
            statement.bindInt(2, file.header.unitId);
            statement.bindInt(3, record.time);
            const std::vector<Value> values = logValues(record, columns);
            for (std::size_t i = 0; i < values.size(); ++i)
                bindValue(statement, 4 + static_cast<int>(i), values[i]);
            if (auto done = run(statement); !done)
                return done;
        }
        return trelm::Done{};
    }

    Status writeWarnings(std::int64_t id, const EventFile &file) {
        auto insert = prepared(
            "INSERT INTO warnings (event, kind, channel, value, value_text, time) VALUES ($1, $2, $3, $4, $5, $6)");
        if (!insert)
            return insert.error();
        Statement &statement = *insert.value();
        for (const WarningRow &warning : warningRows(file)) {
            statement.bindInt(1, id);
            statement.bindText(2, warning.kind);
            statement.bindInt(3, warning.channel);
            bindValue(statement, 4, warning.value);
            statement.bindText(5, warning.text);
            bindValue(statement, 6, warning.time);
            if (auto done = run(statement); !done)
                return done;
        }
        return trelm::Done{};
    }

    Status writePowerFailures(std::int64_t id, const EventFile &file) {
        auto insert = prepared("INSERT INTO power_failures (event, entry, time) VALUES ($1, $2, $3)");
        if (!insert)
            return insert.error();
        Statement &statement = *insert.value();
        for (const trelm::PowerFailure &failure : trelm::powerFailureEntries(file.event)) {
            if (!failure.occurred())
                continue;
            statement.bindInt(1, id);
            statement.bindInt(2, failure.entry);
            statement.bindInt(3, failure.time);
            if (auto done = run(statement); !done)
                return done;
        }
        return trelm::Done{};
    }

    Status writeEvent(const EventSource &source) {
        if (auto unit = writeUnit(source.file); !unit)
            return unit;
        auto id = insertEvent(source);
        if (!id)
            return id.error();
        if (auto log = writeLog(id.value(), source.file); !log)
            return log;
        if (auto warnings = writeWarnings(id.value(), source.file); !warnings)
            return warnings;
        return writePowerFailures(id.value(), source.file);
    }

    Engine &m_engine;
};

} // namespace

Result<ImportCounts> importEvents(Engine &engine, const std::vector<EventSource> &events) {
    WriteTransaction transaction(engine);
    if (auto begun = transaction.begin(); !begun)
        return begun.error();
    auto counts = Importer(engine).importAll(events);
    if (!counts)
        return counts.error();
    if (auto committed = transaction.commit(); !committed)
        return committed.error();
    return counts;
}

} // namespace archive
