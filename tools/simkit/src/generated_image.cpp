#include "simkit/generated_image.h"

#include <random>

namespace simkit {

namespace {

constexpr int kRingRecords = static_cast<int>(trelm::MemoryImage::kLogSlotCount);
constexpr std::int32_t kFirstStart = 1118838605;  // 6/15/2005 12:30:05
constexpr std::int32_t kLogInterval = 900;         // one record every 15 minutes

LogRow logRow(std::mt19937 &random, std::int32_t time) {
    LogRow row;
    row.time = time;
    std::uniform_int_distribution<int> temperature(150, 320);
    std::uniform_int_distribution<int> flow(1500, 1800);
    for (auto &value : row.filter)
        value = static_cast<std::int16_t>(temperature(random));
    for (auto &value : row.flow)
        value = static_cast<std::int16_t>(flow(random));
    row.ambient = static_cast<std::int16_t>(temperature(random) - 20);
    row.pressure = static_cast<std::int16_t>(740 + random() % 30);
    row.pumpBox = static_cast<std::int16_t>(temperature(random) + 50);
    return row;
}

}  // namespace

GeneratedImage generatedImage(unsigned seed, std::int16_t unitId) {
    std::mt19937 random(seed);
    const std::int16_t model = static_cast<std::int16_t>(seed % 2);
    const std::int16_t unit = unitId != 0 ? unitId : static_cast<std::int16_t>(100 + seed % 900);
    GeneratedImage made{ImageBuilder({model, 0x0102, unit}), 0};
    made.events = 3 + static_cast<int>(seed % 3);
    // The first event's log ends past the ring's last slot and wraps.
    int nextSlot = kRingRecords - 5;
    std::int32_t start = kFirstStart + static_cast<std::int32_t>(seed % 1000) * 3600;
    for (int n = 1; n <= made.events; ++n) {
        const int records = 10 + static_cast<int>(random() % 40);
        const int first = nextSlot % kRingRecords;
        for (int j = 0; j < records; ++j)
            made.image.logSlot((first + j) % kRingRecords, logRow(random, start + kLogInterval * j));
        const std::int32_t elapse = kLogInterval * records;
        const int configs = model == 0 ? 5 : 12;
        EventBuilder event;
        event.status(5).start(start).stop(start + elapse).elapse(elapse)
            .config(static_cast<std::int16_t>(random() % configs))
            .logAddresses(ImageBuilder::logAddress(first), ImageBuilder::logAddress((first + records - 1) % kRingRecords));
        for (int block = 0; block < 15; ++block)
            event.extremes(block, static_cast<std::int16_t>(200 + block), static_cast<std::int16_t>(150 + block),
                           start + 600, static_cast<std::int16_t>(300 + block), start + 1200);
        for (int slot = 1; slot <= 5; ++slot)
            event.canister(slot, static_cast<std::int16_t>(10000 + slot), static_cast<std::int16_t>(120 + slot),
                           static_cast<std::int16_t>(1660 + slot), static_cast<std::int16_t>(10 + slot));
        made.image.slot(n, event);
        nextSlot = first + records;
        start += elapse + 3600;
    }
    return made;
}

}  // namespace simkit
