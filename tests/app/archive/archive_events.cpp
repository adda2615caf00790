#include "archive_events.h"

#include <algorithm>
#include <stdexcept>

#include "cli/commands.h"
#include "datafile/message_port.h"
#include "grids/fill_grids.h"
#include "archive_backends.h"

namespace archivetest {

namespace {

constexpr int kRingSlots = 2586;
constexpr int kFullImageEvents = 24;
constexpr int kHeaderRows = 2;

} // namespace

std::vector<std::filesystem::path> eventFilesOf(const testdata::ImageBuilder &image, const std::filesystem::path &dir) {
    std::filesystem::create_directories(dir);
    const std::filesystem::path received = dir / "received.img";
    testdata::writeFile(received, image.receivedBytes());
    const CommandRun run = runCommand({"convert", received.string(), "--dir", dir.string()});
    std::filesystem::remove(received);
    if (run.status != 0)
        throw std::runtime_error("convert failed: " + run.err);
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".bin" && entry.path().filename() != "swap.bin")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void addEvent(testdata::ImageBuilder &image, int n, int rows, int status, std::int16_t config) {
    const int first = 40 * (n - 1);
    const std::int32_t start = kFirstStart + n * kDay;
    testdata::EventBuilder event;
    event.status(static_cast<std::int16_t>(status)).start(start).stop(start + 60 * rows).elapse(60 * rows);
    event.config(config).logAddresses(testdata::ImageBuilder::logAddress(first),
                                      testdata::ImageBuilder::logAddress(first + rows - 1));
    for (int block = 0; block < 15; ++block)
        event.extremes(block, static_cast<std::int16_t>(200 + block + n), static_cast<std::int16_t>(-15 - block),
                       start + 60, static_cast<std::int16_t>(300 + block), start + 120);
    for (int slot = 1; slot <= 5; ++slot)
        event.canister(slot, static_cast<std::int16_t>(10000 + slot), static_cast<std::int16_t>(120 + slot),
                       static_cast<std::int16_t>(1660 + slot), static_cast<std::int16_t>(10 + slot));
    event.filterWarning(1, start + 180).maxDt(2, 25, start + 240).flowWarning(2, 1234, start + 300);
    event.elapseWarning(30).powerFailure(1, start + 90);
    image.slot(n, event);
    for (int j = 0; j < rows; ++j) {
        testdata::LogRow row = testdata::minuteLogRow(j);
        row.time = start + 60 * j;
        row.ambient = static_cast<std::int16_t>(n * 100 - j); // crosses zero: -0.5 and the like
        row.filter[1] = static_cast<std::int16_t>(-j);
        row.flow[1] = static_cast<std::int16_t>(5 * j);
        image.logSlot(first + j, row);
    }
}

testdata::ImageBuilder fullImage(std::int16_t unit, int dayShift) {
    testdata::ImageBuilder image({1, 0x0102, unit});
    const std::int32_t shift = dayShift * kDay;
    for (int j = 0; j < kRingSlots; ++j) {
        testdata::LogRow row = testdata::minuteLogRow(j);
        row.time += shift;
        image.logSlot(j, row);
    }
    for (int n = 0; n < kFullImageEvents; ++n) {
        const int first = n * kRingSlots / kFullImageEvents;
        const int last = (n + 1) * kRingSlots / kFullImageEvents - 1;
        testdata::EventBuilder event;
        event.status(5).start(kFirstStart + shift + 60 * first).config(static_cast<std::int16_t>(n % 12));
        event.logAddresses(testdata::ImageBuilder::logAddress(first), testdata::ImageBuilder::logAddress(last));
        image.slot(n + 1, event);
    }
    return image;
}

DataLogGrid dataLogGridOf(const std::filesystem::path &eventFile) {
    grids::GridSet set;
    trelm::SilentMessagePort silent;
    auto filled = grids::FillGrids(set, eventFile, silent);
    if (!filled)
        throw std::runtime_error(filled.error().message());
    const grids::Grid &grid = set.MSFlexGrid2;
    DataLogGrid shown;
    for (int col = 0; col < grid.cols(); ++col)
        shown.names.push_back(grid.text(0, col));
    for (int row = kHeaderRows; row < grid.rows(); ++row) {
        std::vector<std::string> cells;
        for (int col = 0; col < grid.cols(); ++col)
            cells.push_back(grid.text(row, col));
        shown.rows.push_back(cells);
    }
    return shown;
}

} // namespace archivetest
