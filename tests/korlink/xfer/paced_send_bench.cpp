// Benchmark (label bench): the 114688-byte image sent with XMODEM-CRC on a
// line paced to 9600 baud into an independent receiver (the Python XMODEM
// module, which loses nothing, and lrzsz's rx): bytes per second of the data
// phase against the line's limit, and the blocks sent again. Goal: at least
// 98% of the limit and no repeat. `--rounds N` sends N times to each and
// prints the medians.
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

constexpr size_t kImageSize = 114688;
constexpr int kBytesPerSecond = 960;    // 9600 baud, 10 bits a byte
// Each 128-byte block costs 133 bytes on the line and its ACK one more.
constexpr double kLimit = 128.0 / 134.0 * kBytesPerSecond;

// The data phase: from the file's opening to the last block's
// acknowledgement; the repeats are the time-outs reported meanwhile.
struct Timeline {
    Clock::time_point opened{};
    Clock::time_point lastBlock{};
    int repeats = 0;
    bool done = false;
} g_timeline;

int timingCallback(PortHandle, int32_t status, intptr_t param) {
    if (status == KORLINK_STATUS_BYTE_COUNT && param == 0) g_timeline.opened = Clock::now();
    if (status == KORLINK_STATUS_TIMEOUT && !g_timeline.done) ++g_timeline.repeats;
    if (status == KORLINK_STATUS_BYTE_COUNT && static_cast<size_t>(param) >= kImageSize) {
        g_timeline.lastBlock = Clock::now();
        g_timeline.done = true;
    }
    return 0;
}

struct Run {
    double rate = 0;
    int repeats = 0;
    bool ok = false;
};

Run sendOnce(const std::vector<std::string> &receiver, bool outputToPipe) {
    PeerLink link({}, kBytesPerSecond, outputToPipe);
    std::vector<uint8_t> data = patternBytes(kImageSize, 41);
    std::string source = link.ourDir() / "image.bin";
    writeFile(source, data);
    g_timeline = {};
    PeerProcess &peer = link.startPeer(receiver);
    Run run;
    if (fqueue(2, source.c_str()) != 0) return run;
    int16_t result = fsend(link.handle(), 2, KORLINK_PROTO_XMODEM_CRC, 4096, timingCallback, 0);
    double seconds = std::chrono::duration<double>(g_timeline.lastBlock - g_timeline.opened).count();
    run.rate = g_timeline.done && seconds > 0 ? static_cast<double>(kImageSize) / seconds : 0;
    run.repeats = g_timeline.repeats;
    run.ok = result == 0 && peer.wait(30s) == 0 &&
             equalUpToPadding(data, readFile(link.peerDir() / "out.bin"), 128);
    return run;
}

template <typename T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
    int rounds = 1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    struct Receiver {
        const char *name;
        std::vector<std::string> argv;
        bool outputToPipe;
    };
    const Receiver receivers[] = {
        {"python3-xmodem", {"/usr/bin/python3", XFER_PEER_SCRIPT, "recv", "out.bin"}, true},
        {"lrzsz rx", {"rx", "-q", "-c", "out.bin"}, false},
    };
    bool allOk = true;
    std::printf("114688-byte image, XMODEM-CRC send at 9600 baud (limit %.1f bytes/s), %d round(s)\n", kLimit,
                rounds);
    for (const Receiver &receiver : receivers) {
        std::vector<double> rates;
        std::vector<int> repeats;
        bool ok = true;
        for (int round = 0; round < rounds; ++round) {
            Run run = sendOnce(receiver.argv, receiver.outputToPipe);
            rates.push_back(run.rate);
            repeats.push_back(run.repeats);
            ok = ok && run.ok;
        }
        double rate = median(rates);
        std::printf("  into %-15s median %.1f bytes/s, %.1f%% of the limit (goal >= 98%%), median repeats %d "
                    "(goal 0)%s\n",
                    receiver.name, rate, 100.0 * rate / kLimit, median(repeats), ok ? "" : "  FAILED");
        allOk = allOk && ok;
    }
    return allOk ? 0 : 1;
}
