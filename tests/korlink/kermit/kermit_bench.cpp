// Kermit throughput against G-Kermit over a socat null-modem cable: a 1 MB
// binary file sent and received by the library, and the same file from one
// G-Kermit to another on the same kind of cable. Both G-Kermits are held to
// 94-character packets without streaming, the packets the library uses.
// The three runs alternate over two rounds and the faster of each counts,
// so a burst of load on a shared machine does not decide the ratio. CPU
// time (user + system) is printed too: on a loaded machine it says more
// about the work each side does than the wall clock.
// A second table puts a cable that flips one byte in 2000 between the
// library and C-Kermit (block check 3) and measures the time to a
// byte-identical file, against one C-Kermit sending to another on the same
// cable. Two C-Kermits left at 94-character packets never finish over ptys:
// with block check 3 their data packets carry DEL (127) as the length field,
// which the receiving C-Kermit drops, so every data packet is lost and both
// wait until they give up. At 90-character packets both ways they finish;
// the baseline runs so.
#include "noisy_cable.h"
#include "null_modem.h"

#include <algorithm>
#include <cstdlib>
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

// --- the noisy cable ---

constexpr int noisyOneIn = 2000;
constexpr size_t noisyFileSize = 256 * 1024;
const std::string blockCheck3 = "set block-check 3, ";
// Below the 94 at which two C-Kermits lose every data packet (see above).
const std::string ckermitPairSettings =
    "set block-check 3, set receive packet-length 90, set send packet-length 90, ";

// The library's end of a noisy cable (its COM port's device).
std::string ourEndOf(int com) {
    const char *path = std::getenv(("KORLINK_COM" + std::to_string(com)).c_str());
    return path != nullptr ? path : "";
}

struct NoisyRun {
    double seconds = 0;
    int64_t flips = 0;
    bool identical = false;
};

// The library and C-Kermit on a noisy cable; `weSend` picks the direction.
NoisyRun libraryWithCkermit(const std::vector<uint8_t> &data, bool weSend, uint32_t seed) {
    NoisyCable cable(cableCom, noisyOneIn, seed);
    PortHandle port = COMMWinInit(cableCom, 9600, 8, 0, 1, 32000, 512);
    require(port != nullptr, "COMMWinInit on the noisy cable");
    COMMKermitSet(port, KORLINK_KERMIT_RETRY_LIMIT, 20);
    COMMKermitSet(port, KORLINK_KERMIT_ASK_TIME, 2);
    TempDir ourDir, peerDir;
    writeFile((weSend ? ourDir : peerDir) / "noisy.bin", data);
    ScopedWorkingDir workDir(ourDir.path());
    NoisyRun run;
    auto start = Clock::now();
    int16_t result;
    {
        PeerProcess peer(weSend ? ckermitReceive(cable.peerEnd(), blockCheck3)
                                : ckermitSend(cable.peerEnd(), {"noisy.bin"}, blockCheck3),
                         "/dev/null", peerDir.path().string());
        if (weSend) {
            require(fqueue(9, "noisy.bin") == 0, "fqueue");
            result = fsend(port, 9, KORLINK_PROTO_KERMIT, 4096, nullptr, 0);
        } else {
            result = freceive(port, KORLINK_PROTO_KERMIT, 4096, nullptr, 0);
        }
        int peerExit = peer.wait(peerLimit);
        run.seconds = seconds(start);
        run.identical = result == 0 && peerExit == 0 &&
                        readFile((weSend ? peerDir : ourDir) / "noisy.bin") == data;
    }
    run.flips = cable.flips();
    COMMPortDeinit(port, 0);
    return run;
}

// One C-Kermit sending to another on a noisy cable.
NoisyRun ckermitToCkermit(const std::vector<uint8_t> &data, uint32_t seed) {
    NoisyCable cable(cableCom, noisyOneIn, seed);
    TempDir senderDir, receiverDir;
    writeFile(senderDir / "noisy.bin", data);
    NoisyRun run;
    PeerProcess receiver(ckermitReceive(cable.peerEnd(), ckermitPairSettings), "/dev/null",
                         receiverDir.path().string());
    auto start = Clock::now();
    PeerProcess sender(ckermitSend(ourEndOf(cableCom), {"noisy.bin"}, ckermitPairSettings), "/dev/null",
                       senderDir.path().string());
    int senderExit = sender.wait(peerLimit);
    int receiverExit = receiver.wait(peerLimit);
    run.seconds = seconds(start);
    run.flips = cable.flips();
    run.identical = senderExit == 0 && receiverExit == 0 && readFile(receiverDir / "noisy.bin") == data;
    return run;
}

void printNoisy(const char *name, const NoisyRun &run, double baseline) {
    std::printf("  %-22s %7.2f s   %lld bytes flipped   %s", name, run.seconds, static_cast<long long>(run.flips),
                run.identical ? "byte-identical" : "NOT IDENTICAL OR FAILED");
    if (baseline > 0) std::printf("   time ratio %.2f", run.seconds / baseline);
    std::printf("\n");
}

}  // namespace

int main(int argc, char **argv) {
    // --noisy: only the table on the noisy cable.
    bool noisyOnly = argc > 1 && std::string(argv[1]) == "--noisy";
    try {
        std::vector<uint8_t> data = patternBytes(noisyOnly ? 0 : fileSize, 77);
        Baseline baseline;
        Cost send, receive;
        for (int round = 0; round < (noisyOnly ? 0 : 2); ++round) {
            Baseline b = gkermitToGkermit(data);
            baseline.sender.keepBest(b.sender);
            baseline.receiver.keepBest(b.receiver);
            send.keepBest(librarySends(data));
            receive.keepBest(libraryReceives(data));
        }
        if (!noisyOnly) {
            std::printf("kermit 1 MB over a socat null-modem cable, 94-character packets, best of 2\n");
            std::printf("  gkermit -> gkermit  %7.2f s   CPU sender %.2f s, receiver %.2f s\n",
                        baseline.sender.wall, baseline.sender.cpu, baseline.receiver.cpu);
            std::printf("  library -> gkermit  %7.2f s   time ratio %.2f   CPU %.2f s, ratio to gkermit sending %.2f\n",
                        send.wall, send.wall / baseline.sender.wall, send.cpu, send.cpu / baseline.sender.cpu);
            std::printf("  gkermit -> library  %7.2f s   time ratio %.2f   CPU %.2f s, ratio to gkermit receiving %.2f\n",
                        receive.wall, receive.wall / baseline.receiver.wall, receive.cpu,
                        receive.cpu / baseline.receiver.cpu);
            std::printf("  (ratios below 1: the library is faster)\n");
        }

        std::vector<uint8_t> noisyData = patternBytes(noisyFileSize, 78);
        const uint32_t seed = 2000;
        NoisyRun pair = ckermitToCkermit(noisyData, seed);
        NoisyRun ours = libraryWithCkermit(noisyData, true, seed);
        NoisyRun theirs = libraryWithCkermit(noisyData, false, seed);
        std::printf("kermit 256 KB, 1 byte in %d flipped each way, block check 3, to a byte-identical file\n",
                    noisyOneIn);
        printNoisy("ckermit -> ckermit", pair, 0);
        printNoisy("library -> ckermit", ours, pair.identical ? pair.seconds : 0);
        printNoisy("ckermit -> library", theirs, pair.identical ? pair.seconds : 0);
        return pair.identical && ours.identical && theirs.identical ? 0 : 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kermit bench: %s\n", error.what());
        return 1;
    }
}
