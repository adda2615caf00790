// The catalogue of an event's figures: which stored field carries which
// quantity, how it is scaled and formatted, when a warning counts, which
// channels and filters an event shows and how labels number them. The
// program computes no statistic itself; everything comes from the record.
//
// Every consumer (the grids, the printed reports, the CSV export, `show`)
// takes its figures from here and only places them, so the forms cannot
// drift apart. Formatted texts are the default forms ("0.0", "0.00", "0.000",
// "0"); a consumer that prints with its own number pattern (the reports)
// takes the stored integer, which every figure keeps beside its text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datafile/codes.h"
#include "datafile/records.h"

namespace trelm {

// ---------------------------------------------------------------- numbers

// The stored integer with a decimal point inserted `decimals` places from
// the right, at least one digit before it: (-5, 1) gives -0.5, (1234, 3)
// gives 1.234. Exact; nothing is rounded. Decimals 0 gives the plain number.
std::string formatScaled(long stored, int decimals);

inline std::string formatTenths(long stored) { return formatScaled(stored, 1); }
inline std::string formatHundredths(long stored) { return formatScaled(stored, 2); }

// The Str form of a number: a blank ahead of the digits when it is not
// negative (5 gives " 5"), the minus sign in that place when it is (-5
// gives "-5").
std::string strForm(long number);

// --------------------------------------------------- channels and labels

// The filter channels whose figures an event shows on the grids, the Data
// Log's filter columns and the summary and warnings reports: the
// configuration's filters on the eight-channel model (none for a code
// outside its table), and always filter 1 on the five-channel model, which
// has that single filter whatever its code.
//
// The CSV export keeps its own rule: it writes channel lines only for the
// configuration's channels, activeChannels(...).filters, so a five-channel
// code outside the table writes no filter lines there.
std::vector<int> filtersShown(std::int16_t modelFlag, std::int16_t samplerConfig);

// How labels number an event's channels. Plain labels carry the digit
// straight after the word ("Filter 1:", "Canister 1:", flow-warning number
// "1"); numbered labels carry the channel number in its Str form ("Filter
// " + " 5" + ":") or, for canister statistics lines, plain digits followed
// by a blank ("Canister 5: ").
//   eight-channel configurations 0..3 (one filter): filters and canisters plain;
//   eight-channel configurations 4..11: both numbered;
//   five-channel model: filters always plain, canisters plain for
//   configuration 0 only.
struct LabelForms {
    bool plainFilters = true;
    bool plainCanisters = true;
};
LabelForms labelFormsOf(std::int16_t modelFlag, std::int16_t samplerConfig);

// A channel number in a label: its digits when plain, its Str form otherwise.
std::string labelNumber(int number, bool plain);

// The filter channel whose temperature stands beside a canister's figures
// (the flow statistics grid's "Filter Temp"): the canister's own channel on
// the eight-channel model, filter 1 on the five-channel model.
int filterOfCanister(std::int16_t modelFlag, const Canister &canister);

// ------------------------------------------------------- statistic blocks

// Statistic blocks by channel (raw stored values).
const StatBlock &filterBlock(const EventRecord &event, int filter); // filter 1..8
const StatBlock &canisterBlock(const EventRecord &event, int slot); // slot 1..5
const StatBlock &ambientBlock(const EventRecord &event);
const StatBlock &pressureBlock(const EventRecord &event);

// Average, maximum and minimum of a temperature ("0.0" °C, stored tenths) or
// of the barometric pressure ("0" mmHg, stored whole), with the times of the
// extremes. The stored block stays at hand for other number patterns.
struct ExtremeFigures {
    std::string average;
    std::string maximum;
    std::string minimum;
    std::int32_t maximumTime = 0;
    std::int32_t minimumTime = 0;
    StatBlock stored;
};
ExtremeFigures temperatureFigures(const StatBlock &block);
ExtremeFigures pressureFigures(const StatBlock &block);
inline ExtremeFigures ambientFigures(const EventRecord &event) { return temperatureFigures(ambientBlock(event)); }
inline ExtremeFigures barometricFigures(const EventRecord &event) { return pressureFigures(pressureBlock(event)); }
inline ExtremeFigures filterFigures(const EventRecord &event, int filter) {
    return temperatureFigures(filterBlock(event, filter));
}

struct CanisterFigures {
    std::string volume; // m³, "0.000" (stored litres)
    std::string cv;     // %, "0.0" (stored tenths)
    std::string flow;   // average, L/min, "0.00" (stored hundredths)
    std::string stdDev; // L/min, "0.00" (stored hundredths)
};
CanisterFigures canisterFigures(const StatBlock &block);

// ----------------------------------------------------------------- warnings

// A warning or maximum that happened: its value text and stored value
// (empty and 0 for a warning that is only a time) and its time stamp.
struct Occurrence {
    std::string value;
    long stored = 0;
    std::int32_t time = 0;
};

// Filter temperature warning of filter 1..8: present when its time is
// non-zero (every consumer).
std::optional<Occurrence> filterTemperatureWarning(const EventRecord &event, int filter);

// Which stored field decides that a filter's max dT is shown: its time stamp
// (the CSV export and the warnings report) or the temperature difference
// itself (the warning grid). Each consumer states its own.
enum class MaxDtTest { ByTime, ByValue };
// Max dT of filter 1..8 ("0.0" °C) with its time, when the tested field is
// non-zero.
std::optional<Occurrence> maxDtOf(const EventRecord &event, int filter, MaxDtTest test);

// Flow warning of canister slot 1..5 ("0.00" L/min): present when the stored
// flow is non-zero, whatever its time stamp (every consumer).
std::optional<Occurrence> flowWarningOf(const EventRecord &event, int slot);

// Elapse warning: present when the stored reference is non-zero. The
// relation is " > " when the reference is below the elapse, else " < ".
struct ElapseWarning {
    std::string elapse;    // FormatElapsed of the event's elapse
    std::string relation;  // " > " or " < "
    std::string reference; // FormatElapsed of the stored reference
};
std::optional<ElapseWarning> elapseWarningOf(const EventRecord &event);

// One of the ten power-failure entries, numbered 1..10 as the grid's rows
// and the warnings report's lines show them; a zero time is an unused entry,
// shown blank.
struct PowerFailure {
    int entry = 0;
    std::int32_t time = 0;
    bool occurred() const { return time != 0; }
};
std::array<PowerFailure, kPowerFailureEntries> powerFailureEntries(const EventRecord &event);
// The stamps of the entries that occurred, in stored order.
std::vector<std::int32_t> powerFailuresOf(const EventRecord &event);

// ------------------------------------------------------------- log records

// The quantities of a log record and where each is stored: temperatures in
// tenths of °C, the pressure in whole mmHg, flows in hundredths of L/min.
enum class LogQuantity { Ambient, Pressure, FilterTemperature, Flow, PumpBox };
// Decimal places of a quantity's stored integer.
int logDecimals(LogQuantity quantity);
// The stored integer of a quantity; `channel` is the filter channel 1..8 of
// a filter temperature or the canister slot 1..5 of a flow, else unused.
long storedLogValue(const LogRecord &record, LogQuantity quantity, int channel = 0);

// One log record's values in their default forms, for the channels asked:
// ambient and pump box temperature and filters "0.0", pressure "0", flows
// "0.00". `filters` are filter channels 1..8; `canisters` give the flow of
// each one's slot.
struct LogFigures {
    std::string ambient;
    std::string pressure;
    std::vector<std::string> filters;
    std::vector<std::string> flows;
    std::string pumpBox;
};
LogFigures logFigures(const LogRecord &record, const std::vector<int> &filters,
                      const std::vector<Canister> &canisters);

} // namespace trelm
