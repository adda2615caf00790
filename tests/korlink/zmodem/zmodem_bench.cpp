// Benchmark (label bench): 1 MB over relayed ptys. korlink-xfer's ZMODEM
// send into rz and sz into korlink-xfer's receive, against sz into rz, the
// median of three runs each; then a line paced at 115200 baud (11520 bytes
// per second), the data rate against the line rate; then a transfer cut at
// half and resumed: the bytes the rerun puts on the line against the half
// that was left.
//
// A transfer is timed to the sender's exit: the sender ends only once the
// receiver has taken the file and the session's end. The time to both exits
// is shown too, but it also holds the receiver's wait for the sender's last
// "OO", which sz at its exit often flushes from its tty before the relay has
// read it (rz then waits 30 s for it, korlink-xfer 1 s).
#include "zmodem_peer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

using namespace zmodemtest;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr int toolCom = 14;
constexpr size_t fileSize = 1 << 20;
constexpr int pacedRate = 11520;
constexpr size_t pacedSize = 192 * 1024;

struct Run {
    double seconds = 0;        // to the sender's exit
    double bothExited = 0;
    int64_t carried = 0;   // bytes the relay moved from sender to receiver
    bool ok = false;
};

enum class Pair { ToolToRz, SzToTool, SzToRz };

// One transfer between two programs, each on its own pty, joined by the relay.
Run transfer(Pair pair, size_t size, int bytesPerSecond) {
    testsupport::PtyPair sendLine, receiveLine;
    TempDir sendDir, receiveDir;
    const std::vector<uint8_t> data = patternBytes(size, 41);
    writeFile(sendDir / "bench.bin", data);
    const bool toolSends = pair == Pair::ToolToRz, toolReceives = pair == Pair::SzToTool;
    const std::string tool = ZMODEM_TOOL;
    const std::string port = std::to_string(toolCom);
    setenv(("KORLINK_COM" + port).c_str(), (toolSends ? sendLine : receiveLine).slavePath().c_str(), 1);
    // The relay takes the sender's bytes at once and paces them out: a paced
    // sender waits for the answer to its end of file until the relay has
    // delivered everything, far longer than a UART's few bytes would hold it.
    const std::string wait = bytesPerSecond > 0 ? "120000" : "10000";
    std::vector<std::string> sender = toolSends ? std::vector<std::string>{tool, "send", "--port", port, "--protocol",
                                                                           "zmodem", "--timeout", wait, "bench.bin"}
                                                : std::vector<std::string>{"sz", "-q", "bench.bin"};
    std::vector<std::string> receiver = toolReceives ? std::vector<std::string>{tool, "receive", "--port", port,
                                                                                "--protocol", "zmodem"}
                                                     : std::vector<std::string>{"rz", "-q"};
    LineRelay relay({sendLine.master(), sendLine.master()}, {receiveLine.master(), receiveLine.master()}, {},
                    bytesPerSecond);
    Clock::time_point start = Clock::now();
    // The tool opens its line itself; lrzsz talks over its standard streams.
    PeerProcess receiving(receiver, toolReceives ? "/dev/null" : receiveLine.slavePath(), receiveDir.path().string());
    PeerProcess sending(sender, toolSends ? "/dev/null" : sendLine.slavePath(), sendDir.path().string());
    int sendStatus = sending.wait(300s);
    Run run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    int receiveStatus = receiving.wait(60s);
    run.bothExited = std::chrono::duration<double>(Clock::now() - start).count();
    run.carried = relay.toPeer();   // the sender is on the relay's first side
    run.ok = sendStatus == 0 && receiveStatus == 0 && readFile(receiveDir / "bench.bin") == data;
    return run;
}

struct Median {
    double seconds = 0;
    double bothExited = 0;
};

