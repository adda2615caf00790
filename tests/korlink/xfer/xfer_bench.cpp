// Benchmark (label bench): receiving a 114688-byte image with protocol 106
// from lrzsz's sx, against lrzsz's own rx receiving it from sx the same way;
// then a line paced to 9600 baud, against the protocol's limit.
#include "peer_link.h"

#include <chrono>
#include <cstdio>
#include <ctime>

using namespace xfertest;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

// Times of the reports that bound the data phase of one receive.
struct Timeline {
    Clock::time_point firstBlock{};
    Clock::time_point fileClosed{};
    bool seenBlock = false;
} g_timeline;

int timingCallback(PortHandle, int32_t status, intptr_t param) {
    if (status == KORLINK_STATUS_RECOGNISED && param == 1 && !g_timeline.seenBlock) {
        g_timeline.firstBlock = Clock::now();
        g_timeline.seenBlock = true;
    }
    if (status == KORLINK_STATUS_FILE_CLOSED) g_timeline.fileClosed = Clock::now();
    return 0;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct OurRun {
    double toFileClosed = 0;   // start of freceive to the file closed at EOT
    double toReturn = 0;       // start of freceive to its return (end pause included)
    double dataPhase = 0;      // first block to the file closed
    double cpu = 0;
    bool ok = false;
};

OurRun receiveWithUs(size_t size, int bytesPerSecond) {
    PeerLink link({}, bytesPerSecond);
    std::vector<uint8_t> data = patternBytes(size, 61);
    writeFile(link.peerDir() / "image.bin", data);
    g_timeline = {};
    ScopedWorkingDir workDir(link.ourDir().path());
    Clock::time_point start = Clock::now();
    PeerProcess &peer = link.startPeer({"sx", "-q", "image.bin"});
    double cpuStart = threadCpuSeconds();
    int16_t result = freceive(link.handle(), KORLINK_PROTO_XMODEM_CRC, 4096, timingCallback, 0);
    OurRun run;
    run.cpu = threadCpuSeconds() - cpuStart;
    run.toReturn = seconds(Clock::now() - start);
    run.toFileClosed = seconds(g_timeline.fileClosed - start);
    run.dataPhase = seconds(g_timeline.fileClosed - g_timeline.firstBlock);
    run.ok = result == 0 && peer.wait(60s) == 0 &&
             equalUpToPadding(data, readFile(link.ourDir() / "temp0000.$$$"), 128);
    return run;
}

// lrzsz's rx receiving from sx over the same relayed ptys; seconds to rx's exit.
double receiveWithRx(size_t size, bool &ok) {
    testsupport::PtyPair rxLine, sxLine;
    TempDir rxDir, sxDir;
    std::vector<uint8_t> data = patternBytes(size, 61);
    writeFile(sxDir / "image.bin", data);
    // Both on their ptys as they would run on a line (a pipe for their output
    // changes how lrzsz writes and makes it slower).
    LineRelay relay({rxLine.master(), rxLine.master()}, {sxLine.master(), sxLine.master()});
    Clock::time_point start = Clock::now();
    PeerProcess rx({"rx", "-q", "-c", "image.bin"}, rxLine.slavePath(), rxDir.path().string());
    PeerProcess sx({"sx", "-q", "image.bin"}, sxLine.slavePath(), sxDir.path().string());
    int rxStatus = rx.wait(120s);
    double elapsed = seconds(Clock::now() - start);
    ok = rxStatus == 0 && sx.wait(10s) == 0 &&
         equalUpToPadding(data, readFile(rxDir / "image.bin"), 128);
    return elapsed;
}

}  // namespace

int main() {
    const size_t imageSize = 114688;
    OurRun ours = receiveWithUs(imageSize, 0);
    bool rxOk = false;
    double rxTime = receiveWithRx(imageSize, rxOk);
    std::printf("114688-byte image, protocol 106, sx over relayed ptys\n");
    std::printf("  ours: %.3f s to the file closed at EOT (%.3f s to return, with the 500 ms end pause)%s\n",
                ours.toFileClosed, ours.toReturn, ours.ok ? "" : "  FAILED");
    std::printf("  lrzsz rx: %.3f s to exit%s\n", rxTime, rxOk ? "" : "  FAILED");
    std::printf("  ratio ours/rx: %.2f (goal <= 1.20); with the end pause: %.2f\n",
                ours.toFileClosed / rxTime, ours.toReturn / rxTime);
    std::printf("  CPU time of the receiving thread: %.3f s\n", ours.cpu);

    const size_t pacedSize = 8192;
    const int bytesPerSecond = 960;
    OurRun paced = receiveWithUs(pacedSize, bytesPerSecond);
    double limit = 128.0 / 133.0 * bytesPerSecond;
    // The data phase runs from the first block's header to EOT: all blocks
    // but the part of the first one before its header byte.
    double rate = static_cast<double>(pacedSize) / paced.dataPhase;
    std::printf("%zu-byte image at 960 bytes/s: %.1f s data phase, %.1f bytes/s, %.1f%% of the "
                "protocol limit %.1f bytes/s (goal >= 97%%)%s\n",
                pacedSize, paced.dataPhase, rate, 100.0 * rate / limit, limit,
                paced.ok ? "" : "  FAILED");
    return ours.ok && rxOk && paced.ok ? 0 : 1;
}
