// trelm-sim: a TRELM sampler on a pseudo-terminal. Prints the terminal a
// program should open, then serves one role until interrupted.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "several.h"
#include "simulator.h"

namespace {

const char *const kUsage =
    "usage: trelm-sim ROLE[:SEED[:UNIT]]... [--image FILE | --seed N] [--unit N]\n"
    "                 [--baud N] [--path-file F] [--sender korlink|sx|sb]\n"
    "                 [--log FILE] [--once] [--modem-delay MS]\n"
    "\n"
    "Makes a null-modem cable of two pseudo-terminals, prints the path of the\n"
    "end a program should open (for example KORLINK_COM1=PATH), and serves ROLE\n"
    "on the other end until interrupted:\n"
    "  sampler  answers CR with one CR; ESC \"{TFH\" CR or ESC \"{TFA\" CR sends\n"
    "           the memory image with XMODEM-CRC\n"
    "  module   a data module: answers CR with a line holding \"*\", then\n"
    "           'p', '0', CR, CR, 'b' sends the image\n"
    "  modem    answers AT command lines with OK and ATDT<number> with\n"
    "           CONNECT 9600, then behaves as the sampler\n"
    "  silent   answers nothing\n"
    "  noise    answers with bytes that mean nothing\n"
    "\n"
    "Several roles serve several stations at once, each on a cable of its own\n"
    "and in a process of its own: the paths are printed one a line in the\n"
    "order of the roles. ROLE:SEED:UNIT gives a station its own image seed\n"
    "and unit ID (default: the --seed plus the station's place, 0 first).\n"
    "\n"
    "options:\n"
    "  --image FILE      the memory image to send, as it goes on the line\n"
    "  --seed N          generate the image from seed N (default 1; even seeds\n"
    "                    give a five-channel sampler, odd an eight-channel one)\n"
    "  --unit N          the generated image's unit ID (default: from the seed)\n"
    "  --baud N          pace the line like a cable at N baud (default: unpaced)\n"
    "  --path-file F     also write the terminal's path to F\n"
    "  --sender sx       send with lrzsz's sx (XMODEM) instead of the serial library\n"
    "  --sender sb       send with lrzsz's sb (YMODEM batch), announcing the\n"
    "                    name swap.bin\n"
    "  --log FILE        append every byte the program sends to FILE\n"
    "  --once            exit after the first transfer (status 0 when it succeeded)\n"
    "  --modem-delay MS  modem role: answer an AT line ended by CR LF (the\n"
    "                    program's modem check) only after MS milliseconds\n"
    "  --version         print the version and exit\n";

int usageError(const std::string &message) {
    std::cerr << "trelm-sim: " << message << " (see trelm-sim --help)\n";
    return 2;
}

bool parseNumber(const std::string &text, long low, long high, long &value) {
    char *end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int main(int argc, char **argv) {
    trelmsim::Options options;
    std::string pathFile;
    std::vector<trelmsim::StationSetup> stations;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        long number = 0;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--version") {
            std::cout << "trelm-sim " << TRELM_SIM_VERSION << "\n";
            return 0;
        } else if (arg == "--image") {
            if (!value(text)) return usageError("--image needs a file");
            options.image = text;
        } else if (arg == "--seed") {
            if (!value(text) || !parseNumber(text, 0, 1L << 30, number)) return usageError("--seed needs a number");
            options.seed = static_cast<unsigned>(number);
        } else if (arg == "--unit") {
            if (!value(text) || !parseNumber(text, 1, 9999, number)) return usageError("--unit needs a number from 1 to 9999");
            options.unit = static_cast<int>(number);
        } else if (arg == "--baud") {
            if (!value(text) || !parseNumber(text, 0, 1000000, number)) return usageError("--baud needs a rate in baud");
            options.baud = static_cast<int>(number);
        } else if (arg == "--path-file") {
            if (!value(pathFile)) return usageError("--path-file needs a file");
        } else if (arg == "--sender") {
            if (!value(text) || (text != "sx" && text != "sb" && text != "korlink"))
                return usageError("--sender is korlink, sx or sb");
            options.sender = text == "sx"   ? trelmsim::Sender::Sx
                             : text == "sb" ? trelmsim::Sender::Sb
                                            : trelmsim::Sender::Library;
        } else if (arg == "--log") {
            if (!value(text)) return usageError("--log needs a file");
            options.log = text;
        } else if (arg == "--modem-delay") {
            if (!value(text) || !parseNumber(text, 0, 60000, number))
                return usageError("--modem-delay needs milliseconds up to 60000");
            options.modemDelayMs = static_cast<int>(number);
        } else if (arg == "--once") {
            options.once = true;
        } else if (trelmsim::StationSetup setup; trelmsim::parseStationSetup(arg, setup)) {
            stations.push_back(setup);
        } else {
            return usageError("unknown argument '" + arg + "'");
        }
    }
    if (stations.empty())
        return usageError("a role is needed: sampler, module, modem, silent or noise");

    // Interrupts are taken by sigtimedwait below, never by a handler, so a
    // wait inside the library is not cut short.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    if (stations.size() > 1)
        return trelmsim::serveSeveral(stations, options, pathFile, signals);
    trelmsim::applyStationSetup(stations[0], 0, options);
    return trelmsim::serveOne(options, pathFile, signals);
}

namespace trelmsim {

int serveOne(const Options &options, const std::string &pathFile, const sigset_t &signals) {
    try {
        trelmsim::Simulator simulator(options);
        std::cout << simulator.programPath() << std::endl;
        if (!pathFile.empty()) {
            const std::string partial = pathFile + ".part";
            std::ofstream(partial) << simulator.programPath() << '\n';
            std::rename(partial.c_str(), pathFile.c_str());
        }
        simulator.start();
        const timespec tick{0, 100 * 1000 * 1000};
        while (!simulator.finished() && sigtimedwait(&signals, nullptr, &tick) < 0) {
        }
        simulator.stop();
        const trelmsim::Outcome outcome = simulator.outcome();
        if (options.once)
            return outcome.transfers > 0 && outcome.lastResult == 0 ? 0 : 1;
        return 0;
    } catch (const std::exception &error) {
        std::cerr << "trelm-sim: " << error.what() << '\n';
        return 1;
    }
}

}  // namespace trelmsim
