// The sampler's record layouts as they stand in swap.bin and in event files:
// packed, 16-bit fields little-endian, 32-bit fields two little-endian words
// with the high word first (read only through DecodeLong). Records are decoded
// field by field from byte buffers; nothing is reinterpreted in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace trelm {

using Bytes = std::span<const std::uint8_t>;

// Sizes and positions of the layouts.
inline constexpr std::size_t kFileHeaderSize = 6;
inline constexpr std::size_t kEventRecordSize = 680;
inline constexpr std::size_t kStatBlockSize = 30;
inline constexpr std::size_t kStatBlockCount = 16;
inline constexpr std::size_t kLogRecordSize = 38;
// A complete event file holds at least the header and its event record.
inline constexpr std::size_t kEventFileMinSize = kFileHeaderSize + kEventRecordSize;

// The memory image: header, event slots, then the log ring.
namespace MemoryImage {
inline constexpr std::size_t kEventAreaEnd = 16384;
// (16384 - 6) / 680 rounded to the nearest whole number, as the sampler lays it out.
inline constexpr std::size_t kEventSlotCount = 24;
inline constexpr std::size_t LogAreaStart = 16384;
inline constexpr std::size_t LogAreaLastSlot = 114614;
inline constexpr std::size_t LogAreaEnd = 114688;
inline constexpr std::size_t kLogSlotCount = (LogAreaEnd - LogAreaStart) / kLogRecordSize; // 2586
inline constexpr std::size_t kSize = LogAreaEnd;

// Offset of event slot n, counting from 1.
constexpr std::size_t eventSlotOffset(std::size_t n) {
    return kFileHeaderSize + kEventRecordSize * (n - 1);
}
} // namespace MemoryImage

// Reads a 32-bit field stored as high word, low word, each little-endian:
// stored bytes s0 s1 s2 s3 give s1·2^24 + s0·2^16 + s3·2^8 + s2, signed.
std::int32_t DecodeLong(const std::uint8_t *stored);
// Reads a little-endian signed 16-bit field.
std::int16_t decodeShort(const std::uint8_t *stored);

struct FileHeader {
    std::int16_t modelFlag = 0; // 0 = five-channel model, other = eight-channel
    std::int16_t firmware = 0;
    std::int16_t unitId = 0;
};

// Statistics of one measured channel. Temperature and pressure blocks use
// average/minimum/maximum and their times; canister blocks use volume,
// average (flow), stdDev and cv.
struct StatBlock {
    std::int16_t volume = 0;  // litres
    std::int16_t average = 0; // tenths of °C, whole mmHg, or hundredths of L/min
    std::int16_t stdDev = 0;  // hundredths of L/min
    std::int16_t cv = 0;      // tenths of %
    std::int16_t minimum = 0;
    std::int16_t maximum = 0;
    std::int32_t minimumTime = 0;
    std::int32_t maximumTime = 0;
};

inline constexpr int kFilterChannels = 8;
inline constexpr int kCanisters = 5;
inline constexpr int kPowerFailureEntries = 10;

struct EventRecord {
    std::int16_t status = 0; // 0 = empty slot
    std::int32_t start = 0;
    std::int32_t stop = 0;
    std::int32_t elapse = 0; // seconds
    std::int16_t samplerConfig = 0;
    std::array<StatBlock, kStatBlockCount> stats{};
    std::array<std::int32_t, kFilterChannels> filterTemperatureWarning{}; // time, 0 = none
    std::array<std::int16_t, kFilterChannels> maxDt{};                    // tenths of °C
    std::array<std::int32_t, kFilterChannels> maxDtTime{};                // 0 = none
    std::int32_t elapseWarning = 0;                                       // seconds, 0 = none
    std::array<std::int16_t, kCanisters> flowWarning{};     // hundredths of L/min, 0 = none
    std::array<std::int32_t, kCanisters> flowWarningTime{};
    std::array<std::int32_t, kPowerFailureEntries> powerFailures{}; // 0 = unused
    std::int32_t firstLogAddress = 0; // offset in the memory image, 0 = no log
    std::int32_t lastLogAddress = 0;
};

// Statistic blocks other than the per-channel ones.
inline constexpr int kAmbientBlock = 13;
inline constexpr int kPressureBlock = 14;

struct LogRecord {
    std::int32_t time = 0; // 0 ends a log
    std::array<std::int16_t, kFilterChannels> filterTemperature{}; // five-channel: [0] only
    std::array<std::int16_t, kCanisters> flow{}; // per canister slot; [4] five-channel only
    std::int16_t ambientTemperature = 0;
    std::int16_t ambientPressure = 0;
    std::int16_t pumpBoxTemperature = 0;
};

// Each parser needs its record's full size in `bytes`; callers check lengths.
FileHeader parseFileHeader(Bytes bytes);
EventRecord parseEventRecord(Bytes bytes);
LogRecord parseLogRecord(Bytes bytes);

} // namespace trelm
