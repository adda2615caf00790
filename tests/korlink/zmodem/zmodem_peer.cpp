#include "zmodem_peer.h"

namespace zmodemtest {

namespace {

struct CutPlan {
    Cut how = Cut::None;
    int64_t atByte = 0;
    PortHandle port = nullptr;
    const PeerProcess *peer = nullptr;
    std::filesystem::path watched;
} g_cut;

bool watchedFileHasGrown() {
    if (g_cut.watched.empty()) return true;
    std::error_code error;
    auto size = std::filesystem::file_size(g_cut.watched, error);
    return !error && static_cast<int64_t>(size) >= g_cut.atByte / 4;
}

// Records every report and cuts the transfer where the plan says.
int cuttingCallback(PortHandle port, int32_t status, intptr_t param) {
    StatusRecorder::callback(port, status, param);
    if (status == KORLINK_STATUS_BYTE_COUNT && g_cut.how != Cut::None && param >= g_cut.atByte) {
        if (g_cut.how == Cut::WeCancel) {
            COMMXferCancel(g_cut.port);
            g_cut.how = Cut::None;
        } else if (g_cut.peer && watchedFileHasGrown()) {
            if (g_cut.how == Cut::PeerCancels) g_cut.peer->stop();
            else g_cut.peer->vanish();
            g_cut.how = Cut::None;
        }
    }
    return 0;
}

struct PlanScope {
    PlanScope(PortHandle port, const PeerProcess &peer) {
        g_cut.port = port;
        g_cut.peer = &peer;
    }
    ~PlanScope() { g_cut = {}; }
};

}  // namespace

void cutAt(Cut how, int64_t atByte, const std::filesystem::path &watched) {
    g_cut.how = how;
    g_cut.atByte = atByte;
    g_cut.watched = watched;
}

std::string reportTrail(size_t last) {
    std::vector<Report> reports = StatusRecorder::instance().reports();
    std::string text = "reports:";
    for (size_t i = reports.size() > last ? reports.size() - last : 0; i < reports.size(); ++i)
    {
        text += ' ';
        text += std::to_string(reports[i].status);
        text += ':';
        text += std::to_string(reports[i].param);
    }
    return text;
}

std::vector<TestFile> allValues() { return {{"values.bin", allByteValues(64)}}; }
std::vector<TestFile> emptyFile() { return {{"empty.bin", {}}}; }
std::vector<TestFile> oneMegabyte() { return {{"random.bin", patternBytes(1 << 20, 25)}}; }
std::vector<TestFile> severalWithSpaces() {
    return {{"first file.bin", patternBytes(70000, 3)}, {"values.bin", allByteValues(4)},
            {"empty one.txt", {}}, {"last  two spaces.dat", patternBytes(4097, 9)}};
}

std::vector<std::string> writeFiles(const TempDir &dir, const std::vector<TestFile> &files) {
    std::vector<std::string> names;
    for (const TestFile &file : files) {
        writeFile(dir / file.name, file.bytes);
        names.push_back(file.name);
    }
    return names;
}

Outcome runPeerSends(PortHandle port, const std::filesystem::path &ourDir,
                     const std::function<PeerProcess &(const std::vector<std::string> &)> &start,
                     const std::vector<std::string> &names, const std::vector<std::string> &options) {
    std::vector<std::string> argv{"sz", "-q"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), names.begin(), names.end());
    ScopedWorkingDir workDir(ourDir);
    PeerProcess &peer = start(argv);
    PlanScope plan(port, peer);
    Outcome outcome;
    outcome.result = freceive(port, KORLINK_PROTO_ZMODEM, 4096, cuttingCallback, 0);
    outcome.lastError = COMMErrnoGet(port);
    outcome.peerStatus = peer.wait(peerLimit);
    outcome.peerLog = peer.log();
    return outcome;
}

Outcome runWeSend(PortHandle port, const std::filesystem::path &ourDir,
                  const std::function<PeerProcess &(const std::vector<std::string> &)> &start,
                  const std::vector<std::string> &names, const std::vector<std::string> &options) {
    std::vector<std::string> argv{"rz", "-q"};
    argv.insert(argv.end(), options.begin(), options.end());
    ScopedWorkingDir workDir(ourDir);
    for (const std::string &name : names) fqueue(5, name.c_str());
    PeerProcess &peer = start(argv);
    PlanScope plan(port, peer);
    Outcome outcome;
    outcome.result = fsend(port, 5, KORLINK_PROTO_ZMODEM, 4096, cuttingCallback, 0);
    outcome.lastError = COMMErrnoGet(port);
    outcome.peerStatus = peer.wait(peerLimit);
    outcome.peerLog = peer.log();
    return outcome;
}

}  // namespace zmodemtest
