// Benchmark (label bench): a 256 KB send to lrzsz's rx, once on the machine
// as it is and once beside CPU hogs (as a build in another terminal loads
// the machine). Each file must arrive intact; the loaded send should take
// at most twice the idle time, no block waiting out the receiver's time-out
// or its own. The idle time counts as at least 5 s, so that the machine's
// own noise does not decide. It runs as a benchmark because the hogs load
// the whole machine and would slow every test running beside it.
#include "cpu_hogs.h"
#include "peer_link.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

constexpr size_t fileSize = 256 * 1024;
constexpr int hogCount = 4;
constexpr double idleFloorSeconds = 5.0;
constexpr double goalRatio = 2.0;

struct Send {
    double seconds = 0;
    bool ok = false;
};

Send sendToRx(const std::vector<uint8_t> &data, std::chrono::seconds limit) {
    PeerLink link;
    std::string source = link.ourDir() / "source.bin";
    writeFile(source, data);
    auto start = std::chrono::steady_clock::now();
    PeerProcess &peer = link.startPeer({"rx", "-q", "-c", "out.bin"});
    Send send;
    bool sent = fqueue(12, source.c_str()) == 0 &&
                fsend(link.handle(), 12, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 0) == 0;
    int status = peer.wait(limit);
    send.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    send.ok = sent && status == 0 && equalUpToPadding(data, readFile(link.peerDir() / "out.bin"), 128);
    if (!send.ok) std::printf("  send failed: fsend %s, rx %d\n%s", sent ? "ok" : "failed", status, peer.log().c_str());
    return send;
}

}  // namespace

int main() {
    std::vector<uint8_t> data = patternBytes(fileSize, 16);
    Send idle = sendToRx(data, 60s);
    Send loaded;
    {
        CpuHogs hogs(hogCount, 120s);
        loaded = sendToRx(data, 90s);   // the hogs may slow rx a lot
    }
    double ratio = loaded.seconds / std::max(idle.seconds, idleFloorSeconds);
    std::printf("256 KB to rx: idle %.2f s%s, beside %d CPU hogs %.2f s%s\n", idle.seconds, idle.ok ? "" : " FAILED",
                hogCount, loaded.seconds, loaded.ok ? "" : " FAILED");
    std::printf("ratio loaded/max(idle, %.0f s) %.2f, goal <= %.2f%s\n", idleFloorSeconds, ratio, goalRatio,
                ratio <= goalRatio ? "" : " MISSED");
    // Only a file that did not arrive intact decides the exit status.
    return idle.ok && loaded.ok ? 0 : 1;
}
