// What the ZMODEM tests share: test files, and one transfer with lrzsz's sz
// or rz on the far side of a line: a relayed pty pair (PeerLink: the relay
// counts the bytes, paces, injects faults) or a socat null-modem cable
// (kermittest::KermitLink: little buffering, so a killed peer's data stops).
#pragma once

#include "null_modem.h"
#include "peer_link.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zmodemtest {

using namespace xfertest;

struct TestFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

inline constexpr auto peerLimit = std::chrono::seconds(90);

std::vector<TestFile> allValues();
std::vector<TestFile> emptyFile();
std::vector<TestFile> oneMegabyte();
std::vector<TestFile> severalWithSpaces();

// Writes `files` into `dir`; their names.
std::vector<std::string> writeFiles(const TempDir &dir, const std::vector<TestFile> &files);

struct Outcome {
    int16_t result = 0;
    int16_t lastError = 0;
    int peerStatus = 0;
    std::string peerLog;
};

// Cuts the next transfer once its byte count reaches `atByte`: the library
// cancels (COMMXferCancel from the status callback), the peer cancels (told
// to stop by SIGTERM, it puts its cancel sequence on the line) or the peer
// vanishes (killed). With `watched` set, the peer is cut only once that file
// holds a quarter of `atByte`, so a receiving peer has written part of it.
// Disarmed when the transfer ends.
enum class Cut { None, WeCancel, PeerCancels, PeerVanishes };
void cutAt(Cut how, int64_t atByte, const std::filesystem::path &watched = {});

// One transfer: sz with `options` sends `names` from the peer's folder into
// freceive(110) in ours, or fsend(110) sends them from ours into rz.
Outcome runPeerSends(PortHandle port, const std::filesystem::path &ourDir,
                     const std::function<PeerProcess &(const std::vector<std::string> &)> &start,
                     const std::vector<std::string> &names, const std::vector<std::string> &options);
Outcome runWeSend(PortHandle port, const std::filesystem::path &ourDir,
                  const std::function<PeerProcess &(const std::vector<std::string> &)> &start,
                  const std::vector<std::string> &names, const std::vector<std::string> &options);

inline Outcome peerSends(PeerLink &link, const std::vector<std::string> &names,
                         const std::vector<std::string> &options = {}) {
    return runPeerSends(link.handle(), link.ourDir().path(), [&](const auto &argv) -> PeerProcess & {
        return link.startPeer(argv);
    }, names, options);
}
inline Outcome weSend(PeerLink &link, const std::vector<std::string> &names,
                      const std::vector<std::string> &options = {}) {
    return runWeSend(link.handle(), link.ourDir().path(), [&](const auto &argv) -> PeerProcess & {
        return link.startPeer(argv);
    }, names, options);
}
inline Outcome peerSends(kermittest::KermitLink &link, const std::vector<std::string> &names,
                         const std::vector<std::string> &options = {}) {
    return runPeerSends(link.handle(), link.ourDir().path(), [&](const auto &argv) -> PeerProcess & {
        return link.startPeer(argv, true);
    }, names, options);
}
inline Outcome weSend(kermittest::KermitLink &link, const std::vector<std::string> &names,
                      const std::vector<std::string> &options = {}) {
    return runWeSend(link.handle(), link.ourDir().path(), [&](const auto &argv) -> PeerProcess & {
        return link.startPeer(argv, true);
    }, names, options);
}

// The last reports of the transfer as "status:param" text, for failure messages.
std::string reportTrail(size_t last = 40);

}  // namespace zmodemtest
