// The line korlink-xfer opens: a COM number or any serial device, its baud
// rate, character format and flow control, set through the library's port
// and line-control calls.
#pragma once

#include "korlink.h"

#include <optional>
#include <string>

namespace korlinkxfer {

enum class Flow { None, RtsCts, XonXoff };

struct LineOptions {
    int port = 0;                  // COM number (--port), 0 when not given
    std::string device;            // --device as given, empty when not given
    std::string devicePath;        // the device the link resolves to
    int baud = 9600;
    int dataBits = 0;              // 0: not given (8)
    int parity = -1;               // KORLINK_PARITY_*, -1 not given (none)
    int stopBits = 0;              // KORLINK_STOPBITS_*, 0 not given (one)
    std::optional<Flow> flow;
};

// Reads `option` with `value` when it is a line option: nullopt when the
// option is not one, else an error message (empty when the value is good).
std::optional<std::string> takeLineValue(const std::string &option, const std::string &value,
                                         LineOptions &line);

// Checks the options together once all are read; an error message or empty.
std::string checkLine(const LineOptions &line);

// What the opened line is called in messages: "COM 3" or the device path.
std::string lineName(const LineOptions &line);

struct OpenedLine {
    PortHandle port = nullptr;
    std::string error;             // why it could not be opened or set up
    std::string note;              // settings a pseudo-terminal cannot take
};

// Opens the line and applies the options.
OpenedLine openLine(const LineOptions &line);

}  // namespace korlinkxfer
