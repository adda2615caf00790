// Times `trelmlink plot` of an eight-channel event holding a full ring of
// 2586 log records to PNG and to SVG as a whole process, and the fill of the
// window's "Plots" tab in process. Prints the medians; asserts nothing about
// them; for the program also the median of its CPU time (user and system),
// which a busy machine hardly changes. `plots_bench DIR` keeps the event
// file and pictures in DIR.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <vector>

#include "plots/event_plot.h"
#include "sample_event.h"
#include "shell/plot_view.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 9;
constexpr int kRingSlots = 2586;

// CPU seconds the finished children have used so far.
double childCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

template <typename Step>
bool report(const char *what, double goalMs, Step step) {
    std::vector<double> times, cpu;
    for (int round = 0; round < kRounds; ++round) {
        const double cpuBefore = childCpuMs();
        const auto start = Clock::now();
        if (!step()) {
            std::fprintf(stderr, "%s failed\n", what);
            return false;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        cpu.push_back(childCpuMs() - cpuBefore);
    }
    const double wall = median(times);
    std::printf("%-40s median %7.2f ms (%3.0f%% of the %.0f ms goal)", what, wall, wall / goalMs * 100, goalMs);
    if (median(cpu) > 0)
        std::printf("  child CPU median %7.2f ms", median(cpu));
    std::printf("  (%d rounds)\n", kRounds);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    testfiles::TempDir temporary;
    const std::filesystem::path dir = argc > 1 ? std::filesystem::path(argv[1]) : temporary.path();
    std::vector<testdata::LogRow> ring;
    for (int j = 0; j < kRingSlots; ++j)
        ring.push_back(testdata::minuteLogRow(j));
    testdata::EventBuilder event = sample::event(11);
    event.stop(sample::kStart + 60 * kRingSlots).powerFailure(0, sample::kStart + 60 * 900);
    const std::filesystem::path path = dir / "full.bin";
    testdata::writeFile(path, testdata::eventFileBytes({1, 0x0102, 123}, event, ring));

    bool ok = true;
    for (const char *extension : {"png", "svg"}) {
        const std::filesystem::path picture = dir / (std::string("full.") + extension);
        const std::string command = std::string("\"") + TRELMLINK_PROGRAM + "\" plot \"" + path.string() + "\" -o \"" +
                                    picture.string() + "\" >/dev/null";
        const std::string what = std::string("trelmlink plot to ") + extension + ", the program";
        ok = report(what.c_str(), 300, [&] { return std::system(command.c_str()) == 0; }) && ok;
    }
    const auto plot = plots::readEventPlot(path);
    if (!plot)
        return 1;
    trelm::shell::PlotView view;
    view.resize(1000, 700);
    ok = report("Plots tab fill, in process", 100, [&] {
             view.setPlot(plot.value());
             return view.scene().plot().times.size() == kRingSlots;
         }) && ok;
    return ok ? 0 : 1;
}
