#include "archive/sqlite_engine.h"

#include <chrono>
#include <thread>

#include <sqlite3.h>

namespace archive {

namespace {

constexpr int kSetUpRetryMs = 10;

class SqliteStatement final : public Statement {
public:
    SqliteStatement(sqlite3 *db, sqlite3_stmt *statement, std::string location)
        : m_db(db), m_statement(statement), m_location(std::move(location)) {}
    ~SqliteStatement() override { sqlite3_finalize(m_statement); }

    void bindNull(int index) override { sqlite3_bind_null(m_statement, index); }
    void bindInt(int index, std::int64_t value) override { sqlite3_bind_int64(m_statement, index, value); }
    void bindReal(int index, double value) override { sqlite3_bind_double(m_statement, index, value); }
    void bindText(int index, std::string_view value) override {
        sqlite3_bind_text(m_statement, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    Result<bool> step() override {
        const int code = sqlite3_step(m_statement);
        if (code == SQLITE_ROW)
            return true;
        if (code == SQLITE_DONE)
            return false;
        return Error{m_location, sqlite3_errmsg(m_db)};
    }
    bool isNull(int column) const override { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    std::int64_t intAt(int column) const override { return sqlite3_column_int64(m_statement, column); }
    double realAt(int column) const override { return sqlite3_column_double(m_statement, column); }
    std::string textAt(int column) const override {
        const auto *text = sqlite3_column_text(m_statement, column);
        return text ? std::string(reinterpret_cast<const char *>(text)) : std::string();
    }
    void reset() override {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement;
    std::string m_location;
};

class SqliteEngine final : public Engine {
public:
    SqliteEngine(sqlite3 *db, std::string path) : m_db(db), m_path(std::move(path)) {}
    ~SqliteEngine() override {
        clearPrepared();
        sqlite3_close_v2(m_db);
    }

    std::string name() const override { return "SQLite"; }
    std::string location() const override { return m_path; }
    Dialect dialect() const override { return Dialect::Sqlite; }

    Status execute(const std::string &sql) override {
        char *message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
            return trelm::Done{};
        Error error{m_path, message ? message : sqlite3_errmsg(m_db)};
        sqlite3_free(message);
        return error;
    }
    // IMMEDIATE takes the write lock at the start: a deferred transaction
    // that reads first could not wait for it later (SQLite would fail it).
    Status beginWrite() override { return execute("BEGIN IMMEDIATE"); }
    Status commit() override { return execute("COMMIT"); }
    Status rollback() override { return execute("ROLLBACK"); }

protected:
    Result<std::unique_ptr<Statement>> prepare(const std::string &sql) override {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v3(m_db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                               &statement, nullptr) != SQLITE_OK)
            return Error{m_path, sqlite3_errmsg(m_db)};
        return std::unique_ptr<Statement>(std::make_unique<SqliteStatement>(m_db, statement, m_path));
    }

private:
    sqlite3 *m_db;
    std::string m_path;
};

// Runs a set-up statement, waiting while another program holds the file.
// Switching to WAL needs the file to itself, and SQLite reports a second
// program doing the same at that moment as busy at once, without its busy
// handler, so the wait is here.
Status setUp(sqlite3 *db, const char *sql, const std::string &path) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSqliteBusyTimeoutMs);
    for (;;) {
        const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        if (code == SQLITE_OK)
            return trelm::Done{};
        if ((code != SQLITE_BUSY && code != SQLITE_LOCKED) || std::chrono::steady_clock::now() >= deadline)
            return Error{path, sqlite3_errmsg(db)};
        std::this_thread::sleep_for(std::chrono::milliseconds(kSetUpRetryMs));
    }
}

} // namespace

Result<std::unique_ptr<Engine>> openSqlite(const std::filesystem::path &path) {
    std::error_code ignored;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), ignored);
    sqlite3 *db = nullptr;
    const int code = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        Error error{path.string(), db ? sqlite3_errmsg(db) : sqlite3_errstr(code)};
        sqlite3_close_v2(db);
        return error;
    }
    sqlite3_busy_timeout(db, kSqliteBusyTimeoutMs);
    auto engine = std::make_unique<SqliteEngine>(db, path.string());
    // WAL: an import is one append to the log, readers see the archive as
    // before or after it. NORMAL sync keeps every commit atomic; only the
    // last commits before a power cut may be lost, never half of one.
    for (const char *sql : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA foreign_keys=ON"})
        if (auto done = setUp(db, sql, path.string()); !done)
            return done.error();
    return std::unique_ptr<Engine>(std::move(engine));
}

} // namespace archive
