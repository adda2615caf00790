#include "zmodem_peer.h"

namespace zmodemtest {

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

Outcome peerSends(PeerLink &link, const std::vector<std::string> &names, const std::vector<std::string> &options) {
    std::vector<std::string> argv{"sz", "-q"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), names.begin(), names.end());
    ScopedWorkingDir workDir(link.ourDir().path());
    PeerProcess &peer = link.startPeer(argv);
    Outcome outcome;
    outcome.result = freceive(link.handle(), KORLINK_PROTO_ZMODEM, 4096, StatusRecorder::callback, 0);
    outcome.lastError = COMMErrnoGet(link.handle());
    outcome.peerStatus = peer.wait(peerLimit);
    outcome.peerLog = peer.log();
    return outcome;
}

Outcome weSend(PeerLink &link, const std::vector<std::string> &names, const std::vector<std::string> &options) {
    std::vector<std::string> argv{"rz", "-q"};
    argv.insert(argv.end(), options.begin(), options.end());
    ScopedWorkingDir workDir(link.ourDir().path());
    for (const std::string &name : names) fqueue(5, name.c_str());
    PeerProcess &peer = link.startPeer(argv);
    Outcome outcome;
    outcome.result = fsend(link.handle(), 5, KORLINK_PROTO_ZMODEM, 4096, StatusRecorder::callback, 0);
    outcome.lastError = COMMErrnoGet(link.handle());
    outcome.peerStatus = peer.wait(peerLimit);
    outcome.peerLog = peer.log();
    return outcome;
}

}  // namespace zmodemtest
