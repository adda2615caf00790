#include "datafile/records.h"

#include <cassert>

namespace trelm {

std::int32_t DecodeLong(const std::uint8_t *stored) {
    // Assembled unsigned, then converted: well defined for every bit pattern.
    const std::uint32_t value = (std::uint32_t{stored[1]} << 24) | (std::uint32_t{stored[0]} << 16) |
                                (std::uint32_t{stored[3]} << 8) | std::uint32_t{stored[2]};
    return static_cast<std::int32_t>(value);
}

std::int16_t decodeShort(const std::uint8_t *stored) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(stored[0] | (stored[1] << 8)));
}

FileHeader parseFileHeader(Bytes bytes) {
    assert(bytes.size() >= kFileHeaderSize);
    const std::uint8_t *p = bytes.data();
    return FileHeader{decodeShort(p), decodeShort(p + 2), decodeShort(p + 4)};
}

namespace {

StatBlock parseStatBlock(const std::uint8_t *p) {
    StatBlock block;
    block.volume = decodeShort(p + 6);
    block.average = decodeShort(p + 8);
    block.stdDev = decodeShort(p + 10);
    block.cv = decodeShort(p + 12);
    block.minimum = decodeShort(p + 14);
    block.maximum = decodeShort(p + 16);
    block.minimumTime = DecodeLong(p + 18);
    block.maximumTime = DecodeLong(p + 22);
    return block;
}

template <typename T, std::size_t N, typename Decode>
void parseArray(std::array<T, N> &out, const std::uint8_t *p, std::size_t step, Decode decode) {
    for (std::size_t i = 0; i < N; ++i)
        out[i] = decode(p + step * i);
}

} // namespace

EventRecord parseEventRecord(Bytes bytes) {
    assert(bytes.size() >= kEventRecordSize);
    const std::uint8_t *p = bytes.data();
    EventRecord record;
    record.status = decodeShort(p + 4);
    record.start = DecodeLong(p + 6);
    record.stop = DecodeLong(p + 10);
    record.elapse = DecodeLong(p + 14);
    record.samplerConfig = decodeShort(p + 18);
    for (std::size_t n = 0; n < kStatBlockCount; ++n)
        record.stats[n] = parseStatBlock(p + 20 + kStatBlockSize * n);
    parseArray(record.filterTemperatureWarning, p + 504, 4, DecodeLong);
    parseArray(record.maxDt, p + 536, 2, decodeShort);
    parseArray(record.maxDtTime, p + 552, 4, DecodeLong);
    record.elapseWarning = DecodeLong(p + 584);
    parseArray(record.flowWarning, p + 596, 2, decodeShort);
    parseArray(record.flowWarningTime, p + 606, 4, DecodeLong);
    parseArray(record.powerFailures, p + 630, 4, DecodeLong);
    record.firstLogAddress = DecodeLong(p + 670);
    record.lastLogAddress = DecodeLong(p + 674);
    return record;
}

LogRecord parseLogRecord(Bytes bytes) {
    assert(bytes.size() >= kLogRecordSize);
    const std::uint8_t *p = bytes.data();
    LogRecord record;
    record.time = DecodeLong(p);
    parseArray(record.filterTemperature, p + 4, 2, decodeShort);
    parseArray(record.flow, p + 20, 2, decodeShort);
    record.ambientTemperature = decodeShort(p + 30);
    record.ambientPressure = decodeShort(p + 32);
    record.pumpBoxTemperature = decodeShort(p + 34);
    return record;
}

} // namespace trelm
