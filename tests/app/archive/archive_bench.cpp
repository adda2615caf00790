// Times the archive on SQLite and on the PostgreSQL test cluster: the
// import of a full image's events (24 events, 2586 records), the import of
// 50 such images of one unit (one import each, as 50 retrievals make them),
// then the export of that unit's whole series. Prints medians; asserts
// nothing about them.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

#include "archive_backends.h"
#include "archive_events.h"

namespace fs = std::filesystem;
using namespace archivetest;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;
constexpr int kImages = 50;
constexpr std::int16_t kUnit = 123;
constexpr int kDaysPerImage = 2; // a full ring of minute records spans 1.8 days

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// This process's processor time in ms: on a machine shared with other
// work the wall-clock time says more about the others.
double cpuMilliseconds() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Times {
    std::vector<double> wall;
    std::vector<double> cpu;
};

// Runs the command and returns its time; a failure ends the benchmark.
double timed(const std::vector<std::string> &args, Times *times = nullptr) {
    const auto start = Clock::now();
    const double cpuStart = cpuMilliseconds();
    const CommandRun run = runCommand(args);
    const double time = millisecondsSince(start);
    if (times) {
        times->wall.push_back(time);
        times->cpu.push_back(cpuMilliseconds() - cpuStart);
    }
    if (run.status != 0) {
        std::fprintf(stderr, "%s failed: %s", args[1].c_str(), run.err.c_str());
        std::exit(1);
    }
    return time;
}

void benchmark(Backend backend, const std::vector<fs::path> &images, const fs::path &work) {
    Times oneImage;
    for (int round = 0; round < kRounds; ++round) {
        FreshArchive fresh(backend);
        if (fresh.location.empty()) {
            std::printf("%s: skipped: %s\n", caseName(backend), fresh.skipReason.c_str());
            return;
        }
        timed({"archive", "import", images[0].string(), "--db", fresh.location}, &oneImage);
    }
    FreshArchive fresh(backend);
    double allImages = 0;
    for (const fs::path &image : images)
        allImages += timed({"archive", "import", image.string(), "--db", fresh.location});
    Times exports;
    const fs::path csv = work / "series.csv";
    for (int round = 0; round < kRounds; ++round)
        timed({"archive", "export", "--unit", std::to_string(kUnit), "-o", csv.string(), "--db", fresh.location},
              &exports);
    std::printf("%-10s import of one image (24 events, 2586 records)  median %8.1f ms (cpu %6.1f ms)\n",
                caseName(backend), median(oneImage.wall), median(oneImage.cpu));
    std::printf("%-10s import of %d images, one import each          total  %8.1f ms\n", caseName(backend), kImages,
                allImages);
    std::printf("%-10s export of the unit's series (%d records)   median %8.1f ms (cpu %6.1f ms)\n",
                caseName(backend), kImages * 2586, median(exports.wall), median(exports.cpu));
}

} // namespace

// archive_bench [SQLite|PostgreSQL]: both engines, or the one named.
int main(int argc, char **argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    testfiles::TempDir work{"archive-bench"};
    std::vector<fs::path> images;
    for (int i = 0; i < kImages; ++i) {
        const fs::path dir = work / ("image" + std::to_string(i));
        eventFilesOf(fullImage(kUnit, i * kDaysPerImage), dir);
        images.push_back(dir);
    }
    std::printf("goal on SQLite: one image under 200 ms, the %d-image export under 200 ms\n", kImages);
    for (Backend backend : {Backend::Sqlite, Backend::Postgres})
        if (only.empty() || only == caseName(backend))
            benchmark(backend, images, work.path());
    return 0;
}
