// Times the window's FillGrids (the fill and the refresh of all eight views,
// offscreen) of an eight-channel configuration 10 event holding a full ring
// of 2586 log records, beside the fill of the grids alone, and prints both
// and their ratio. Asserts nothing about the times.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "grids/fill_grids.h"
#include "grids/grid_setups.h"
#include "shell/main_window.h"
#include "test_data.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 9;
constexpr int kRingSlots = 2586;

template <typename Step>
double medianMilliseconds(Step step) {
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        if (!step()) {
            std::fprintf(stderr, "a fill failed\n");
            std::exit(1);
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    testfiles::TempDir dir;
    std::vector<testdata::LogRow> ring(kRingSlots);
    for (int j = 0; j < kRingSlots; ++j) {
        ring[j].time = 1118838605 + 60 * j;
        ring[j].ambient = static_cast<std::int16_t>(200 + j % 50);
        ring[j].pressure = 760;
        ring[j].filter.fill(static_cast<std::int16_t>(210 + j % 30));
        ring[j].flow.fill(static_cast<std::int16_t>(1660 + j % 20));
    }
    testdata::EventBuilder event;
    event.status(5).start(1118838605).elapse(86400).config(10);
    const std::filesystem::path path = dir / "full.bin";
    testdata::writeFile(path, testdata::eventFileBytes({1, 0x0102, 123}, event, ring));

    grids::GridSet alone;
    trelm::SilentMessagePort silent;
    grids::initGrids(alone);
    const double gridsOnly = medianMilliseconds([&] { return grids::FillGrids(alone, path, silent).ok(); });

    trelm::shell::MainWindow window;
    window.show();
    grids::initGrids(window.gridSet());
    const QString file = QString::fromStdString(path.string());
    const double windowFill = medianMilliseconds([&] {
        const bool ok = window.FillGrids(file).ok();
        QCoreApplication::processEvents(); // let the views lay out and paint
        return ok && window.gridSet().MSFlexGrid2.rows() == 2 + kRingSlots;
    });
    std::printf("grids alone:           median %7.2f ms (%d rounds)\n", gridsOnly, kRounds);
    std::printf("window FillGrids:      median %7.2f ms (goal < 100 ms)\n", windowFill);
    std::printf("window / grids alone:  %.2f\n", windowFill / gridsOnly);
    return 0;
}
