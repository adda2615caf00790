#include "line_options.h"

#include "common/com_device.h"
#include "status_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace korlinkxfer {
namespace {

namespace fs = std::filesystem;

// The COM number a --device path is opened as: above the numbers a host
// program's port options use, so it stands for none of them.
constexpr int kDevicePort = 99;

// The rates the library's serial device takes.
constexpr int kBauds[] = {50,   75,   110,  134,  150,   200,   300,   600,    1200,   1800,
                          2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};

struct Named {
    const char *name;
    int value;
};

constexpr Named kParities[] = {{"none", KORLINK_PARITY_NONE}, {"odd", KORLINK_PARITY_ODD},
                               {"even", KORLINK_PARITY_EVEN}, {"mark", KORLINK_PARITY_MARK},
                               {"space", KORLINK_PARITY_SPACE}};
constexpr Named kStopBits[] = {{"1", KORLINK_STOPBITS_ONE}, {"1.5", KORLINK_STOPBITS_ONE_AND_HALF},
                               {"2", KORLINK_STOPBITS_TWO}};
constexpr Named kFlows[] = {{"none", static_cast<int>(Flow::None)}, {"rtscts", static_cast<int>(Flow::RtsCts)},
                            {"xonxoff", static_cast<int>(Flow::XonXoff)}};

template <size_t N>
std::optional<int> lookUp(const Named (&table)[N], const std::string &text) {
    for (const Named &entry : table)
        if (text == entry.name) return entry.value;
    return std::nullopt;
}

template <size_t N>
std::string choices(const Named (&table)[N]) {
    std::string text;
    for (const Named &entry : table) {
        if (!text.empty()) text += ", ";
        text += entry.name;
    }
    return text;
}

template <size_t N>
const char *nameOf(const Named (&table)[N], int value) {
    for (const Named &entry : table)
        if (entry.value == value) return entry.name;
    return "?";
}

std::string quoted(const std::string &text) { return "'" + text + "'"; }

std::optional<int> wholeNumber(const std::string &text) {
    char *end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || errno != 0 || value < 0 || value > 99999999) return std::nullopt;
    return static_cast<int>(value);
}

std::string bad(const std::string &option, const std::string &value, const std::string &why) {
    return option + ": " + quoted(value) + " " + why;
}

std::string takeBaud(const std::string &value, LineOptions &line) {
    std::optional<int> rate = wholeNumber(value);
    for (int known : kBauds)
        if (rate == known) {
            line.baud = known;
            return {};
        }
    std::string list;
    for (int known : kBauds) {
        if (!list.empty()) list += ' ';
        list += std::to_string(known);
    }
    return bad("--baud", value, "is not a rate the line takes (" + list + ")");
}

