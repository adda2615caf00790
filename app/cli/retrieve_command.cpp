#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

#include "cli/archive_cli.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/interrupt_watch.h"
#include "cli/retrieve_ui.h"
#include "korlink_binder/com_device.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/retrieval.h"
#include "retrieval/scoped_process_state.h"
#include "settings/ini_file.h"
#include "settings/setting_value.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink retrieve [--port N | --device PATH] [--events | --all]\n"
    "                          [--dir DIR] [--phone NUMBER] [--verbose]\n"
    "                          [--quiet] [--log FILE] [--archive [--db URL]]\n"
    "\n"
    "Retrieves a sampler's memory without a window: opens the port, probes\n"
    "what answers (the sampler, a data module, or a modem, which then dials\n"
    "the sampler's modem), wakes the data logger in steps 400 ms apart,\n"
    "receives the memory with XMODEM-CRC and splits it into event files and\n"
    "their CSV files in DIR. Progress goes to stderr, one line per status\n"
    "message; the event files written go to stdout, one a line; a closing\n"
    "summary line names the number of event files written, the current event\n"
    "and the folder. While something is awaited a line says so at least every\n"
    "10 s. The exit status is 0 only when the data is safely on disk. Ctrl-C\n"
    "or SIGTERM cancels within a second in every step (a running transfer\n"
    "sends the cancel sequence; a running intake first reaches its end).\n"
    "\n"
    "Only one retrieval or convert works in a data folder at a time: a second\n"
    "is refused before the port is opened, naming the process that holds the\n"
    "folder. Data kept from an earlier retrieval (temp0000.$$$) is moved to\n"
    "kept-<time>.$$$ before the receive; what a failed or cancelled transfer\n"
    "left is moved to partial-<bytes>-bytes-<time>.$$$. Both are named.\n"
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
    "--verbose      shows the intake's status messages too\n"
    "--quiet        errors only on stderr\n"
    "--log FILE     appends every status line and the outcome to FILE, each\n"
    "               with its date and time\n"
    "--archive      after the intake, imports the event files written into the\n"
    "               archive (see trelmlink archive --help) and prints its count\n"
    "               line; a failed import is reported and leaves the files as\n"
    "               they are: the exit status is then the import's (3 or 5)\n"
    "--db URL       the archive for --archive (default: TRELMLINK_DB, else the\n"
    "               SQLite file in the user's data folder)\n";

// The COM number a --device path is opened as: outside COM 1 to 10, so it
// stands for no port option of the window.
constexpr int kDevicePort = 99;
// The highest COM number --port takes.
constexpr int kHighestPort = 255;
// The window's timer StartDownLoad fires every 400 ms.
constexpr std::int32_t kWakeUpTickMs = 400;

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
        InterruptWatch::cancelIfInterrupted();
        if (!retrieval.running())
            break;
        if (!InterruptWatch::interrupted() && retrieval.timerEnabled()) {
            korlink::ms_pause(kWakeUpTickMs);
            if (!InterruptWatch::interrupted())
                retrieval.StartDownLoad_Timer();
        } else {
            retrieval.statusDialogUnloaded();
        }
    }
}

// The exit status a retrieval's end gives.
int exitStatusOf(retrieval::Outcome outcome) {
    switch (outcome) {
    case retrieval::Outcome::Complete: return kExitSuccess;
    case retrieval::Outcome::IntakeFailed: return kExitNotTakenIn;
    case retrieval::Outcome::OpenFailed:
    case retrieval::Outcome::DiskFailed:
    case retrieval::Outcome::FolderRefused: return kExitSetUp;
    case retrieval::Outcome::Running:
    case retrieval::Outcome::TransferFailed:
    case retrieval::Outcome::ModemFailed:
    case retrieval::Outcome::HungUp:
    case retrieval::Outcome::Abandoned:
    case retrieval::Outcome::Cancelled: return kExitLine;
    }
    return kExitLine;
}

// The closing line: what was written, the current event, the folder.
std::string summaryOf(const retrieval::Retrieval &retrieval, const std::filesystem::path &dir) {
    const IntakeReport &intake = retrieval.intakeReport();
    std::string text = "Summary: " + std::to_string(intake.eventFiles.size()) + " event file" +
                       (intake.eventFiles.size() == 1 ? "" : "s") + " written";
    if (!intake.currentBinFile.empty())
        text += ", current event " + intake.currentBinFile;
    text += ", folder " + dir.string();
    if (retrieval.outcome() != retrieval::Outcome::Complete)
        text += " (" + std::string(outcomeName(retrieval.outcome())) + ")";
    return text;
}

} // namespace

