#include "archive/postgres_engine.h"

#include <charconv>
#include <cstdlib>
#include <optional>
#include <vector>

#include <libpq-fe.h>

#include "archive/location.h"

namespace archive {

namespace {

// Every import takes this transaction-scoped advisory lock, so two
// importers of the same events run one after the other instead of one
// failing on the (unit, start) key the other has just inserted.
constexpr const char *kWriteLock = "SELECT pg_advisory_xact_lock(2405202401)";

struct ResultFree {
    void operator()(PGresult *result) const { PQclear(result); }
};
using ResultPtr = std::unique_ptr<PGresult, ResultFree>;

class PostgresStatement final : public Statement {
public:
    PostgresStatement(PGconn *connection, std::string name, std::string location)
        : m_connection(connection), m_name(std::move(name)), m_location(std::move(location)) {}

    void bindNull(int index) override { slot(index).reset(); }
    void bindInt(int index, std::int64_t value) override { slot(index) = std::to_string(value); }
    void bindReal(int index, double value) override {
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, value);
        slot(index) = std::string(text, written.ptr);
    }
    void bindText(int index, std::string_view value) override { slot(index) = std::string(value); }

    Result<bool> step() override {
        if (!m_result) {
            std::vector<const char *> values;
            for (const auto &value : m_values)
                values.push_back(value ? value->c_str() : nullptr);
            m_result.reset(PQexecPrepared(m_connection, m_name.c_str(), static_cast<int>(values.size()),
                                          values.data(), nullptr, nullptr, 0));
            const ExecStatusType status = PQresultStatus(m_result.get());
            if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
                return Error{m_location, oneLine(PQresultErrorMessage(m_result.get()))};
            m_row = -1;
        }
        return ++m_row < PQntuples(m_result.get());
    }
    bool isNull(int column) const override { return PQgetisnull(m_result.get(), m_row, column) != 0; }
    std::int64_t intAt(int column) const override { return std::strtoll(text(column), nullptr, 10); }
    double realAt(int column) const override { return std::strtod(text(column), nullptr); }
    std::string textAt(int column) const override { return text(column); }
    void reset() override {
        m_result.reset();
        m_values.clear();
    }

private:
    std::optional<std::string> &slot(int index) {
        if (m_values.size() < static_cast<std::size_t>(index))
            m_values.resize(index);
        return m_values[index - 1];
    }
    const char *text(int column) const { return PQgetvalue(m_result.get(), m_row, column); }

    PGconn *m_connection;
    std::string m_name;
    std::string m_location;
    std::vector<std::optional<std::string>> m_values;
    ResultPtr m_result;
    int m_row = -1;
};

class PostgresEngine final : public Engine {
public:
    PostgresEngine(PGconn *connection, std::string url) : m_connection(connection), m_location(maskPassword(url)) {}
    ~PostgresEngine() override {
        clearPrepared();
        PQfinish(m_connection);
    }

    std::string name() const override { return "PostgreSQL"; }
    std::string location() const override { return m_location; }
    Dialect dialect() const override { return Dialect::Postgres; }

    Status execute(const std::string &sql) override {
        ResultPtr result(PQexec(m_connection, sql.c_str()));
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            return Error{m_location, oneLine(PQresultErrorMessage(result.get()))};
        return trelm::Done{};
    }
    Status beginWrite() override {
        if (auto begun = execute("BEGIN"); !begun)
            return begun;
        return execute(kWriteLock);
    }
    Status commit() override { return execute("COMMIT"); }
    Status rollback() override { return execute("ROLLBACK"); }

protected:
    Result<std::unique_ptr<Statement>> prepare(const std::string &sql) override {
        std::string name = "s";
        name.append(std::to_string(++m_statements)); // appended: GCC 12 misreports "s" + string
        ResultPtr result(PQprepare(m_connection, name.c_str(), sql.c_str(), 0, nullptr));
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
            return Error{m_location, oneLine(PQresultErrorMessage(result.get()))};
        return std::unique_ptr<Statement>(std::make_unique<PostgresStatement>(m_connection, name, m_location));
    }

private:
    PGconn *m_connection;
    std::string m_location;
    int m_statements = 0;
};

// Server notices ("relation already exists, skipping") are not the user's business.
void ignoreNotice(void *, const char *) {}

} // namespace

std::string oneLine(const std::string &message) {
    std::string line;
    bool blank = false;
    for (char c : message) {
        const bool space = c == '\n' || c == '\r' || c == '\t' || c == ' ';
        if (space) {
            blank = !line.empty();
            continue;
        }
        if (blank)
            line += ' ';
        blank = false;
        line += c;
    }
    return maskPassword(line);
}

Result<std::unique_ptr<Engine>> openPostgres(const std::string &url) {
    PGconn *connection = PQconnectdb(url.c_str());
    if (PQstatus(connection) != CONNECTION_OK) {
        const char *host = connection ? PQhost(connection) : nullptr;
        const std::string where = host && *host ? host : "the default host";
        Error error{maskPassword(url), "cannot connect to " + where + ": " +
                                           oneLine(connection ? PQerrorMessage(connection) : "out of memory")};
        PQfinish(connection);
        return error;
    }
    PQsetNoticeProcessor(connection, ignoreNotice, nullptr);
    return std::unique_ptr<Engine>(std::make_unique<PostgresEngine>(connection, url));
}

} // namespace archive
