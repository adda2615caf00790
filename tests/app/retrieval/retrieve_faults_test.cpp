// `trelmlink retrieve` as an operator or a cron job meets it, one row per
// fault: the real program against the simulator (or a scripted peer on a
// pseudo-terminal), each row with its exit status, the line that names the
// reason, and what the data folder holds afterwards.
#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

#include "case_name.h"
#include "cli/commands.h"
#include "generated_image.h"
#include "program_run.h"
#include "pty_pair.h"
#include "sim_process.h"
#include "test_data.h"
#include "test_files.h"
#include "wait_until.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Far more than any row's retrieval takes; the cancel rows must end within a second.
constexpr auto kRunLimit = 90s;
constexpr auto kCancelLimit = 1000ms;
// The full-disk row's room, mid-way through the image: a small tmpfs where
// the machine allows a mount, else a file-size limit.
constexpr const char *kFullDiskMount = "size=64k";
constexpr rlim_t kFullDiskBytes = 60000;

// Who answers on the line.
enum class Peer {
    None,             // the program is refused before it opens the port
    Sim,              // trelm-sim with `sim` options
    ProbeSilent,      // a scripted peer that never answers
    ModemCheckSilent, // answers the probe's "AT" with OK, then nothing
    NeverConnects,    // a modem that says OK to every command but never connects
};

// What the test does once `trigger` appears on stderr.
enum class Act {
    None,
    Interrupt,
    Terminate,
    PullCable,
    SecondIntoSameFolder,
    SecondIntoOtherFolder,
    SecondOnTheSamePort, // then Ctrl-C for the first
};

// What the data folder holds at the end.
enum class Folder {
    Clean,              // exactly what a clean intake of the simulator's image gives
    CleanAndKept,       // that, and the planted image under a kept- name
    Partial,            // only a partial- image of the bytes received
    Empty,              // nothing at all
};

enum class Prep { None, KeptImage, ReadOnlyFolder, FullDisk };

struct FaultCase {
    const char *name;
    Peer peer = Peer::Sim;
    std::vector<std::string> sim = {"sampler"};
    std::vector<std::string> options = {"--all"};
    Prep prep = Prep::None;
    const char *trigger = "";
    Act act = Act::None;
    int status = 0;
    const char *reason = ""; // a stderr line holds this
    Folder folder = Folder::Clean;
};

std::ostream &operator<<(std::ostream &out, const FaultCase &c) { return out << c.name; }

using testfiles::FolderContent;
using testfiles::folderContent;
using testfiles::folderDifferences;

// What a clean, undisturbed retrieval from the simulator leaves in a folder.
const FolderContent &cleanIntake() {
    static const FolderContent content = [] {
        testfiles::TempDir data("faults-reference");
        SimProcess sim({"sampler"});
        std::ostringstream out, err;
        if (trelm::cli::runCli({"retrieve", "--device", sim.path(), "--dir", data.path().string(), "--all"}, out,
                               err) != 0)
            throw std::runtime_error("the reference retrieval failed: " + err.str());
        return folderContent(data.path());
    }();
    return content;
}

// Pulls the cable: the simulator, a child of this process, dies at once
// without a word on the line (a SIGTERM would let it cancel its send).
void killSimulatorChildren() {
    for (const auto &entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == ::getpid() && name == "(trelm-sim)")
            ::kill(std::stol(pid), SIGKILL);
    }
}