// Three rounds, the pairs taking turns in each, so that a change in the
// machine's load touches every pair alike.
std::map<Pair, Median> mediansOf3(bool &ok) {
    const Pair pairs[] = {Pair::ToolToRz, Pair::SzToTool, Pair::SzToRz};
    std::map<Pair, std::vector<Run>> runs;
    for (int round = 0; round < 3; ++round)
        for (Pair pair : pairs) {
            Run run = transfer(pair, fileSize, 0);
            ok = ok && run.ok;
            runs[pair].push_back(run);
        }
    std::map<Pair, Median> medians;
    for (auto &[pair, list] : runs) {
        std::vector<double> times, both;
        for (const Run &run : list) {
            times.push_back(run.seconds);
            both.push_back(run.bothExited);
        }
        std::sort(times.begin(), times.end());
        std::sort(both.begin(), both.end());
        medians[pair] = {times[1], both[1]};
    }
    return medians;
}

}  // namespace

int main() {
    bool ok = true;
    std::map<Pair, Median> medians = mediansOf3(ok);
    const Median &toolToRz = medians[Pair::ToolToRz], &szToTool = medians[Pair::SzToTool],
                 &szToRz = medians[Pair::SzToRz];
    std::printf("1 MB over relayed ptys, median of 3: seconds to the sender's exit (to both exits)\n");
    std::printf("  korlink-xfer send -> rz: %.3f s (%.3f s); ratio to sz -> rz %.2f (goal <= 1.00)\n",
                toolToRz.seconds, toolToRz.bothExited, toolToRz.seconds / szToRz.seconds);
    std::printf("  sz -> korlink-xfer receive: %.3f s (%.3f s); ratio to sz -> rz %.2f (goal <= 1.00)\n",
                szToTool.seconds, szToTool.bothExited, szToTool.seconds / szToRz.seconds);
    std::printf("  sz -> rz: %.3f s (%.3f s)\n", szToRz.seconds, szToRz.bothExited);

    for (Pair pair : {Pair::ToolToRz, Pair::SzToTool}) {
        Run paced = transfer(pair, pacedSize, pacedRate);
        double rate = static_cast<double>(pacedSize) / paced.seconds;
        std::printf("%zu bytes at 115200 baud (%d bytes/s), %s: %.1f s, %.0f bytes/s = %.1f%% of the line rate "
                    "(goal >= 95%%); line bytes per data byte %.3f%s\n",
                    pacedSize, pacedRate, pair == Pair::ToolToRz ? "korlink-xfer -> rz" : "sz -> korlink-xfer",
                    paced.seconds, rate, 100.0 * rate / pacedRate,
                    static_cast<double>(paced.carried) / static_cast<double>(pacedSize), paced.ok ? "" : "  FAILED");
        ok = ok && paced.ok;
    }

    // Resume: sz into freceive, cut at half by a cancel, then rerun.
    const std::vector<uint8_t> data = patternBytes(fileSize, 43);
    std::vector<uint8_t> partial;
    {
        kermittest::KermitLink cut;
        writeFile(cut.peerDir() / "resume.bin", data);
        cutAt(Cut::WeCancel, fileSize / 2);
        peerSends(cut, {"resume.bin"});
        partial = readFile(cut.ourDir() / "resume.bin");
    }
    PeerLink rerun;
    writeFile(rerun.peerDir() / "resume.bin", data);
    writeFile(rerun.ourDir() / "resume.bin", partial);
    Outcome second = peerSends(rerun, {"resume.bin"});
    bool resumed = second.result == 0 && readFile(rerun.ourDir() / "resume.bin") == data;
    const double rest = static_cast<double>(fileSize - partial.size());
    const double carried = static_cast<double>(rerun.relay().toLibrary());
    PeerLink whole;
    writeFile(whole.peerDir() / "resume.bin", data);
    Outcome full = peerSends(whole, {"resume.bin"});
    const double perByte = static_cast<double>(whole.relay().toLibrary()) / static_cast<double>(fileSize);
    std::printf("resume after a cut at %zu of %zu bytes: the rerun carried %.0f line bytes for the %.0f left: "
                "%.2f%% above what the rest costs in a whole transfer (goal <= 1%%); %.2f%% above the data "
                "itself, at %.3f line bytes per data byte, the escaping and framing of any transfer%s\n",
                partial.size(), fileSize, carried, rest, 100.0 * (carried / (rest * perByte) - 1.0),
                100.0 * (carried / rest - 1.0), perByte, resumed && full.result == 0 ? "" : "  FAILED");
    ok = ok && resumed && full.result == 0;
    return ok ? 0 : 1;
}
