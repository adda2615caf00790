// What the archive stores of an event file, as named columns with values:
// every statistics figure of the event and every quantity of its log,
// scaled as the grids show them (the text forms of datafile/statistics.h
// read back as numbers), NULL where the event's channels show nothing.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "datafile/event_file.h"
#include "grids/channel_layouts.h"

namespace archive {

// NULL, a whole number (time stamps, codes) or a scaled figure.
using Value = std::variant<std::monostate, std::int64_t, double>;

enum class ColumnKind { Figure, Stamp };

struct Column {
    std::string name;
    ColumnKind kind = ColumnKind::Figure;
};

// A quantity of the data log: its column, its unit as the grid's header
// row shows it, and the decimals of its text form.
struct Quantity {
    std::string name;
    std::string unit;
    int decimals = 0;
};

inline constexpr int kArchivedChannels = 8; // filters 1..8, canister labels 1..8

// The quantities an event's data log grid shows after ambient and pressure:
// filter temperatures, flows (each of its canister's slot) and whether the
// pump box temperature is there.
struct LogColumns {
    std::vector<int> filters;
    std::vector<trelm::Canister> canisters;
    bool pumpBox = false;
};

// ambient, pressure, filter1..8, flow1..8 (by canister label), pump_box.
const std::vector<Quantity> &logQuantities();
// The data log columns the event's channels show, as the grid takes them.
LogColumns logColumnsOf(const trelm::EventFile &file);
// A record's values in the order of logQuantities(); NULL where `columns`
// show nothing.
std::vector<Value> logValues(const trelm::LogRecord &record, const LogColumns &columns);

// ambient_/pressure_/filterN_ average, maximum(_time), minimum(_time);
// canisterN_ volume, cv, flow, std_dev.
const std::vector<Column> &eventFigureColumns();
// The event's figures in the order of eventFigureColumns().
std::vector<Value> eventFigureValues(const trelm::EventFile &file);

// One warning of an event as the warnings grid lists it.
struct WarningRow {
    std::string kind;  // "filter temperature", "max dT", "elapse", "flow"
    int channel = 0;   // filter or canister label; 0 for the elapse
    Value value;       // °C, L/min or the elapse reference in seconds
    std::string text;  // the grid's text of the value
    Value time;        // the stamp, NULL for the elapse
};
std::vector<WarningRow> warningRows(const trelm::EventFile &file);

// The number a text form stands for ("12.3" gives 12.3).
double figureNumber(const std::string &text);
// A stored number in the text form of `decimals` places ("12.30" for 2),
// the form formatScaled() gives the stored integer; appendFigure() adds it
// to `text` without a string of its own, for long series.
std::string figureText(double number, int decimals);
void appendFigure(std::string &text, double number, int decimals);

// The names of the quantities `columns` show, comma-separated in the order
// of logQuantities(): what an event's log holds.
std::string quantityList(const LogColumns &columns);

} // namespace archive
