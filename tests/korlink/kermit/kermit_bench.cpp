// Kermit throughput against G-Kermit over a socat null-modem cable: a 1 MB
// binary file sent and received by the library, and the same file from one
// G-Kermit to another on the same kind of cable. Both G-Kermits are held to
// 94-character packets without streaming, the packets the library uses.
// The three runs alternate over two rounds and the faster of each counts,
// so a burst of load on a shared machine does not decide the ratio.
#include "null_modem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

using namespace kermittest;
using namespace xfertest;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t fileSize = 1 << 20;

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void require(bool ok, const std::string &what) {
    if (!ok) throw std::runtime_error(what);
}

double librarySends(const std::vector<uint8_t> &data) {
    KermitLink link;
    writeFile(link.ourDir() / "bench.bin", data);
    ScopedWorkingDir workDir(link.ourDir().path());
    require(fqueue(9, "bench.bin") == 0, "fqueue");
    PeerProcess &peer = link.startPeer(gkermitReceive(), true);
    auto start = Clock::now();
    int16_t result = fsend(link.handle(), 9, 104, 4096, nullptr, 0);
    double elapsed = seconds(start);
    require(result == 0 && peer.wait(peerLimit) == 0, "send to gkermit failed: " + peer.log());
    require(readFile(link.peerDir() / "bench.bin") == data, "gkermit received other bytes");
    return elapsed;
}

double libraryReceives(const std::vector<uint8_t> &data) {
    KermitLink link;
    writeFile(link.peerDir() / "bench.bin", data);
    ScopedWorkingDir workDir(link.ourDir().path());
    PeerProcess &peer = link.startPeer(gkermitSend({"bench.bin"}), true);
    auto start = Clock::now();
    int16_t result = freceive(link.handle(), 104, 4096, nullptr, 0);
    double elapsed = seconds(start);
    require(result == 0 && peer.wait(peerLimit) == 0, "receive from gkermit failed: " + peer.log());
    require(readFile(link.ourDir() / "bench.bin") == data, "received other bytes");
    return elapsed;
}

double gkermitToGkermit(const std::vector<uint8_t> &data) {
    NullModemCable cable(cableCom);
    TempDir senderDir;
    TempDir receiverDir;
    writeFile(senderDir / "bench.bin", data);
    PeerProcess receiver(gkermitReceive(), cable.peerEnd(), receiverDir.path().string());
    auto start = Clock::now();
    PeerProcess sender(gkermitSend({"bench.bin"}), cable.ourEnd(), senderDir.path().string());
    require(sender.wait(peerLimit) == 0, "gkermit sender failed: " + sender.log());
    double elapsed = seconds(start);
    require(receiver.wait(peerLimit) == 0, "gkermit receiver failed: " + receiver.log());
    require(readFile(receiverDir / "bench.bin") == data, "gkermit to gkermit: other bytes");
    return elapsed;
}

}  // namespace

int main() {
    try {
        std::vector<uint8_t> data = patternBytes(fileSize, 77);
        double baseline = 1e9, send = 1e9, receive = 1e9;
        for (int round = 0; round < 2; ++round) {
            baseline = std::min(baseline, gkermitToGkermit(data));
            send = std::min(send, librarySends(data));
            receive = std::min(receive, libraryReceives(data));
        }
        std::printf("kermit 1 MB over a socat null-modem cable, 94-character packets\n");
        std::printf("  gkermit -> gkermit  %7.2f s\n", baseline);
        std::printf("  library -> gkermit  %7.2f s  ratio %.2f (below 1: faster)\n", send, send / baseline);
        std::printf("  gkermit -> library  %7.2f s  ratio %.2f (below 1: faster)\n", receive, receive / baseline);
        return 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kermit bench: %s\n", error.what());
        return 1;
    }
}
