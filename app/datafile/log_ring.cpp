#include "datafile/log_ring.h"

namespace trelm {

namespace {

using namespace MemoryImage;

bool isRingSlot(std::int32_t address) {
    if (address < static_cast<std::int32_t>(LogAreaStart) || address > static_cast<std::int32_t>(LogAreaLastSlot))
        return false;
    return (address - LogAreaStart) % kLogRecordSize == 0;
}

} // namespace

std::optional<std::size_t> ringLogCount(std::int32_t first, std::int32_t last) {
    if (!isRingSlot(first) || !isRingSlot(last))
        return std::nullopt;
    const std::size_t firstSlot = (first - LogAreaStart) / kLogRecordSize;
    const std::size_t lastSlot = (last - LogAreaStart) / kLogRecordSize;
    // A wrapped log runs to the ring's last slot and on from its first.
    return lastSlot >= firstSlot ? lastSlot - firstSlot + 1 : (kLogSlotCount - firstSlot) + (lastSlot + 1);
}

bool logCutOff(std::size_t imageSize, std::int32_t first, std::int32_t last) {
    const std::optional<std::size_t> count = first == 0 ? std::nullopt : ringLogCount(first, last);
    if (!count)
        return false;
    const std::size_t firstSlot = (first - LogAreaStart) / kLogRecordSize;
    for (std::size_t i = 0; i < *count; ++i)
        if (LogAreaStart + kLogRecordSize * ((firstSlot + i) % kLogSlotCount + 1) > imageSize)
            return true;
    return false;
}

LogCopy copyEventLog(Bytes image, std::int32_t first, std::int32_t last) {
    LogCopy copy;
    if (first == 0)
        return copy;
    const std::optional<std::size_t> ringCount = ringLogCount(first, last);
    if (!ringCount) {
        copy.problem = "log addresses " + std::to_string(first) + " to " + std::to_string(last) +
                       " are not record slots of the log ring (" + std::to_string(LogAreaStart) + " to " +
                       std::to_string(LogAreaLastSlot) + " in steps of 38); its log was not copied";
        return copy;
    }
    const std::size_t firstSlot = (first - LogAreaStart) / kLogRecordSize;
    const std::size_t count = *ringCount;
    copy.records.reserve(count * kLogRecordSize);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t offset = LogAreaStart + kLogRecordSize * ((firstSlot + i) % kLogSlotCount);
        if (offset + kLogRecordSize > image.size()) {
            copy.problem = "the memory image ends at byte " + std::to_string(image.size()) + "; " +
                           std::to_string(count - i) + " of its " + std::to_string(count) +
                           " log records were not copied";
            break;
        }
        copy.records.insert(copy.records.end(), image.begin() + offset, image.begin() + offset + kLogRecordSize);
    }
    return copy;
}

} // namespace trelm
