// korlink-xfer: receive or send files over a serial port with the XMODEM
// family or Kermit, printing the transfer's status reports, a progress
// line per file and a summary.
//
//   korlink-xfer receive --port N|--device PATH --protocol P [--dir DIR] [--name NAME]
//   korlink-xfer send --port N|--device PATH --protocol P FILE...
#include "korlink.h"
#include "line_options.h"
#include "protocols.h"
#include "session.h"
#include "status_text.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace korlinkxfer;

std::string usageText() {
    return "Usage:\n"
           "  korlink-xfer receive LINE --protocol P [--dir DIR] [--name NAME] [options]\n"
           "  korlink-xfer send LINE --protocol P [options] FILE...\n"
           "  korlink-xfer --version\n"
           "\n"
           "Moves files over a serial line, by default at 9600 baud, 8 data bits, no\n"
           "parity, one stop bit, no flow control. LINE is one of:\n"
           "  --port N        COM N: the device in $KORLINK_COM<N>, else /dev/ttyS<N-1>\n"
           "  --device PATH   any serial device or pseudo-terminal, links such as\n"
           "                  /dev/serial/by-id/... included\n"
           "\n"
           "Line settings:\n"
           "  --baud N        50 to 921600, a standard rate (default 9600)\n"
           "  --data-bits N   5 to 8 (default 8)\n"
           "  --parity P      none, odd, even, mark or space (default none); with\n"
           "                  parity Kermit prefixes bytes with the eighth bit set\n"
           "  --stop-bits N   1, 1.5 or 2 (default 1)\n"
           "  --flow F        none, rtscts or xonxoff (default none)\n"
           "\n"
           "Protocols (P is the number or the name):\n" +
           protocolHelp() +
           "\n"
           "  --dir DIR       receive into DIR, which must exist (default: the current\n"
           "                  directory)\n"
           "  --name NAME     write the received data under NAME (default: the name the\n"
           "                  sender announces, or temp0000.$$$ for XMODEM)\n"
           "  --rename        receive: do not overwrite, rename to NAME.DL0..DL9\n"
           "  --resume        zmodem: continue a partial file from its length (receive),\n"
           "                  ask the receiver to continue its partial files (send)\n"
           "  --timeout MS    wait at most MS milliseconds for each byte (default 10000;\n"
           "                  ascii: the silence that ends the capture, or the longest a\n"
           "                  send may be held; Kermit: for each packet, in whole\n"
           "                  seconds, default 3)\n"
           "  --retries N     retry limit (default 10; Kermit 5)\n"
           "  --verbose       print every report, also those that come with each block,\n"
           "                  instead of the progress line\n"
           "  --help          show this text\n"
           "\n"
           "Reports go to stdout, ending with a summary; a progress line per file goes\n"
           "to stderr. Exit status 0 when every file was transferred, 1 when the line\n"
           "could not be opened or a transfer failed, 2 when the command line was\n"
           "refused (an option, a setting or a file that cannot be used).\n";
}

// Exit statuses: the line or the transfer failed; the command line was
// refused before any line was opened.
constexpr int kExitFailed = 1;
constexpr int kExitRefused = 2;

struct Options {
    std::string command;
    LineOptions line;
    const Protocol *protocol = nullptr;
    std::string dir;
    TransferSettings settings;
    bool verbose = false;
    std::vector<std::string> files;
};

std::unique_ptr<Session> g_session;
volatile std::sig_atomic_t g_interrupted = 0;

int statusLine(PortHandle, int32_t status, intptr_t param) {
    g_session->onReport(status, param);
    return 0;
}

// Ctrl-C acts as the cancel key (Escape) of the library's waits.
int interruptPump() { return g_interrupted ? 283 : 0; }
void onInterrupt(int) { g_interrupted = 1; }

// A whole number in 1..limit, or 0.
int parseCount(const std::string &text, long limit) {
    char *end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    return (!text.empty() && *end == 0 && errno == 0 && value > 0 && value <= limit) ? static_cast<int>(value) : 0;
}

std::string quoted(const std::string &text) { return "'" + text + "'"; }

// Reads one option with a value; an error message, or empty.
std::string takeValue(const std::string &option, const std::string &value, Options &options) {
    if (std::optional<std::string> error = takeLineValue(option, value, options.line)) return *error;
    if (option == "--port") {
        options.line.port = parseCount(value, 32767);
        if (!options.line.port) return "--port: " + quoted(value) + " is not a port number (1 to 32767)";
    } else if (option == "--protocol") {
        options.protocol = findProtocol(value);
        if (!options.protocol) return "--protocol: " + quoted(value) + " is not one of " + protocolChoices();
    } else if (option == "--timeout" || option == "--retries") {
        int count = parseCount(value, 999999);
        if (!count) return option + ": " + quoted(value) + " is not a whole number above 0";
        (option == "--timeout" ? options.settings.timeoutMs : options.settings.retries) = count;
    } else if (option == "--dir") {
        options.dir = value;
    } else if (option == "--name") {
        options.settings.name = value;
    } else {
        return "unknown option " + option;
    }
    return {};
}