// A peer on a pseudo-terminal that answers as a scripted modem would.
class ScriptedPeer {
public:
    explicit ScriptedPeer(Peer kind) : m_kind(kind), m_thread([this] { serve(); }) {}
    ~ScriptedPeer() {
        m_stop = true;
        m_thread.join();
    }
    const std::string &path() const { return m_pty.slavePath(); }
    bool heardProbe() const { return m_heardProbe; }

private:
    void serve() {
        std::string heard;
        int okSent = 0;
        while (!m_stop) {
            heard += m_pty.receive(64, 20ms);
            for (std::size_t end; (end = heard.find('\r')) != std::string::npos; heard.erase(0, end + 1)) {
                const std::string line = heard.substr(heard.find_first_not_of("\n") == std::string::npos
                                                          ? 0
                                                          : heard.find_first_not_of("\n"),
                                                      end);
                if (line.rfind("AT", 0) != 0)
                    continue;
                m_heardProbe = true;
                const bool dial = line.rfind("ATDT", 0) == 0;
                if ((m_kind == Peer::ModemCheckSilent && okSent == 0) || (m_kind == Peer::NeverConnects && !dial)) {
                    m_pty.send("OK\r\n");
                    ++okSent;
                }
            }
        }
    }

    Peer m_kind;
    testsupport::PtyPair m_pty;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_heardProbe{false};
    std::thread m_thread;
};

class RetrieveFaults : public testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        m_environment = {{"TRELMLINK_INI", (m_ini.path() / "TRELMLNK.INI").string()}};
    }
    void TearDown() override {
        if (m_mounted)
            ::umount2(m_data.path().c_str(), MNT_DETACH);
    }

    std::vector<std::string> retrieveArgs(const std::string &device, const fs::path &dir) const {
        std::vector<std::string> args = {"retrieve", "--device", device, "--dir", dir.string()};
        args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
        return args;
    }

    testfiles::TempDir m_data{"faults-data"};
    testfiles::TempDir m_other{"faults-other"};
    testfiles::TempDir m_ini{"faults-ini"};
    std::vector<std::pair<std::string, std::string>> m_environment;
    bool m_mounted = false;
};