int runRetrieve(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("retrieve", kHelp, args, {"--port", "--device", "--dir", "--phone", "--log", "--db"},
                                  out, err, parsed, {"--events", "--all", "--quiet", "--archive"}, 0))
        return *done;
    if (parsed.flag("--events") && parsed.flag("--all"))
        return usageError(err, "retrieve: --events and --all exclude each other");
    if (parsed.options.count("--port") && parsed.options.count("--device"))
        return usageError(err, "retrieve: --port and --device exclude each other");
    if (parsed.flag("--quiet") && parsed.verbose)
        return usageError(err, "retrieve: --quiet and --verbose exclude each other");
    if (parsed.options.count("--db") && !parsed.flag("--archive"))
        return usageError(err, "retrieve: --db goes with --archive");

    int port = 0;
    // The library opens COM n at the device its environment names: --device
    // names its path there for this command only.
    retrieval::ScopedProcessState process;
    if (parsed.options.count("--device")) {
        const std::string device = parsed.option("--device", "");
        if (device.empty())
            return usageError(err, "retrieve: --device needs a path");
        port = kDevicePort;
        process.setEnvironment(comVariable(port), device);
    } else if (parsed.options.count("--port")) {
        if (!parsePort(parsed.option("--port", ""), port))
            return usageError(err, "retrieve: --port needs a port number from 1 to 255");
    } else {
        port = leadingInteger(readIniText(IniFilePath(), "PORT", "COMM"));
        if (port < 1)
            return fail(err, IniFilePath().string() + ": no port chosen; give --port N or --device PATH", kExitSetUp);
    }

    std::error_code error;
    const std::filesystem::path dir = std::filesystem::absolute(parsed.option("--dir", "."), error);
    if (error || !std::filesystem::is_directory(dir, error))
        return fail(err, parsed.option("--dir", ".") + ": is not a folder", kExitSetUp);

    RetrieveAnswers answers;
    if (parsed.flag("--events") || parsed.flag("--all"))
        answers.eventsOnly = parsed.flag("--events");
    if (parsed.options.count("--phone"))
        answers.phone = parsed.option("--phone", "");
    answers.interactive = isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
    answers.progressOnTerminal = &err == &std::cerr && isatty(STDERR_FILENO);
    answers.verbose = parsed.verbose;
    answers.quiet = parsed.flag("--quiet");
    if (answers.phone && !isSettingValue(*answers.phone))
        return usageError(err, "retrieve: --phone: " + std::string(kSettingValueRule));
    const std::string portName = "COM " + std::to_string(port) + " (" + comDevicePath(port) + ")";
    RetrieveUi ui(err, std::cin, answers, portName);
    if (parsed.options.count("--log") && !ui.openLog(parsed.option("--log", "")))
        return fail(err, parsed.option("--log", "") + ": the log file cannot be opened for appending", kExitSetUp);

    if (!korlink::ready())
        return kExitSetUp; // the binder has said why
    retrieval::Settings settings;
    settings.port = static_cast<std::int16_t>(port);
    settings.dataDir = dir;
    retrieval::HeadlessWindow noWindow(ui.messages());
    retrieval::Retrieval retrieval(retrieval::RetrievalUi{ui, ui, ui, noWindow}, settings);
    bool interrupted = false;
    {
        InterruptWatch watch(retrieval, ui);
        drive(retrieval);
        interrupted = InterruptWatch::interrupted();
    }
    for (const std::string &name : retrieval.intakeReport().eventFiles)
        out << name << '\n';
    for (const std::string &note : retrieval.intakeReport().notes)
        err << "trelmlink: warning: " << note << '\n';
    const int status = exitStatusOf(retrieval.outcome());
    if (status != kExitSuccess && interrupted)
        ui.messageBox("interrupted");
    else if (status != kExitSuccess && !ui.told())
        ui.messageBox(ui.lastStatus().empty() ? std::string(outcomeName(retrieval.outcome())) : ui.lastStatus());
    ui.note(summaryOf(retrieval, dir));
    ui.logOnly("outcome: " + std::string(outcomeName(retrieval.outcome())) + ", exit status " +
               std::to_string(status));
    if (!parsed.flag("--archive") || retrieval.intakeReport().eventFiles.empty())
        return status;
    // The files are on disk whatever the archive does: a failed import is
    // told and changes only the exit status of a retrieval that succeeded.
    std::vector<std::filesystem::path> written;
    for (const std::string &name : retrieval.intakeReport().eventFiles)
        written.push_back(dir / name);
    const int imported = importIntoArchive(written, parsed.option("--db", ""), err, err);
    return status == kExitSuccess ? imported : status;
}

} // namespace trelm::cli
