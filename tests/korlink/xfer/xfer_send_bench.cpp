// Benchmark (label bench): sending 1 MB to lrzsz's receivers (rx for 105,
// 106 and 107, rb for 108) with the library (korlink-xfer, a program of its
// own as lrzsz's are), against lrzsz's own senders (sx, sx -k, sb -k) to the
// same receivers over the same relayed ptys; once on the machine as it is and
// once beside CPU hogs started here. Arguments,
// when given, pick the protocols to measure (korlink_xfer_send_bench 106 108);
// `--rounds N` sends each N times and compares the medians, since a single
// pair of sends can differ by a few per cent on an idle machine.
#include "cpu_hogs.h"
#include "peer_link.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool arrived(const Case &c, const std::vector<uint8_t> &data, const TempDir &dir) {
    std::vector<uint8_t> got = readFile(dir / (c.paddingBlock ? "out.bin" : "source.bin"));
    return c.paddingBlock ? equalUpToPadding(data, got, c.paddingBlock) : got == data;
}

size_t countOf(const std::string &text, const std::string &line) {
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
    return count;
}

// The sender on the slave of `senderLine`, the receiver on the slave of its
// own pair, a relay between the masters: the same for both senders. `ours`
// runs korlink-xfer, else lrzsz's sender.
Run sendOnce(const Case &c, const std::vector<uint8_t> &data, bool ours) {
    testsupport::PtyPair senderLine, receiverLine;
    TempDir senderDir, receiverDir;
    writeFile(senderDir / "source.bin", data);
    Clock::time_point start = Clock::now();
    PeerProcess receiver(c.receiver, receiverLine.slavePath(), receiverDir.path().string(), true);
    Run run;
    LineRelay relay({senderLine.master(), senderLine.master()}, {receiver.outputPipe(), receiverLine.master()});
    std::vector<std::string> argv = c.sender;
    argv.push_back("source.bin");
    std::string device = senderLine.slavePath();
    if (ours)
        argv = {"/bin/sh", "-c", "KORLINK_COM8=" + device + " exec " + XFER_TOOL + " send --port 8 --protocol " +
                                     std::to_string(c.protocol) + " source.bin > out.txt"};
    PeerProcess sender(argv, ours ? "/dev/null" : device, senderDir.path().string());
    int status = receiver.wait(peerLimit);
    int senderStatus = sender.wait(30s);
    run.seconds = since(start);
    run.ok = status == 0 && senderStatus == 0 && arrived(c, data, receiverDir);
    if (ours) {
        std::string output = readText(senderDir / "out.txt");
        run.naks = static_cast<int>(countOf(output, "NAK received"));
        run.repeats = static_cast<int>(countOf(output, "No answer, attempt"));
    }
    if (!run.ok) std::printf("    %s failed: receiver %d, sender %d\n", ours ? "ours" : "lrzsz", status, senderStatus);
    return run;
}

// The run of median time among `runs` (sorted in place); a failed run
// counts as the slowest.
Run median(std::vector<Run> &runs) {
    std::sort(runs.begin(), runs.end(), [](const Run &a, const Run &b) {
        return std::make_pair(!a.ok, a.seconds) < std::make_pair(!b.ok, b.seconds);
    });
    return runs[runs.size() / 2];
}

void measure(const std::vector<Case> &cases, const std::vector<uint8_t> &data, const char *load, int rounds,
             bool &allOk) {
    for (const Case &c : cases) {
        std::vector<Run> oursRuns, theirRuns;
        for (int round = 0; round < rounds; ++round) {
            oursRuns.push_back(sendOnce(c, data, true));
            theirRuns.push_back(sendOnce(c, data, false));
        }
        // Only the library's sends decide the exit status: lrzsz's own
        // failures (beside CPU hogs its senders can give up) are printed.
        for (const Run &run : oursRuns) allOk = allOk && run.ok;
        Run ours = median(oursRuns);
        Run theirs = median(theirRuns);
        std::printf("  %-8s %-6s ours %7.2f s (%d NAKs, %d time-outs)%s, lrzsz %7.2f s%s, ratio ours/lrzsz %.2f\n",
                    load, c.label, ours.seconds, ours.naks, ours.repeats, ours.ok ? "" : " FAILED", theirs.seconds,
                    theirs.ok ? "" : " FAILED", ours.seconds / theirs.seconds);
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<Case> cases = {
        {"105", KORLINK_PROTO_XMODEM, {"rx", "-q", "out.bin"}, {"sx", "-q"}, 128},
        {"106", KORLINK_PROTO_XMODEM_CRC, {"rx", "-q", "-c", "out.bin"}, {"sx", "-q"}, 128},
        {"107", KORLINK_PROTO_XMODEM_1K, {"rx", "-q", "-c", "out.bin"}, {"sx", "-q", "-k"}, 1024},
        {"108", KORLINK_PROTO_YMODEM, {"rb", "-q"}, {"sb", "-q", "-k"}, 0},
    };
    int rounds = 1;
    std::vector<std::string> picked;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else picked.emplace_back(argv[i]);
    }
    if (!picked.empty())
        std::erase_if(cases, [&](const Case &c) { return std::find(picked.begin(), picked.end(), c.label) == picked.end(); });
    std::vector<uint8_t> data = patternBytes(fileSize, 71);
    std::printf("1 MB to lrzsz receivers over relayed ptys: the library's fsend against lrzsz's sender"
                " (median of %d)\n", rounds);
    bool allOk = true;
    measure(cases, data, "as is", rounds, allOk);
    {
        CpuHogs hogs(4, std::chrono::seconds(600 * rounds));
        measure(cases, data, "loaded", rounds, allOk);
    }
    std::printf("goal: every ratio <= 1.00\n");
    return allOk ? 0 : 1;
}
