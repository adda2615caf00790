// The archive's view of a database: statements prepared once and run many
// times with bound values, and write transactions. SQLite and PostgreSQL
// each fill it; the archive's SQL is written once for both (parameters are
// $1, $2, ... in order of first use, which both engines read the same way).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "datafile/result.h"

namespace archive {

using trelm::Error;
using trelm::Result;
using trelm::Status;

class Statement {
public:
    virtual ~Statement() = default;
    // Parameters count from 1 ($1). Values stay bound until reset().
    virtual void bindNull(int index) = 0;
    virtual void bindInt(int index, std::int64_t value) = 0;
    virtual void bindReal(int index, double value) = 0;
    virtual void bindText(int index, std::string_view value) = 0;
    // Runs the statement at the first call, then moves to the next row:
    // true while a row is at hand, false at the end.
    virtual Result<bool> step() = 0;
    // The current row's columns, counting from 0.
    virtual bool isNull(int column) const = 0;
    virtual std::int64_t intAt(int column) const = 0;
    virtual double realAt(int column) const = 0;
    virtual std::string textAt(int column) const = 0;
    // Drops the result and the bound values, ready for the next run.
    virtual void reset() = 0;
};

// Where the SQL of the two engines differs.
enum class Dialect { Sqlite, Postgres };

class Engine {
public:
    virtual ~Engine() = default;
    virtual std::string name() const = 0;     // "SQLite", "PostgreSQL"
    virtual std::string location() const = 0; // the file, or the URL with its password masked
    virtual Dialect dialect() const = 0;
    // Runs SQL without parameters or rows (schema changes, set-up).
    virtual Status execute(const std::string &sql) = 0;
    // Begins a transaction that holds the archive's write lock to its end,
    // so imports and migrations run one after another and a second importer
    // waits instead of failing.
    virtual Status beginWrite() = 0;
    virtual Status commit() = 0;
    virtual Status rollback() = 0;

    // The statement for `sql`, prepared at its first use and kept for the
    // engine's life. Errors name the engine's location.
    Result<Statement *> statement(const std::string &sql);

protected:
    virtual Result<std::unique_ptr<Statement>> prepare(const std::string &sql) = 0;
    // Drops every prepared statement; an engine calls it before closing its
    // connection, since statements refer to it.
    void clearPrepared() { m_prepared.clear(); }

private:
    std::map<std::string, std::unique_ptr<Statement>> m_prepared;
};

// Rolls back on leaving scope unless committed: a failed or interrupted
// import leaves the archive as it was.
class WriteTransaction {
public:
    explicit WriteTransaction(Engine &engine) : m_engine(engine) {}
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;
    Status begin();
    Status commit();

private:
    Engine &m_engine;
    bool m_open = false;
};

} // namespace archive
