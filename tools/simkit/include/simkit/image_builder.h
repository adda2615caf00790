// Builds sampler records and memory images byte by byte from chosen field
// values: the simulator serves such images, and the tests state their input
// with the same builders. Bytes are in the stored order of swap.bin and event
// files; receivedBytes() gives an image as it arrives over the line, before
// the byte-pair swap.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "datafile/records.h"

namespace simkit {

using Bytes = std::vector<std::uint8_t>;

void putShort(Bytes &bytes, std::size_t offset, std::int16_t value);
// The inverse of DecodeLong: high word first, each word little-endian.
void putLong(Bytes &bytes, std::size_t offset, std::int32_t value);

struct LogRow {
    std::int32_t time = 0;
    std::array<std::int16_t, 8> filter{};
    std::array<std::int16_t, 5> flow{};
    std::int16_t ambient = 0;
    std::int16_t pressure = 0;
    std::int16_t pumpBox = 0;
};
Bytes logRecordBytes(const LogRow &row);

// One EventRecord (680 bytes), set field by field.
class EventBuilder {
public:
    EventBuilder();
    EventBuilder &status(std::int16_t code) { return setShort(4, code); }
    EventBuilder &start(std::int32_t t) { return setLong(6, t); }
    EventBuilder &stop(std::int32_t t) { return setLong(10, t); }
    EventBuilder &elapse(std::int32_t seconds) { return setLong(14, seconds); }
    EventBuilder &config(std::int16_t code) { return setShort(18, code); }
    // Temperature or pressure block n: average, minimum, maximum and times.
    EventBuilder &extremes(int block, std::int16_t average, std::int16_t minimum, std::int32_t minimumTime,
                           std::int16_t maximum, std::int32_t maximumTime);
    // Canister block of slot s (block 7 + s).
    EventBuilder &canister(int slot, std::int16_t volume, std::int16_t cv, std::int16_t flow, std::int16_t stdDev);
    EventBuilder &filterWarning(int filter, std::int32_t t) { return setLong(504 + 4 * (filter - 1), t); }
    EventBuilder &maxDt(int filter, std::int16_t value, std::int32_t t);
    EventBuilder &elapseWarning(std::int32_t seconds) { return setLong(584, seconds); }
    EventBuilder &flowWarning(int slot, std::int16_t flow, std::int32_t t);
    EventBuilder &powerFailure(int entry, std::int32_t t) { return setLong(630 + 4 * entry, t); }
    EventBuilder &logAddresses(std::int32_t first, std::int32_t last);
    EventBuilder &setShort(std::size_t offset, std::int16_t value);
    EventBuilder &setLong(std::size_t offset, std::int32_t value);
    const Bytes &bytes() const { return m_bytes; }

private:
    Bytes m_bytes;
};

struct Header {
    std::int16_t modelFlag = 0;
    std::int16_t firmware = 0x0102;
    std::int16_t unitId = 123;
};
Bytes headerBytes(const Header &header);

// A full memory image of 114688 bytes, all zero until set.
class ImageBuilder {
public:
    explicit ImageBuilder(const Header &header);
    ImageBuilder &slot(int n, const EventBuilder &event); // n = 1..24
    ImageBuilder &logSlot(int j, const LogRow &row);      // j = 0..2585
    static std::int32_t logAddress(int j) {
        return static_cast<std::int32_t>(trelm::MemoryImage::LogAreaStart + trelm::kLogRecordSize * j);
    }
    const Bytes &bytes() const { return m_bytes; }
    Bytes receivedBytes() const; // every byte pair exchanged

private:
    Bytes m_bytes;
};

} // namespace simkit
