// A whole retrieval from the simulator, paced like the 9600-baud cable and
// unpaced: the time from "&Retrieve Data" to the files on disk, the share of
// it spent in the 400 ms wake-up steps, and the transfer's bytes per second
// against what XMODEM-CRC can carry at 9600 baud (128 data bytes in 134 on
// the line: 917 B/s).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "korlink_binder/korlink_binder.h"
#include "recording_ui.h"
#include "retrieval/retrieval.h"
#include "sim_process.h"
#include "test_files.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Timing {
    double total = 0;     // retrieve command to files on disk
    double wakeUp = 0;    // in the 400 ms steps, timer start to the transfer command
    double transfer = 0;  // first to last byte count
    std::int64_t bytes = 0;
    bool complete = false;
};

Timing measure(int baud) {
    testfiles::TempDir data("retrieval-bench");
    testfiles::TempDir ini("retrieval-bench-ini");
    setenv("TRELMLINK_INI", (ini.path() / "TRELMLNK.INI").c_str(), 1);
    std::vector<std::string> args = {"sampler"};
    if (baud > 0)
        args.insert(args.end(), {"--baud", std::to_string(baud)});
    SimProcess sim(args);
    setenv("KORLINK_COM7", sim.path().c_str(), 1);

    RecordingUi ui;
    Clock::time_point firstBytes{}, lastBytes{}, asked{};
    ui.onBytes = [&](std::int64_t count) {
        const Clock::time_point now = Clock::now();
        if (count > 0 && firstBytes == Clock::time_point{})
            firstBytes = now;
        if (count > 0)
            lastBytes = now;
    };
    trelm::retrieval::Settings settings;
    settings.port = 7;
    settings.dataDir = data.path();
    trelm::retrieval::Retrieval retrieval(ui.roles(), settings);

    Timing timing;
    const Clock::time_point start = Clock::now();
    retrieval.cmdRetrieve_Click();
    const Clock::time_point timerOn = Clock::now();
    const Clock::time_point deadline = timerOn + std::chrono::minutes(10);
    while (retrieval.running() && retrieval.timerEnabled() && Clock::now() < deadline) {
        trelm::korlink::ms_pause(400); // the timer's own period
        if (retrieval.wakeUpStep() == 8)
            asked = Clock::now();
        retrieval.StartDownLoad_Timer();
    }
    const Clock::time_point end = Clock::now();
    timing.total = seconds(end - start);
    timing.wakeUp = seconds((asked == Clock::time_point{} ? end : asked) - timerOn);
    // The first byte count arrives with block 1: the transfer of the others
    // runs from there, so count what came after it.
    timing.transfer = seconds(lastBytes - firstBytes);
    timing.bytes = ui.mostBytes - 128;
    timing.complete = retrieval.outcome() == trelm::retrieval::Outcome::Complete;
    return timing;
}

void print(const char *name, const Timing &t, double limit) {
    const double rate = t.transfer > 0 ? static_cast<double>(t.bytes) / t.transfer : 0;
    std::printf("%-8s %s total %7.2f s, wake-up %5.2f s (%4.1f%%), transfer %7.2f s at %8.0f B/s", name,
                t.complete ? "complete" : "FAILED  ", t.total, t.wakeUp, 100 * t.wakeUp / t.total, t.transfer, rate);
    if (limit > 0)
        std::printf(" = %5.1f%% of %.0f B/s", 100 * rate / limit, limit);
    std::printf("\n");
}

} // namespace

int main() {
    if (!trelm::korlink::ready())
        return 1;
    const double limit = 9600.0 / 10 * 128 / 134; // 917 B/s
    const Timing unpaced = measure(0);
    print("unpaced", unpaced, 0);
    const Timing paced = measure(9600);
    print("9600", paced, limit);
    return unpaced.complete && paced.complete ? 0 : 1;
}
