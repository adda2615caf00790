// Eight unpaced stations on eight ports retrieved with --jobs 8 against
// --jobs 1: the wall-time ratio (the work is mostly waiting on 400 ms
// wake-up steps, so running side by side should cost a fraction) and the
// runner's own CPU time, as it reports it. Medians of N rounds each.
//   fleet_bench [--rounds N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "program_run.h"
#include "simkit/sim_process.h"
#include "test_files.h"

using namespace std::chrono_literals;

namespace {

constexpr int kStations = 8;

struct Round {
    double wall = 0;
    double runnerCpu = 0;
    bool ok = false;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

Round runOnce(const std::vector<std::string> &terminals, int jobs) {
    testfiles::TempDir dir("fleet-bench");
    std::ofstream stations(dir / "stations.ini");
    for (int i = 0; i < kStations; ++i)
        stations << "[s" << i << "]\ndevice = " << terminals[static_cast<std::size_t>(i)] << "\nretries = 0\n";
    stations.close();
    ProgramRun::Options options;
    options.environment = {{"TRELMLINK_INI", (dir / "TRELMLNK.INI").string()}};
    const auto start = std::chrono::steady_clock::now();
    ProgramRun run({"fleet", "run", (dir / "stations.ini").string(), "--jobs", std::to_string(jobs)}, options);
    const std::optional<int> status = run.waitExit(600s);
    Round round;
    round.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    round.ok = status == 0;
    const std::string err = run.err();
    if (const auto at = err.rfind("runner CPU "); at != std::string::npos)
        round.runnerCpu = std::atof(err.c_str() + at + std::strlen("runner CPU "));
    if (!round.ok)
        std::fprintf(stderr, "run with --jobs %d failed:\n%s\n", jobs, err.c_str());
    return round;
}

} // namespace

int main(int argc, char **argv) {
    int rounds = 3;
    if (argc == 3 && std::strcmp(argv[1], "--rounds") == 0)
        rounds = std::max(1, std::atoi(argv[2]));
    std::vector<std::string> roles;
    for (int i = 0; i < kStations; ++i)
        roles.push_back("sampler:" + std::to_string(21 + i));
    simkit::SimProcess sims;
    if (const trelm::Status started = sims.start({.program = TRELM_SIM, .args = roles, .waitLimit = 30s}); !started) {
        std::fprintf(stderr, "%s\n", started.error().message().c_str());
        return 1;
    }
    std::vector<double> wallParallel, wallSerial, cpuParallel, cpuSerial;
    for (int i = 0; i < rounds; ++i) {
        const Round parallel = runOnce(sims.terminals(), kStations);
        const Round serial = runOnce(sims.terminals(), 1);
        if (!parallel.ok || !serial.ok)
            return 1;
        wallParallel.push_back(parallel.wall);
        wallSerial.push_back(serial.wall);
        cpuParallel.push_back(parallel.runnerCpu);
        cpuSerial.push_back(serial.runnerCpu);
    }
    std::printf("fleet of %d unpaced stations, median of %d rounds\n", kStations, rounds);
    std::printf("  --jobs %d: %.2f s wall, runner CPU %.3f s\n", kStations, median(wallParallel), median(cpuParallel));
    std::printf("  --jobs 1: %.2f s wall, runner CPU %.3f s\n", median(wallSerial), median(cpuSerial));
    std::printf("  wall-time ratio jobs %d / jobs 1: %.2f (goal: under 0.3)\n", kStations,
                median(wallParallel) / median(wallSerial));
    return 0;
}
