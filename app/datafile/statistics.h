// The catalogue of stored event statistics: which stored field carries which
// quantity, how it is scaled and formatted, and when a warning counts. The
// program computes no statistic itself; everything comes from the record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datafile/records.h"

namespace trelm {

// The stored integer with a decimal point inserted `decimals` places from
// the right, at least one digit before it: (-5, 1) gives -0.5, (1234, 3)
// gives 1.234. Exact; nothing is rounded. Decimals 0 gives the plain number.
std::string formatScaled(long stored, int decimals);

inline std::string formatTenths(long stored) { return formatScaled(stored, 1); }
inline std::string formatHundredths(long stored) { return formatScaled(stored, 2); }

// Statistic blocks by channel.
const StatBlock &filterBlock(const EventRecord &event, int filter);  // filter 1..8
const StatBlock &canisterBlock(const EventRecord &event, int slot);  // slot 1..5
const StatBlock &ambientBlock(const EventRecord &event);
const StatBlock &pressureBlock(const EventRecord &event);

struct CanisterFigures {
    std::string volume; // m³, "0.000"
    std::string cv;     // %, "0.0"
    std::string flow;   // average, L/min, "0.00"
    std::string stdDev; // L/min, "0.00"
};
CanisterFigures canisterFigures(const StatBlock &block);

// A warning or maximum that happened: its value text (where it has one)
// and its time stamp.
struct Occurrence {
    std::string value;
    std::int32_t time = 0;
};

// Filter temperature warning of filter c: present when its time is non-zero.
std::optional<Occurrence> filterTemperatureWarning(const EventRecord &event, int filter);
// Max dT of filter c ("0.0" °C): present when its time is non-zero.
std::optional<Occurrence> maxDtOf(const EventRecord &event, int filter);
// Flow warning of canister slot s ("0.00" L/min): present when the stored
// flow is non-zero, whatever its time stamp.
std::optional<Occurrence> flowWarningOf(const EventRecord &event, int slot);

// Elapse warning: present when the stored reference is non-zero. The
// relation is " > " when the reference is below the elapse, else " < ".
struct ElapseWarning {
    std::string elapse;
    std::string relation;
    std::string reference;
};
std::optional<ElapseWarning> elapseWarningOf(const EventRecord &event);

// The non-zero power-failure stamps in stored order.
std::vector<std::int32_t> powerFailuresOf(const EventRecord &event);

} // namespace trelm
