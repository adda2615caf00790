#include "postgres_cluster.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <unistd.h>

#include "archive/postgres_engine.h"

namespace archivetest {

namespace {

constexpr const char *kServerUser = "postgres";
constexpr const char *kInstalledServers = "/usr/lib/postgresql";

// `command` run as the server's user when this process is root.
std::string asServerUser(const std::string &command) {
    return geteuid() == 0 ? std::string("runuser -u ") + kServerUser + " -- " + command : command;
}

std::string quoted(const std::filesystem::path &path) {
    std::string text = "'";
    return text.append(path.string()).append("'"); // appended: GCC 12 misreports "'" + string
}

// Removes the cluster when the program ends, however the tests went.
std::unique_ptr<PostgresCluster> &sharedCluster() {
    static std::unique_ptr<PostgresCluster> cluster;
    return cluster;
}

} // namespace

std::filesystem::path postgresBinaries() {
    std::error_code error;
    std::filesystem::path newest;
    for (const auto &entry : std::filesystem::directory_iterator(kInstalledServers, error))
        if (std::filesystem::exists(entry.path() / "bin" / "initdb") && entry.path() > newest)
            newest = entry.path();
    return newest.empty() ? newest : newest / "bin";
}

PostgresCluster *PostgresCluster::shared(std::string &why) {
    static std::string failure;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::unique_ptr<PostgresCluster> cluster(new PostgresCluster());
        if (cluster->start(failure))
            sharedCluster() = std::move(cluster);
        std::atexit([] { sharedCluster().reset(); });
    }
    why = failure;
    return sharedCluster().get();
}

bool PostgresCluster::start(std::string &why) {
    m_binaries = postgresBinaries();
    if (m_binaries.empty()) {
        why = "no PostgreSQL server is installed (" + std::string(kInstalledServers) + "/*/bin/initdb)";
        return false;
    }
    char name[] = "/tmp/trelm-pg-XXXXXX";
    if (!mkdtemp(name)) {
        why = "no temporary folder for the cluster";
        return false;
    }
    m_folder = name;
    if (geteuid() == 0) {
        const passwd *user = getpwnam(kServerUser);
        if (!user || chown(name, user->pw_uid, user->pw_gid) != 0) {
            why = "the user 'postgres' is missing, and the server refuses to run as root";
            return false;
        }
    }
    {
        std::ofstream password(m_folder / "password");
        password << kPassword << '\n';
    }
    if (geteuid() == 0)
        std::system(("chown postgres " + quoted(m_folder / "password")).c_str());
    const std::string init = asServerUser(quoted(m_binaries / "initdb") + " -D " + quoted(m_folder / "data") +
                                          " -U postgres --pwfile=" + quoted(m_folder / "password") +
                                          " --auth=scram-sha-256 -E UTF8 --no-sync >" +
                                          quoted(m_folder / "initdb.log") + " 2>&1");
    if (std::system(init.c_str()) != 0) {
        why = "initdb failed: see " + (m_folder / "initdb.log").string();
        return false;
    }
    // No TCP at all: the socket in the folder is the only way in.
    const std::string options = "-c listen_addresses='' -c unix_socket_directories='" + m_folder.string() +
                                "' -c fsync=off -c max_connections=40";
    const std::string startCommand = asServerUser(quoted(m_binaries / "pg_ctl") + " -D " +
                                                  quoted(m_folder / "data") + " -l " +
                                                  quoted(m_folder / "server.log") + " -w -t 60 -o \"" + options +
                                                  "\" start >/dev/null 2>&1");
    if (std::system(startCommand.c_str()) != 0) {
        why = "the server did not start: see " + (m_folder / "server.log").string();
        return false;
    }
    m_running = true;
    return true;
}

void PostgresCluster::stop() {
    if (m_running)
        std::system(asServerUser(quoted(m_binaries / "pg_ctl") + " -D " + quoted(m_folder / "data") +
                                 " -m immediate -w stop >/dev/null 2>&1")
                        .c_str());
    m_running = false;
}

PostgresCluster::~PostgresCluster() {
    stop();
    std::error_code ignored;
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder, ignored);
}

std::string PostgresCluster::urlWithPassword(const std::string &database, const std::string &password) const {
    return "postgresql://postgres:" + password + "@/" + database + "?host=" + m_folder.string();
}

std::string PostgresCluster::createDatabase() {
    const std::string database = "archive_" + std::to_string(getpid()) + "_" + std::to_string(++m_databases);
    auto admin = archive::openPostgres(urlWithPassword("postgres", kPassword));
    if (!admin)
        throw std::runtime_error(admin.error().message());
    if (auto created = admin.value()->execute("CREATE DATABASE " + database); !created)
        throw std::runtime_error(created.error().message());
    return urlWithPassword(database, kPassword);
}

} // namespace archivetest
