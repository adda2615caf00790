// korlink-xfer: receive or send files over a serial port with the XMODEM
// family or Kermit, printing the transfer's status reports.
//
//   korlink-xfer receive --port N --protocol P [--dir DIR] [--name NAME]
//   korlink-xfer send --port N --protocol P FILE...
#include "korlink.h"
#include "status_text.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char *usageText =
    "Usage:\n"
    "  korlink-xfer receive --port N --protocol P [--dir DIR] [--name NAME] [options]\n"
    "  korlink-xfer send --port N --protocol P [options] FILE...\n"
    "\n"
    "Moves files over serial port COM N (the device in $KORLINK_COM<N>, else\n"
    "/dev/ttyS<N-1>) at 9600 baud, 8 data bits, no parity, one stop bit.\n"
    "\n"
    "Protocols: 105 or xmodem (checksum), 106 or xmodem-crc, 107 or xmodem-1k,\n"
    "           108 or ymodem (batch), 109 or ymodem-g (streaming batch),\n"
    "           104 or kermit (batch), 100 or ascii (receive only: raw text\n"
    "           until the line is silent)\n"
    "  --dir DIR       receive into DIR (default: the current directory)\n"
    "  --name NAME     write the received data under NAME (default: the name the\n"
    "                  sender announces, or temp0000.$$$ for XMODEM)\n"
    "  --rename        receive: do not overwrite, rename to NAME.DL0..DL9\n"
    "  --timeout MS    wait at most MS milliseconds for each byte (default 10000;\n"
    "                  ascii: the silence that ends the capture; Kermit: for each\n"
    "                  packet, in whole seconds, default 3)\n"
    "  --retries N     retry limit (default 10; Kermit 5)\n"
    "  --verbose       also print the reports that come with every block\n"
    "  --help          show this text\n"
    "\n"
    "Exit status 0 when every file was transferred, 1 otherwise.\n";

struct Options {
    std::string command;
    int port = 0;
    int protocol = 0;
    std::string dir;
    std::string name;
    bool rename = false;
    int timeoutMs = 0;
    int retries = 0;
    bool verbose = false;
    std::vector<std::string> files;
};

bool g_sending = false;
bool g_verbose = false;
volatile std::sig_atomic_t g_interrupted = 0;

int statusLine(PortHandle, int32_t status, intptr_t param) {
    if (g_verbose || !korlinkxfer::isPerBlockReport(status, param))
        std::printf("%s\n", korlinkxfer::describeStatus(status, param, g_sending).c_str());
    std::fflush(stdout);
    return 0;
}

// Ctrl-C acts as the cancel key (Escape) of the library's waits.
int interruptPump() { return g_interrupted ? 283 : 0; }
void onInterrupt(int) { g_interrupted = 1; }

// The protocols the tool offers, by code and name.
struct Protocol {
    int code;
    const char *name;
    bool sends;  // false: receive only
};

constexpr Protocol kProtocols[] = {
    {100, "ascii", false},     {104, "kermit", true},    {105, "xmodem", true}, {106, "xmodem-crc", true},
    {107, "xmodem-1k", true},  {108, "ymodem", true}, {109, "ymodem-g", true},
};

const Protocol *findProtocol(const std::string &text) {
    char *end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    bool numeric = !text.empty() && *end == 0;
    for (const Protocol &protocol : kProtocols)
        if (numeric ? value == protocol.code : text == protocol.name) return &protocol;
    return nullptr;
}

int parseProtocol(const std::string &text) {
    const Protocol *protocol = findProtocol(text);
    return protocol ? protocol->code : 0;
}

int parseCount(const std::string &text) {
    char *end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    return (!text.empty() && *end == 0 && value > 0 && value < 1000000) ? static_cast<int>(value) : 0;
}

// Fills `options`; an error message, or empty when the command line is good.
std::string parseArguments(int argc, char **argv, Options &options) {
    if (argc < 2) return "missing command (receive or send)";
    options.command = argv[1];
    if (options.command != "receive" && options.command != "send")
        return "unknown command '" + options.command + "'";
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--verbose") options.verbose = true;
        else if (arg == "--rename") options.rename = true;
        else if (arg.rfind("--", 0) == 0 && !hasValue) return "option " + arg + " needs a value";
        else if (arg == "--port") options.port = parseCount(argv[++i]);
        else if (arg == "--protocol") options.protocol = parseProtocol(argv[++i]);
        else if (arg == "--dir") options.dir = argv[++i];
        else if (arg == "--name") options.name = argv[++i];
        else if (arg == "--timeout") options.timeoutMs = parseCount(argv[++i]);
        else if (arg == "--retries") options.retries = parseCount(argv[++i]);
        else if (arg.rfind("--", 0) == 0) return "unknown option " + arg;
        else options.files.push_back(arg);
    }
    if (options.port == 0) return "--port N is required (N from 1 up)";
    if (options.protocol == 0) return "--protocol must be 100 or 104..109, or a protocol name";
    if (options.command == "send" && !findProtocol(std::to_string(options.protocol))->sends)
        return "protocol " + std::to_string(options.protocol) + " can only receive";
    if (options.command == "send" && options.files.empty()) return "send needs at least one FILE";
    if (options.command == "receive" && !options.files.empty()) return "receive takes no FILE";
    return {};
}

