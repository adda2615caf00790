// Benchmark (label bench): sending 1 MB to lrzsz's receivers (rx for 105,
// 106 and 107, rb for 108) with the library, against lrzsz's own senders
// (sx, sx -k, sb -k) to the same receivers over the same relayed ptys; once
// on the machine as it is and once beside CPU hogs started here. Arguments,
// when given, pick the protocols to measure (korlink_xfer_send_bench 106 108).
#include "cpu_hogs.h"
#include "peer_link.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>

using namespace xfertest;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr size_t fileSize = 1 << 20;
constexpr auto peerLimit = 300s;

struct Case {
    const char *label;
    int16_t protocol;
    std::vector<std::string> receiver;   // "out.bin" is where rx writes
    std::vector<std::string> sender;     // lrzsz's sender; the file name is appended
    size_t paddingBlock;                 // 0: the receiver keeps the exact length
};

struct Run {
    double seconds = 0;
    bool ok = false;
    int naks = 0;
    int repeats = 0;     // blocks sent again after a time-out, short or full
};

std::atomic<int> g_naks{0};
std::atomic<int> g_repeats{0};

int countingCallback(PortHandle, int32_t status, intptr_t) {
    if (status == 4020) ++g_naks;
    if (status == 4016) ++g_repeats;
    return 0;
}

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool arrived(const Case &c, const std::vector<uint8_t> &data, const TempDir &dir) {
    std::vector<uint8_t> got = readFile(dir / (c.paddingBlock ? "out.bin" : "source.bin"));
    return c.paddingBlock ? equalUpToPadding(data, got, c.paddingBlock) : got == data;
}

Run sendWithUs(const Case &c, const std::vector<uint8_t> &data) {
    PeerLink link;
    std::string source = link.ourDir() / "source.bin";
    writeFile(source, data);
    g_naks = 0;
    g_repeats = 0;
    Clock::time_point start = Clock::now();
    PeerProcess &peer = link.startPeer(c.receiver);
    fqueue(9, source.c_str());
    int16_t result = fsend(link.handle(), 9, c.protocol, 4096, countingCallback, 0);
    int status = peer.wait(peerLimit);
    Run run;
    run.seconds = since(start);
    run.naks = g_naks;
    run.repeats = g_repeats;
    run.ok = result == 0 && status == 0 && arrived(c, data, link.peerDir());
    if (!run.ok) std::printf("    ours failed: fsend %d, receiver %d: %s\n", result, status, peer.log().c_str());
    return run;
}

Run sendWithLrzsz(const Case &c, const std::vector<uint8_t> &data) {
    testsupport::PtyPair senderLine, receiverLine;
    TempDir senderDir, receiverDir;
    writeFile(senderDir / "source.bin", data);
    Clock::time_point start = Clock::now();
    PeerProcess receiver(c.receiver, receiverLine.slavePath(), receiverDir.path().string(), true);
    Run run;
    {
        LineRelay relay({senderLine.master(), senderLine.master()},
                        {receiver.outputPipe(), receiverLine.master()});
        std::vector<std::string> argv = c.sender;
        argv.push_back("source.bin");
        PeerProcess sender(argv, senderLine.slavePath(), senderDir.path().string());
        int status = receiver.wait(peerLimit);
        int senderStatus = sender.wait(10s);
        run.seconds = since(start);
        run.ok = status == 0 && senderStatus == 0 && arrived(c, data, receiverDir);
        if (!run.ok) std::printf("    lrzsz failed: receiver %d, sender %d\n", status, senderStatus);
    }
    return run;
}

void measure(const std::vector<Case> &cases, const std::vector<uint8_t> &data, const char *load,
             bool &allOk) {
    for (const Case &c : cases) {
        Run ours = sendWithUs(c, data);
        Run theirs = sendWithLrzsz(c, data);
        allOk = allOk && ours.ok && theirs.ok;
        std::printf("  %-8s %-6s ours %7.2f s (%d NAKs, %d time-outs)%s, lrzsz %7.2f s%s, ratio ours/lrzsz %.2f\n",
                    load, c.label, ours.seconds, ours.naks, ours.repeats, ours.ok ? "" : " FAILED", theirs.seconds,
                    theirs.ok ? "" : " FAILED", ours.seconds / theirs.seconds);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<Case> cases = {
        {"105", 105, {"rx", "-q", "out.bin"}, {"sx", "-q"}, 128},
        {"106", 106, {"rx", "-q", "-c", "out.bin"}, {"sx", "-q"}, 128},
        {"107", 107, {"rx", "-q", "-c", "out.bin"}, {"sx", "-q", "-k"}, 1024},
        {"108", 108, {"rb", "-q"}, {"sb", "-q", "-k"}, 0},
    };
    if (argc > 1)
        std::erase_if(cases, [&](const Case &c) {
            for (int i = 1; i < argc; ++i)
                if (std::strcmp(argv[i], c.label) == 0) return false;
            return true;
        });
    std::vector<uint8_t> data = patternBytes(fileSize, 71);
    std::printf("1 MB to lrzsz receivers over relayed ptys: the library's fsend against lrzsz's sender\n");
    bool allOk = true;
    measure(cases, data, "as is", allOk);
    {
        CpuHogs hogs(4, 600s);
        measure(cases, data, "loaded", allOk);
    }
    std::printf("goal: every ratio <= 1.00\n");
    return allOk ? 0 : 1;
}
