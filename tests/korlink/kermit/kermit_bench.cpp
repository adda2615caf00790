// Kermit throughput against G-Kermit over a socat null-modem cable: a 1 MB
// binary file sent and received by the library, and the same file from one
// G-Kermit to another on the same kind of cable. Both G-Kermits are held to
// 94-character packets without streaming, the packets the library uses.
// The three runs alternate over two rounds and the faster of each counts,
// so a burst of load on a shared machine does not decide the ratio. CPU
// time (user + system) is printed too: on a loaded machine it says more
// about the work each side does than the wall clock.
#include "null_modem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <sys/resource.h>

using namespace kermittest;
using namespace xfertest;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t fileSize = 1 << 20;

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall-clock and CPU seconds of one side of a transfer.
struct Cost {
    double wall = 1e9;
    double cpu = 1e9;
    void keepBest(Cost other) {
        wall = std::min(wall, other.wall);
        cpu = std::min(cpu, other.cpu);
    }
};

// The baseline: one G-Kermit sending, one receiving.
struct Baseline {
    Cost sender;
    Cost receiver;
};

void require(bool ok, const std::string &what) {
    if (!ok) throw std::runtime_error(what);
}

Cost librarySends(const std::vector<uint8_t> &data) {
    KermitLink link;
    writeFile(link.ourDir() / "bench.bin", data);
    ScopedWorkingDir workDir(link.ourDir().path());
    require(fqueue(9, "bench.bin") == 0, "fqueue");
    PeerProcess &peer = link.startPeer(gkermitReceive(), true);
    auto start = Clock::now();
    double cpuStart = ownCpuSeconds();
    int16_t result = fsend(link.handle(), 9, KORLINK_PROTO_KERMIT, 4096, nullptr, 0);
    Cost cost{seconds(start), ownCpuSeconds() - cpuStart};
    require(result == 0 && peer.wait(peerLimit) == 0, "send to gkermit failed: " + peer.log());
    require(readFile(link.peerDir() / "bench.bin") == data, "gkermit received other bytes");
    return cost;
}

Cost libraryReceives(const std::vector<uint8_t> &data) {
    KermitLink link;
    writeFile(link.peerDir() / "bench.bin", data);
    ScopedWorkingDir workDir(link.ourDir().path());
    PeerProcess &peer = link.startPeer(gkermitSend({"bench.bin"}), true);
    auto start = Clock::now();
    double cpuStart = ownCpuSeconds();
    int16_t result = freceive(link.handle(), KORLINK_PROTO_KERMIT, 4096, nullptr, 0);
    Cost cost{seconds(start), ownCpuSeconds() - cpuStart};
    require(result == 0 && peer.wait(peerLimit) == 0, "receive from gkermit failed: " + peer.log());
    require(readFile(link.ourDir() / "bench.bin") == data, "received other bytes");
    return cost;
}

Baseline gkermitToGkermit(const std::vector<uint8_t> &data) {
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
    return {{elapsed, sender.cpuSeconds()}, {elapsed, receiver.cpuSeconds()}};
}

}  // namespace

int main() {
    try {
        std::vector<uint8_t> data = patternBytes(fileSize, 77);
        Baseline baseline;
        Cost send, receive;
        for (int round = 0; round < 2; ++round) {
            Baseline b = gkermitToGkermit(data);
            baseline.sender.keepBest(b.sender);
            baseline.receiver.keepBest(b.receiver);
            send.keepBest(librarySends(data));
            receive.keepBest(libraryReceives(data));
        }
        std::printf("kermit 1 MB over a socat null-modem cable, 94-character packets, best of 2\n");
        std::printf("  gkermit -> gkermit  %7.2f s   CPU sender %.2f s, receiver %.2f s\n",
                    baseline.sender.wall, baseline.sender.cpu, baseline.receiver.cpu);
        std::printf("  library -> gkermit  %7.2f s   time ratio %.2f   CPU %.2f s, ratio to gkermit sending %.2f\n",
                    send.wall, send.wall / baseline.sender.wall, send.cpu, send.cpu / baseline.sender.cpu);
        std::printf("  gkermit -> library  %7.2f s   time ratio %.2f   CPU %.2f s, ratio to gkermit receiving %.2f\n",
                    receive.wall, receive.wall / baseline.receiver.wall, receive.cpu,
                    receive.cpu / baseline.receiver.cpu);
        std::printf("  (ratios below 1: the library is faster)\n");
        return 0;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kermit bench: %s\n", error.what());
        return 1;
    }
}
