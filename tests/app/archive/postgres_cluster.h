// A throw-away PostgreSQL server for the archive's tests: its own cluster
// made with initdb in a temporary folder, listening only on a Unix socket in
// that folder, password authentication on, run as the `postgres` user when
// the tests run as root (the server refuses root). Started at the first
// use in a test program and stopped when the program ends, failed or not.
#pragma once

#include <filesystem>
#include <string>

namespace archivetest {

class PostgresCluster {
public:
    // The program's cluster, started at the first call; nullptr when no
    // server can run here, and `why` says why (for the skip message).
    static PostgresCluster *shared(std::string &why);

    // The password of the cluster's superuser, to check it is never printed.
    static constexpr const char *kPassword = "Trelm-s3cret-pw";

    // A new, empty database and the URL that reaches it.
    std::string createDatabase();
    // The URL of `database` with another password.
    std::string urlWithPassword(const std::string &database, const std::string &password) const;
    const std::filesystem::path &socketFolder() const { return m_folder; }

    ~PostgresCluster();
    PostgresCluster(const PostgresCluster &) = delete;
    PostgresCluster &operator=(const PostgresCluster &) = delete;

private:
    PostgresCluster() = default;
    bool start(std::string &why);
    void stop();

    std::filesystem::path m_folder;
    std::filesystem::path m_binaries;
    bool m_running = false;
    int m_databases = 0;
};

// The folder of initdb and pg_ctl, empty when no server is installed.
std::filesystem::path postgresBinaries();

} // namespace archivetest
