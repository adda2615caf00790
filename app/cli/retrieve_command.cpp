#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/retrieve_ui.h"
#include "korlink_binder/com_device.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/retrieval.h"
#include "retrieval/scoped_process_state.h"
#include "settings/ini_file.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink retrieve [--port N | --device PATH] [--events | --all]\n"
    "                          [--dir DIR] [--phone NUMBER] [--verbose]\n"
    "\n"
    "Retrieves a sampler's memory without a window: opens the port, probes\n"
    "what answers (the sampler, a data module, or a modem, which then dials\n"
    "the sampler's modem), wakes the data logger in steps 400 ms apart,\n"
    "receives the memory with XMODEM-CRC and splits it into event files and\n"
    "their CSV files in DIR. Progress goes to stderr, one line per status\n"
    "message; the event files written go to stdout, one a line. The exit\n"
    "status is 0 only when the data is safely on disk. Ctrl-C cancels.\n"
    "\n"
    "--port N       the serial port COM N (default: the port in TRELMLNK.INI)\n"
    "--device PATH  open this device instead (for example /dev/serial/by-id/...)\n"
    "--events       only the event data; --all: all data. Without either the\n"
    "               question is asked when a terminal is attached, and all\n"
    "               data is taken otherwise\n"
    "--dir DIR      where the data goes (default: the current folder)\n"
    "--phone NUMBER the number to dial when a modem answers (default: asked\n"
    "               on the terminal, else the number in TRELMLNK.INI); the\n"
    "               number dialled is stored in TRELMLNK.INI\n"
    "--verbose      shows the intake's status messages too\n";

// The COM number a --device path is opened as: outside COM 1 to 10, so it
// stands for no port option of the window.
constexpr int kDevicePort = 99;
// The highest COM number --port takes.
constexpr int kHighestPort = 255;
// Escape as the library's pump reports it (scan code 1 * 256 + ESC 27):
// what cancels a transfer.
constexpr int kEscapeKey = 283;
// The window's timer StartDownLoad fires every 400 ms.
constexpr std::int32_t kWakeUpTickMs = 400;

volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int) { g_interrupted = 1; }

// The library's pump during a retrieval: an interrupt is the Escape key,
// so a running transfer is cancelled the way the window cancels it.
int interruptPump() { return g_interrupted ? kEscapeKey : 0; }

// Ctrl-C and SIGTERM for the lifetime of the object; the old handlers after.
class InterruptWatch {
public:
    InterruptWatch() {
        g_interrupted = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
        if (korlink::ready())
            korlink::COMMPumpHookSet(&interruptPump);
    }
    ~InterruptWatch() {
        if (korlink::ready())
            korlink::COMMPumpHookSet(nullptr);
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

bool parsePort(const std::string &text, int &port) {
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > kHighestPort)
        return false;
    port = static_cast<int>(value);
    return true;
}

// Runs the retrieval as the window's timer would: one wake-up step per tick.
// A wake-up error ends it, as there is nobody to press "&Retry".
void drive(retrieval::Retrieval &retrieval) {
    retrieval.cmdRetrieve_Click();
    while (retrieval.running()) {
        if (!g_interrupted && retrieval.timerEnabled()) {
            korlink::ms_pause(kWakeUpTickMs);
            if (!g_interrupted)
                retrieval.StartDownLoad_Timer();
        } else {
            retrieval.statusDialogUnloaded();
        }
    }
}

} // namespace

int runRetrieve(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("retrieve", kHelp, args, {"--port", "--device", "--dir", "--phone"}, out, err,
                                  parsed, {"--events", "--all"}, 0))
        return *done;
    if (parsed.flag("--events") && parsed.flag("--all"))
        return fail(err, "retrieve: --events and --all exclude each other");
    if (parsed.options.count("--port") && parsed.options.count("--device"))
        return fail(err, "retrieve: --port and --device exclude each other");

    int port = 0;
    // The library opens COM n at the device its environment names: --device
    // names its path there for this command only.
    retrieval::ScopedProcessState process;
    if (parsed.options.count("--device")) {
        const std::string device = parsed.option("--device", "");
        if (device.empty())
            return fail(err, "retrieve: --device needs a path");
        port = kDevicePort;
        process.setEnvironment(comVariable(port), device);
    } else if (parsed.options.count("--port")) {
        if (!parsePort(parsed.option("--port", ""), port))
            return fail(err, "retrieve: --port needs a port number from 1 to 255");
    } else {
        port = leadingInteger(readIniText(IniFilePath(), "PORT", "COMM"));
        if (port < 1)
            return fail(err, IniFilePath().string() + ": no port chosen; give --port N or --device PATH");
    }

    std::error_code error;
    const std::filesystem::path dir = std::filesystem::absolute(parsed.option("--dir", "."), error);
    if (error || !std::filesystem::is_directory(dir, error))
        return fail(err, parsed.option("--dir", ".") + ": is not a folder");

    RetrieveAnswers answers;
    if (parsed.flag("--events") || parsed.flag("--all"))
        answers.eventsOnly = parsed.flag("--events");
    if (parsed.options.count("--phone"))
        answers.phone = parsed.option("--phone", "");
    answers.interactive = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    answers.progressOnTerminal = &err == &std::cerr && isatty(STDERR_FILENO);
    answers.verbose = parsed.verbose;
    const std::string portName = "COM " + std::to_string(port) + " (" + comDevicePath(port) + ")";
    RetrieveUi ui(err, std::cin, answers, portName);

    if (!korlink::ready())
        return 1; // the binder has said why
    retrieval::Settings settings;
    settings.port = static_cast<std::int16_t>(port);
    settings.dataDir = dir;
    retrieval::HeadlessWindow noWindow(ui.messages());
    retrieval::Retrieval retrieval(retrieval::RetrievalUi{ui, ui, ui, noWindow}, settings);
    {
        InterruptWatch watch;
        drive(retrieval);
    }
    for (const std::string &name : retrieval.intakeReport().eventFiles)
        out << name << '\n';
    for (const std::string &note : retrieval.intakeReport().notes)
        err << "trelmlink: warning: " << note << '\n';
    if (retrieval.outcome() == retrieval::Outcome::Complete)
        return 0;
    if (g_interrupted)
        return fail(err, portName + ": interrupted");
    if (!ui.told()) {
        const std::string reason = ui.lastStatus().empty() ? std::string(outcomeName(retrieval.outcome()))
                                                           : ui.lastStatus();
        return fail(err, portName + ": " + reason);
    }
    return 1;
}

} // namespace trelm::cli
