// Times the intake of a full memory image (24 events sharing the whole log
// ring) and the CSV export of one event holding all 2586 ring records.
// Prints the times; asserts nothing about them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "datafile/event_file.h"
#include "datafile/intake.h"
#include "export/export_event.h"
#include "test_data.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;
constexpr int kEvents = 24;
constexpr int kRingSlots = 2586;

// 24 events of 107 or 108 records each cover the ring; the last one wraps.
testdata::ImageBuilder fullImage() {
    testdata::ImageBuilder image({1, 0x0102, 123});
    for (int j = 0; j < kRingSlots; ++j)
        image.logSlot(j, testdata::minuteLogRow(j));
    const int shift = 50; // start the first event mid-ring so the last one wraps
    for (int n = 0; n < kEvents; ++n) {
        const int first = (shift + n * kRingSlots / kEvents) % kRingSlots;
        const int last = (shift + (n + 1) * kRingSlots / kEvents - 1) % kRingSlots;
        testdata::EventBuilder event;
        event.status(5).start(1118838605 + 86400 * n).config(static_cast<std::int16_t>(n % 12));
        event.logAddresses(testdata::ImageBuilder::logAddress(first), testdata::ImageBuilder::logAddress(last));
        image.slot(n + 1, event);
    }
    return image;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void report(const char *what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-46s median %7.2f ms  best %7.2f ms  (%d rounds)\n", what, times[times.size() / 2], times.front(),
                kRounds);
}

} // namespace

int main() {
    const testdata::Bytes received = fullImage().receivedBytes();
    trelm::SilentMessagePort silent;
    const trelm::CsvExport exportCsv = trelm::csvExportByModel(silent);
    std::vector<double> convertTimes;
    for (int round = 0; round < kRounds; ++round) {
        testfiles::TempDir dir;
        testdata::writeFile(dir / "received.img", received);
        const auto start = Clock::now();
        auto result = trelm::ConvertReceivedFile(dir / "received.img", dir.path(), exportCsv);
        convertTimes.push_back(millisecondsSince(start));
        if (!result || result.value().eventFiles.size() != kEvents) {
            std::fprintf(stderr, "convert did not write %d events\n", kEvents);
            return 1;
        }
    }
    report("convert: 24 events, full log ring", convertTimes);

    testfiles::TempDir dir;
    std::vector<testdata::LogRow> ring;
    for (int j = 0; j < kRingSlots; ++j)
        ring.push_back(testdata::minuteLogRow(j));
    testdata::EventBuilder event;
    event.status(5).start(1118838605).config(11);
    testdata::writeFile(dir / "full.bin", testdata::eventFileBytes({1, 0x0102, 123}, event, ring));
    std::vector<double> exportTimes;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        auto file = trelm::readEventFile(dir / "full.bin");
        const bool exported = file && trelm::exportByModel(dir / "full.csv", file.value(), "full.bin", silent).ok();
        exportTimes.push_back(millisecondsSince(start));
        if (!exported || file.value().log.size() != kRingSlots) {
            std::fprintf(stderr, "export of the full ring failed\n");
            return 1;
        }
    }
    report("export: one event with 2586 log records", exportTimes);
    return 0;
}