TEST_P(RetrieveFaults, EndsWithItsStatusAndReason) {
    const FaultCase &c = GetParam();
    const testdata::Bytes planted(1000, 0x5a);
    ProgramRun::Options options{m_environment, std::nullopt};
    switch (c.prep) {
    case Prep::None: break;
    case Prep::KeptImage: testdata::writeFile(m_data.path() / "temp0000.$$$", planted); break;
    case Prep::FullDisk:
        if (::mount("tmpfs", m_data.path().c_str(), "tmpfs", 0, kFullDiskMount) == 0)
            m_mounted = true;
        else
            options.fileSizeLimit = kFullDiskBytes;
        break;
    case Prep::ReadOnlyFolder:
        // A read-only mount: permissions alone do not stop the superuser.
        if (::mount("tmpfs", m_data.path().c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0)
            GTEST_SKIP() << "no read-only mount possible here";
        m_mounted = true;
        break;
    }
    std::optional<SimProcess> sim;
    std::optional<ScriptedPeer> scripted;
    std::string device = "/nonexistent/tty";
    if (c.peer == Peer::Sim) {
        sim.emplace(c.sim);
        device = sim->path();
    } else if (c.peer != Peer::None) {
        scripted.emplace(c.peer);
        device = scripted->path();
    }

    ProgramRun run(retrieveArgs(device, m_data.path()), options);
    std::optional<SimProcess> secondSim;
    std::optional<ProgramRun> second;
    if (c.peer == Peer::ProbeSilent) {
        // The probe sends "AT" every 10 ms for about 150 ms: cancel inside it.
        ASSERT_TRUE(testsupport::waitUntil([&] { return scripted->heardProbe(); }, 10s));
    } else if (*c.trigger != '\0') {
        ASSERT_TRUE(run.waitForLine(c.trigger, kRunLimit)) << run.err();
    }
    const auto acted = std::chrono::steady_clock::now();
    switch (c.act) {
    case Act::None: break;
    case Act::Interrupt: run.signal(SIGINT); break;
    case Act::Terminate: run.signal(SIGTERM); break;
    case Act::PullCable: killSimulatorChildren(); break;
    case Act::SecondOnTheSamePort: {
        // Refused by the port, which names the process holding it.
        ProgramRun blocked(retrieveArgs(device, m_other.path()), options);
        EXPECT_EQ(blocked.waitExit(5s), 3) << blocked.err();
        EXPECT_NE(blocked.err().find("trelmlink: " + device + ": held by process " + std::to_string(run.pid())),
                  std::string::npos)
            << blocked.err();
        run.signal(SIGINT);
        break;
    }
    case Act::SecondIntoSameFolder:
    case Act::SecondIntoOtherFolder: {
        secondSim.emplace(std::vector<std::string>{"sampler"});
        const fs::path dir = c.act == Act::SecondIntoSameFolder ? m_data.path() : m_other.path();
        second.emplace(retrieveArgs(secondSim->path(), dir), options);
        break;
    }
    }
    if (c.act == Act::SecondIntoSameFolder) {
        // Refused at once, before its port is opened, naming the first.
        EXPECT_EQ(second->waitExit(5s), 3) << second->err();
        EXPECT_NE(second->err().find(m_data.path().string() + ": another retrieval or convert is working in this "
                                                                "data folder (process " +
                                     std::to_string(run.pid()) + ")"),
                  std::string::npos)
            << second->err();
        EXPECT_EQ(secondSim->sent(), "");
    }
    const auto limit = c.act == Act::Interrupt || c.act == Act::Terminate ? kCancelLimit : kRunLimit;
    const std::optional<int> status = run.waitExit(limit);
    ASSERT_TRUE(status) << "still running " << std::chrono::duration_cast<std::chrono::milliseconds>(
                                                   std::chrono::steady_clock::now() - acted)
                                                   .count()
                        << " ms after the act\n"
                        << run.err();
    EXPECT_EQ(*status, c.status) << run.err();
    EXPECT_NE(run.err().find(c.reason), std::string::npos) << "no line with: " << c.reason << "\n" << run.err();
    EXPECT_NE(run.err().find("Summary: "), std::string::npos) << run.err();
    if (c.act == Act::SecondIntoOtherFolder) {
        EXPECT_EQ(second->waitExit(kRunLimit), 0) << second->err();
        EXPECT_EQ(folderDifferences(folderContent(m_other.path()), cleanIntake()), "");
    }

    FolderContent content = folderContent(m_data.path());
    switch (c.folder) {
    case Folder::Clean:
        EXPECT_EQ(folderDifferences(content, cleanIntake()), "");
        break;
    case Folder::CleanAndKept: {
        const auto kept = std::find_if(content.begin(), content.end(),
                                       [](const auto &file) { return file.first.rfind("kept-", 0) == 0; });
        ASSERT_NE(kept, content.end());
        EXPECT_EQ(kept->second, planted);
        EXPECT_NE(run.err().find(kept->first), std::string::npos) << run.err(); // the operator is told where
        content.erase(kept);
        EXPECT_EQ(folderDifferences(content, cleanIntake()), "");
        break;
    }
    case Folder::Partial: {
        ASSERT_EQ(content.size(), 1u) << content.begin()->first;
        const std::string &name = content.begin()->first;
        const std::string bytes = std::to_string(content.begin()->second.size());
        EXPECT_EQ(name.rfind("partial-" + bytes + "-bytes-", 0), 0u) << name;
        EXPECT_NE(run.err().find("The partial data (" + bytes + " bytes) is kept in " + (m_data.path() / name).string()),
                  std::string::npos)
            << run.err();
        break;
    }
    case Folder::Empty:
        EXPECT_TRUE(content.empty()) << content.begin()->first;
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RetrieveFaults,
    testing::Values(
        // The folder is locked from before the port is opened: the first
        // holds it from its first line on.
        FaultCase{.name = "SecondRetrievalIntoTheSameFolderIsRefused", .trigger = "Starting Download...",
                  .act = Act::SecondIntoSameFolder, .reason = "Transfer complete!"},
        FaultCase{.name = "TwoRetrievalsIntoTwoFoldersRunSideBySide", .trigger = "Starting Download...",
                  .act = Act::SecondIntoOtherFolder, .reason = "Transfer complete!"},
        FaultCase{.name = "KeptImageIsMovedAsideBeforeTheReceive", .prep = Prep::KeptImage,
                  .reason = "The data kept from an earlier retrieval was moved to ", .folder = Folder::CleanAndKept},
        FaultCase{.name = "CablePulledKeepsThePartialImage", .sim = {"sampler", "--baud", "9600"},
                  .trigger = "bytes received", .act = Act::PullCable, .status = 4,
                  .reason = "trelmlink: no answer from the other side after 10 retries", .folder = Folder::Partial},
        // No retry mends a full data folder: a set-up problem.
        FaultCase{.name = "FullDiskNamesTheFile", .prep = Prep::FullDisk, .status = 3,
                  .reason = "temp0000.$$$: disk full, or the file cannot be created or written",
                  .folder = Folder::Partial},
        FaultCase{.name = "ReadOnlyFolderIsToldBeforeTheSamplerIsWoken", .prep = Prep::ReadOnlyFolder, .status = 3,
                  .reason = ": the data folder cannot be written: Read-only file system", .folder = Folder::Empty},
        FaultCase{.name = "PortHeldByAnotherRetrievalNamesTheProcess", .sim = {"sampler", "--baud", "9600"},
                  .trigger = "bytes received", .act = Act::SecondOnTheSamePort, .status = 4,
                  .reason = "trelmlink: the user cancelled the transfer", .folder = Folder::Partial},
        FaultCase{.name = "MissingDevice", .peer = Peer::None, .status = 3,
                  .reason = "trelmlink: /nonexistent/tty: no such device", .folder = Folder::Empty},
        FaultCase{.name = "CtrlCInTheProbe", .peer = Peer::ProbeSilent, .act = Act::Interrupt, .status = 4,
                  .reason = "interrupted", .folder = Folder::Empty},
        FaultCase{.name = "CtrlCInTheModemCheck", .peer = Peer::ModemCheckSilent, .options = {"--phone", "5551234"},
                  .trigger = "Connecting to Modem...", .act = Act::Interrupt, .status = 4, .reason = "interrupted",
                  .folder = Folder::Empty},
        FaultCase{.name = "CtrlCWhileDialling", .peer = Peer::NeverConnects, .options = {"--phone", "5551234"},
                  .trigger = "Dialing 5551234", .act = Act::Interrupt, .status = 4, .reason = "interrupted",
                  .folder = Folder::Empty},
        // At 9600 baud a tenth of the image takes 12 s: a line comes at least every 10 s.
        FaultCase{.name = "SlowTransferIsToldEveryTenSeconds", .sim = {"sampler", "--baud", "9600"},
                  .trigger = "still waiting for the rest of the data (", .act = Act::Interrupt, .status = 4,
                  .reason = "trelmlink: the user cancelled the transfer", .folder = Folder::Partial},
        FaultCase{.name = "SigtermWhileDialling", .peer = Peer::NeverConnects, .options = {"--phone", "5551234"},
                  .trigger = "Dialing 5551234", .act = Act::Terminate, .status = 4, .reason = "interrupted",
                  .folder = Folder::Empty},
        FaultCase{.name = "CtrlCInTheWakeUp", .sim = {"silent"}, .trigger = "Waking DataLogger...",
                  .act = Act::Interrupt, .status = 4, .reason = "interrupted", .folder = Folder::Empty},
        FaultCase{.name = "CtrlCInTheTransferSendsTheCancel", .sim = {"sampler", "--baud", "9600"},
                  .trigger = "bytes received", .act = Act::Interrupt, .status = 4,
                  .reason = "trelmlink: the user cancelled the transfer", .folder = Folder::Partial},
        FaultCase{.name = "CtrlCInTheIntakeLetsItFinish", .trigger = "Retrieving data...", .act = Act::Interrupt,
                  .reason = "Transfer complete!"}),
    testsupport::CaseName());

} // namespace