// Fills `options`; an error message, or empty when the command line is good.
std::string parseArguments(int argc, char **argv, Options &options) {
    if (argc < 2) return "missing command (receive or send)";
    options.command = argv[1];
    if (options.command != "receive" && options.command != "send")
        return "unknown command " + quoted(options.command) + " (receive or send)";
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--verbose") options.verbose = true;
        else if (arg == "--rename") options.settings.rename = true;
        else if (arg == "--resume") options.settings.resume = true;
        else if (arg.rfind("--", 0) != 0) options.files.push_back(arg);
        else if (i + 1 >= argc) return "option " + arg + " needs a value";
        else if (std::string error = takeValue(arg, argv[++i], options); !error.empty()) return error;
    }
    if (std::string error = checkLine(options.line); !error.empty()) return error;
    if (!options.protocol) return "--protocol is missing (one of " + protocolChoices() + ")";
    if (options.command == "send" && !options.protocol->sends)
        return std::string("protocol ") + options.protocol->name + " can only receive";
    if (options.command == "send" && options.files.empty()) return "send needs at least one FILE";
    if (!options.settings.name.empty() && options.files.size() > 1)
        return "--name names one file; " + std::to_string(options.files.size()) + " were given";
    if (options.command == "receive" && !options.files.empty()) return "receive takes no FILE";
    bool zmodem = options.protocol->code == KORLINK_PROTO_ZMODEM;
    if (options.settings.resume && !zmodem) return "--resume works with zmodem only";
    if (zmodem && !options.settings.name.empty()) return "--name: zmodem keeps the names the sender gives";
    return {};
}

// Every file to send must be a readable regular file: checked before the
// transfer starts, so that a typo does not end a batch half way.
std::string checkSendFiles(const Options &options) {
    for (const std::string &file : options.files) {
        struct stat info {};
        if (stat(file.c_str(), &info) != 0) return file + ": " + std::strerror(errno);
        if (S_ISDIR(info.st_mode)) return file + ": is a folder; send takes files";
        if (!S_ISREG(info.st_mode)) return file + ": not a regular file";
        if (access(file.c_str(), R_OK) != 0) return file + ": " + std::strerror(errno);
    }
    return {};
}

// The closing lines: the summary on stdout, and on failure one line on
// stderr with the code's meaning and what the transfer did achieve.
int finish(const char *what, int16_t result, int16_t lastError) {
    g_session->closeProgress();
    std::printf("%s\n", g_session->summary().c_str());
    std::fflush(stdout);
    if (result == 0 && lastError == 0) {
        if (std::string note = g_session->note(); !note.empty())
            std::fprintf(stderr, "korlink-xfer: note: %s\n", note.c_str());
        return 0;
    }
    int code = lastError != 0 ? lastError : result;
    std::string outcome = g_session->outcome(code);
    std::fprintf(stderr, "korlink-xfer: %s failed: %s (code %d)%s%s\n", what, codeMeaning(code).c_str(), code,
                 outcome.empty() ? "" : "; ", outcome.c_str());
    return kExitFailed;
}

int receive(PortHandle port, const Options &options) {
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0) {
        std::fprintf(stderr, "korlink-xfer: %s: cannot receive into this folder: %s\n", options.dir.c_str(),
                     std::strerror(errno));
        return kExitFailed;
    }
    int16_t result = freceive(port, static_cast<int16_t>(options.protocol->code), 4096, statusLine, 0);
    return finish("receive", result, COMMErrnoGet(port));
}

int send(PortHandle port, const Options &options) {
    for (const std::string &file : options.files) {
        if (fqueue(0, file.c_str()) != 0) {
            std::fprintf(stderr, "korlink-xfer: %s: cannot be queued\n", file.c_str());
            return kExitFailed;
        }
    }
    int16_t result = fsend(port, 0, static_cast<int16_t>(options.protocol->code), 4096, statusLine, 0);
    return finish("send", result, COMMErrnoGet(port));
}

}  // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usageText().c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("korlink-xfer %s\n", KORLINK_XFER_VERSION);
            return 0;
        }
    }
    Options options;
    std::string error = parseArguments(argc, argv, options);
    if (error.empty() && options.command == "send") error = checkSendFiles(options);
    if (!error.empty()) {
        std::fprintf(stderr, "korlink-xfer: %s (see --help)\n", error.c_str());
        return kExitRefused;
    }
    g_session = std::make_unique<Session>(options.command == "send", options.verbose,
                                          options.protocol->code == KORLINK_PROTO_KERMIT);
    COMMPumpHookSet(interruptPump);
    std::signal(SIGINT, onInterrupt);
    OpenedLine line = openLine(options.line);
    if (!line.port) {
        std::fprintf(stderr, "korlink-xfer: %s\n", line.error.c_str());
        return kExitFailed;
    }
    if (!line.note.empty()) std::fprintf(stderr, "korlink-xfer: note: %s\n", line.note.c_str());
    PortHandle port = line.port;
    options.protocol->apply(port, options.settings);
    int status = options.command == "receive" ? receive(port, options) : send(port, options);
    COMMPortDeinit(port, 0);
    return status;
}