// The device a path names, following links (/dev/serial/by-id/... points at
// the tty itself).
std::string takeDevice(const std::string &value, LineOptions &line) {
    std::error_code error;
    fs::path resolved = fs::canonical(value, error);
    if (error) return bad("--device", value, "cannot be found: " + error.message());
    struct stat info {};
    if (stat(resolved.c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return bad("--device", value, "is not a serial device (" + resolved.string() + ")");
    line.device = value;
    line.devicePath = resolved.string();
    return {};
}

bool pseudoTerminal(const std::string &path) { return path.rfind("/dev/pts/", 0) == 0; }

// Sets one format item; an error, or a note when a pseudo-terminal (which
// keeps 8 data bits and no parity) refused it: the library still records
// it in the port's data-format word, which Kermit reads for its prefixing.
void setFormat(PortHandle port, int16_t item, int value, const std::string &what, const std::string &path,
               OpenedLine &opened) {
    if (COMMDataFormatSet(port, item, static_cast<uint16_t>(value)) == KORLINK_OK) return;
    if (pseudoTerminal(path)) {
        if (!opened.note.empty()) opened.note += ", ";
        opened.note += what;
        return;
    }
    if (opened.error.empty()) opened.error = path + ": the device does not take " + what;
}

void applyFlow(PortHandle port, Flow flow) {
    switch (flow) {
    case Flow::None: break;
    case Flow::RtsCts:
        COMMTxXlatSet(port, KORLINK_TX_FLOW, KORLINK_FLOW_TX_CTS);
        COMMRxXlatSet(port, KORLINK_RX_FLOW, KORLINK_FLOW_RX_RTS);
        break;
    case Flow::XonXoff:
        COMMTxXlatSet(port, KORLINK_TX_FLOW, KORLINK_FLOW_XONXOFF);
        COMMRxXlatSet(port, KORLINK_RX_FLOW, KORLINK_FLOW_XONXOFF);
        break;
    }
}

}  // namespace

std::optional<std::string> takeLineValue(const std::string &option, const std::string &value, LineOptions &line) {
    if (option == "--device") return takeDevice(value, line);
    if (option == "--baud") return takeBaud(value, line);
    if (option == "--data-bits") {
        std::optional<int> bits = wholeNumber(value);
        if (!bits || *bits < 5 || *bits > 8) return bad(option, value, "is not a number of data bits (5 to 8)");
        line.dataBits = *bits;
        return std::string();
    }
    if (option == "--parity") {
        std::optional<int> parity = lookUp(kParities, value);
        if (!parity) return bad(option, value, "is not one of " + choices(kParities));
        line.parity = *parity;
        return std::string();
    }
    if (option == "--stop-bits") {
        std::optional<int> stop = lookUp(kStopBits, value);
        if (!stop) return bad(option, value, "is not one of " + choices(kStopBits));
        line.stopBits = *stop;
        return std::string();
    }
    if (option == "--flow") {
        std::optional<int> flow = lookUp(kFlows, value);
        if (!flow) return bad(option, value, "is not one of " + choices(kFlows));
        line.flow = static_cast<Flow>(*flow);
        return std::string();
    }
    return std::nullopt;
}

std::string checkLine(const LineOptions &line) {
    if (line.port != 0 && !line.device.empty()) return "--port and --device name two lines; give one";
    if (line.port == 0 && line.device.empty())
        return "--port N or --device PATH is missing (the COM port number, or the serial device)";
    return {};
}

std::string lineName(const LineOptions &line) {
    return line.device.empty() ? "COM " + std::to_string(line.port) : line.device;
}

OpenedLine openLine(const LineOptions &line) {
    OpenedLine opened;
    int com = line.port;
    if (!line.device.empty()) {
        // The library opens COM n at the device its environment names.
        com = kDevicePort;
        setenv(korlink::common::comVariable(com).c_str(), line.devicePath.c_str(), 1);
    }
    opened.port = COMMWinInit(static_cast<int16_t>(com), line.baud, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE,
                              32000, 512);
    if (!opened.port) {
        int code = COMMErrnoGet(nullptr);
        std::string reason = code == KORLINK_E_DEVICE ? deviceProblem(com) : codeMeaning(code);
        opened.error = lineName(line) + ": " + reason + " (code " + std::to_string(code) + ")";
        return opened;
    }
    std::string path = korlink::common::comDevicePath(com);
    if (line.dataBits != 0)
        setFormat(opened.port, KORLINK_ITEM_DATABITS, line.dataBits, std::to_string(line.dataBits) + " data bits",
                  path, opened);
    if (line.parity >= 0)
        setFormat(opened.port, KORLINK_ITEM_PARITY, line.parity, std::string(nameOf(kParities, line.parity)) + " parity",
                  path, opened);
    if (line.stopBits != 0)
        setFormat(opened.port, KORLINK_ITEM_STOPBITS, line.stopBits,
                  std::string(nameOf(kStopBits, line.stopBits)) + " stop bits", path, opened);
    if (line.flow) applyFlow(opened.port, *line.flow);
    if (!opened.note.empty())
        opened.note = path + " is a pseudo-terminal, which keeps 8 data bits and no parity: " + opened.note +
                      " apply to the transfer only (Kermit prefixes eighth bits)";
    if (!opened.error.empty()) {
        COMMPortDeinit(opened.port, 0);
        opened.port = nullptr;
    }
    return opened;
}

}  // namespace korlinkxfer
