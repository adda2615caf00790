// Prints the CPU time a 5-second idle c_waitc uses and the round-trip time of
// one byte over a pty through c_putc and c_waitc.
#include "korlink.h"
#include "pty_pair.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double seconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

int quietPump() { return 0; }

void idleWait(PortHandle port) {
    COMMPumpHookSet(quietPump);
    double wall = seconds(CLOCK_MONOTONIC);
    double cpu = seconds(CLOCK_PROCESS_CPUTIME_ID);
    int16_t result = c_waitc(port, -1, 5000);
    cpu = seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu;
    wall = seconds(CLOCK_MONOTONIC) - wall;
    std::printf("idle c_waitc: result %d, %.2f s wall, %.4f s CPU = %.3f %% of one core (goal < 2 %%)\n",
                result, wall, cpu, 100.0 * cpu / wall);
    COMMPumpHookSet(nullptr);
}

// The peer echoes every byte back from its own thread.
void roundTrips(PortHandle port, testsupport::PtyPair &pty) {
    std::atomic<bool> running{true};
    std::thread echo([&] {
        char byte;
        while (running) {
            pollfd entry{pty.master(), POLLIN, 0};
            if (poll(&entry, 1, 50) > 0 && ::read(pty.master(), &byte, 1) == 1)
                if (::write(pty.master(), &byte, 1) != 1) break;
        }
    });
    std::vector<double> micros;
    for (int i = 0; i < 1000; ++i) {
        double start = seconds(CLOCK_MONOTONIC);
        c_putc(port, 'a' + i % 26);
        if (c_waitc(port, 'a' + i % 26, 1000) < 0) break;
        micros.push_back((seconds(CLOCK_MONOTONIC) - start) * 1e6);
    }
    running = false;
    echo.join();
    std::sort(micros.begin(), micros.end());
    if (micros.empty()) {
        std::printf("round trip: no echo came back\n");
        return;
    }
    std::printf("round trip of one byte: %zu samples, median %.1f us, 99th percentile %.1f us (goal median < 1000 us)\n",
                micros.size(), micros[micros.size() / 2], micros[micros.size() * 99 / 100]);
}

}  // namespace

int main() {
    testsupport::PtyPair pty;
    pty.exposeAs(5);
    PortHandle port = COMMWinInit(5, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    if (port == nullptr) {
        std::printf("cannot open the pty\n");
        return 1;
    }
    idleWait(port);
    roundTrips(port, pty);
    COMMPortDeinit(port, 0);
    return 0;
}