// ASCII capture keeps its own settings: the time-out is the silence that
// ends the capture.
void applyAsciiSettings(PortHandle port, const Options &options) {
    COMMASCIISet(port, 1, 0);
    if (options.timeoutMs) COMMASCIISet(port, 203, options.timeoutMs);
    if (options.rename) COMMASCIISet(port, 112, 1);
    if (!options.name.empty()) COMMASCIISet(port, 208, reinterpret_cast<intptr_t>(options.name.c_str()));
}

// Kermit's packet waits count whole seconds (its TIME parameter).
void applyKermitSettings(PortHandle port, const Options &options) {
    if (options.retries) COMMKermitSet(port, 207, options.retries);
    if (options.timeoutMs) {
        int seconds = (options.timeoutMs + 999) / 1000;
        COMMKermitSet(port, 513, seconds);
        COMMKermitSet(port, 502, seconds);
    }
    if (options.rename) COMMKermitSet(port, 112, 1);
    if (!options.name.empty()) COMMKermitSet(port, 208, reinterpret_cast<intptr_t>(options.name.c_str()));
}

void applySettings(PortHandle port, const Options &options) {
    if (options.protocol == 100) return applyAsciiSettings(port, options);
    if (options.protocol == 104) return applyKermitSettings(port, options);
    COMMXMODEMSet(port, 1, 0);
    if (options.timeoutMs) COMMXMODEMSet(port, 203, options.timeoutMs);
    if (options.retries) COMMXMODEMSet(port, 207, options.retries);
    if (options.rename) COMMXMODEMSet(port, 112, 1);
    if (!options.name.empty()) COMMXMODEMSet(port, 208, reinterpret_cast<intptr_t>(options.name.c_str()));
}

int receive(PortHandle port, const Options &options) {
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0) {
        std::fprintf(stderr, "korlink-xfer: %s: cannot use as receive folder: %s\n",
                     options.dir.c_str(), std::strerror(errno));
        return 1;
    }
    int16_t result = freceive(port, static_cast<int16_t>(options.protocol), 4096, statusLine, 0);
    int16_t lastError = COMMErrnoGet(port);
    if (result == 0 && lastError == 0) return 0;
    std::fprintf(stderr, "korlink-xfer: receive failed (result %d, code %d)\n", result, lastError);
    return 1;
}

int send(PortHandle port, const Options &options) {
    g_sending = true;
    for (const std::string &file : options.files) {
        if (fqueue(0, file.c_str()) != 0) {
            std::fprintf(stderr, "korlink-xfer: %s: cannot be read\n", file.c_str());
            return 1;
        }
    }
    int16_t result = fsend(port, 0, static_cast<int16_t>(options.protocol), 4096, statusLine, 0);
    int16_t lastError = COMMErrnoGet(port);
    if (result == 0 && lastError == 0) return 0;
    std::fprintf(stderr, "korlink-xfer: send failed (result %d, code %d)\n", result, lastError);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usageText, stdout);
            return 0;
        }
    Options options;
    std::string error = parseArguments(argc, argv, options);
    if (!error.empty()) {
        std::fprintf(stderr, "korlink-xfer: %s (see --help)\n", error.c_str());
        return 1;
    }
    g_verbose = options.verbose;
    COMMPumpHookSet(interruptPump);
    std::signal(SIGINT, onInterrupt);
    PortHandle port = COMMWinInit(static_cast<int16_t>(options.port), 9600, 8, 0, 1, 32000, 512);
    if (!port) {
        std::fprintf(stderr, "korlink-xfer: COM %d: cannot open the port (code %d)\n", options.port,
                     COMMErrnoGet(nullptr));
        return 1;
    }
    applySettings(port, options);
    int status = options.command == "receive" ? receive(port, options) : send(port, options);
    COMMPortDeinit(port, 0);
    return status;
}
