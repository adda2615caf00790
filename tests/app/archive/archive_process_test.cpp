// The archive under the real program as child processes: an import killed
// at one write after another leaves the archive as before or as after,
// never between; two importers at once both succeed; a server that cannot
// be reached or refuses the password is one line, exit 3, no password.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "archive_backends.h"
#include "archive_events.h"
#include "case_name.h"
#include "postgres_cluster.h"

namespace fs = std::filesystem;
using namespace archivetest;

namespace {

// The writes an import makes on each engine, where strace kills it: the
// SQLite file's writes, the messages to the PostgreSQL server.
const char *writeCall(Backend backend) { return backend == Backend::Sqlite ? "pwrite64" : "sendto"; }

// Kill points spread over an import; the loop ends at the first that the
// import no longer reaches.
const int kKillPoints[] = {1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233};

bool straceRuns() { return std::system("strace -V >/dev/null 2>&1") == 0; }

class ArchiveProcesses : public ::testing::TestWithParam<Backend> {
protected:
    CommandRun list(const std::string &location) { return runCommand({"archive", "list", "--db", location}); }
    testfiles::TempDir m_work{"archive-processes"};
};

testdata::ImageBuilder image(bool newer) {
    testdata::ImageBuilder built({1, 0x0102, 123});
    addEvent(built, 1, 6);
    addEvent(built, 2, newer ? 30 : 8, newer ? 5 : 3);
    if (newer)
        addEvent(built, 3, 20);
    return built;
}

} // namespace

TEST_P(ArchiveProcesses, AKilledImportLeavesTheArchiveAsBeforeOrAfter) {
    if (!straceRuns())
        GTEST_SKIP() << "strace is not available";
    const fs::path older = eventFilesOf(image(false), m_work / "older").front().parent_path();
    const fs::path newer = eventFilesOf(image(true), m_work / "newer").front().parent_path();
    int killed = 0;
    for (int point : kKillPoints) {
        FreshArchive fresh(GetParam());
        if (fresh.location.empty())
            GTEST_SKIP() << fresh.skipReason;
        ASSERT_EQ(runCommand({"archive", "import", older.string(), "--db", fresh.location}).status, 0);
        const std::string before = list(fresh.location).out;
        const std::string call = writeCall(GetParam());
        ChildProgram child({"strace", "-o", "/dev/null", "-e", "trace=" + call, "-e",
                            "inject=" + call + ":signal=KILL:when=" + std::to_string(point), TRELMLINK_PROGRAM,
                            "archive", "import", newer.string(), "--db", fresh.location},
                           m_work.path(), "killed");
        const int status = child.wait();
        const std::string between = list(fresh.location).out;
        ASSERT_EQ(runCommand({"archive", "import", newer.string(), "--db", fresh.location}).status, 0);
        const std::string after = list(fresh.location).out;
        ASSERT_NE(before, after);
        if (status == 0) {
            EXPECT_EQ(between, after) << "a finished import at kill point " << point;
            break;
        }
        ++killed;
        EXPECT_TRUE(between == before || between == after) << "killed at write " << point << ":\n" << between;
    }
    EXPECT_GE(killed, 2) << "the kills never reached the import";
}

TEST_P(ArchiveProcesses, TwoImportersAtOnceBothSucceed) {
    FreshArchive fresh(GetParam());
    if (fresh.location.empty())
        GTEST_SKIP() << fresh.skipReason;
    // Each imports its own unit's image and the same shared full image.
    const fs::path shared = eventFilesOf(fullImage(777), m_work / "shared").front().parent_path();
    const fs::path first = eventFilesOf(fullImage(123), m_work / "first").front().parent_path();
    const fs::path second = eventFilesOf(fullImage(456), m_work / "second").front().parent_path();
    ChildProgram a({TRELMLINK_PROGRAM, "archive", "import", first.string(), shared.string(), "--db", fresh.location},
                   m_work.path(), "a");
    ChildProgram b({TRELMLINK_PROGRAM, "archive", "import", shared.string(), second.string(), "--db", fresh.location},
                   m_work.path(), "b");
    ASSERT_EQ(a.wait(), 0) << a.err();
    ASSERT_EQ(b.wait(), 0) << b.err();
    // The shared events are new to exactly one of them.
    const std::set<std::string> outcomes = {lastLine(a.out()), lastLine(b.out())};
    EXPECT_EQ(outcomes, (std::set<std::string>{"48 new, 0 updated, 0 unchanged", "24 new, 0 updated, 24 unchanged"}));
    const CommandRun info = runCommand({"archive", "info", "--db", fresh.location});
    EXPECT_NE(info.out.find("events: 72\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("log records: " + std::to_string(3 * 2586) + "\n"), std::string::npos) << info.out;
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveProcesses, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         testsupport::CaseName());

namespace {

struct UnreachableCase {
    const char *name;
    const char *where;  // the cluster's socket folder, an empty folder, or a host name
    const char *password;
    const char *reason; // the server's or the network's reason
};
std::ostream &operator<<(std::ostream &out, const UnreachableCase &c) { return out << c.name; }

constexpr const char *kClusterSocket = "cluster";
constexpr const char *kEmptyFolder = "empty";
constexpr const char *kWrongPassword = "Wrong-pw-4-test";

const UnreachableCase kUnreachable[] = {
    {"WrongPassword", kClusterSocket, kWrongPassword, "password authentication failed for user \"postgres\""},
    {"NoServerOnTheSocket", kEmptyFolder, PostgresCluster::kPassword, "No such file or directory"},
    {"UnknownHost", "archive-host.invalid", PostgresCluster::kPassword, "could not translate host name"},
};

class ArchiveUnreachable : public ::testing::TestWithParam<UnreachableCase> {};

} // namespace

TEST_P(ArchiveUnreachable, IsOneLineNamingHostAndReasonWithExitThree) {
    std::string why;
    PostgresCluster *cluster = PostgresCluster::shared(why);
    if (!cluster)
        GTEST_SKIP() << why;
    testfiles::TempDir empty{"no-server"};
    testfiles::TempDir work{"archive-unreachable"};
    const UnreachableCase &c = GetParam();
    const std::string where = c.where;
    const std::string host = where == kClusterSocket ? cluster->socketFolder().string()
                             : where == kEmptyFolder ? empty.path().string()
                                                     : where;
    const std::string url = where == kClusterSocket || where == kEmptyFolder
                                ? "postgresql://postgres:" + std::string(c.password) + "@/postgres?host=" + host
                                : "postgresql://postgres:" + std::string(c.password) + "@" + host + "/x";
    const auto files = eventFilesOf(image(false), work / "events");
    for (const char *command : {"import", "info", "list"}) {
        std::vector<std::string> args = {TRELMLINK_PROGRAM, "archive", command};
        if (std::string(command) == "import")
            args.push_back(files[0].string());
        args.insert(args.end(), {"--db", url});
        ChildProgram child(args, work.path(), "run");
        EXPECT_EQ(child.wait(), 3) << command;
        const std::string err = child.err();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("cannot connect to " + host + ":"), std::string::npos) << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        for (const std::string password : {PostgresCluster::kPassword, kWrongPassword})
            EXPECT_EQ((err + child.out()).find(password), std::string::npos) << err;
        EXPECT_EQ(child.out(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Server, ArchiveUnreachable, ::testing::ValuesIn(kUnreachable), testsupport::CaseName());
