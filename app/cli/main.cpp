#include <clocale>
#include <iostream>
#include <optional>

#include "cli/commands.h"
#include "cli/plot_output.h"
#include "cli/report_output.h"
#include "shell/demo_simulator.h"
#include "shell/plot_render.h"
#include "shell/report_pdf.h"
#include "shell/window_app.h"

int main(int argc, char **argv) {
    // Dates follow the user's short-date order; numbers keep their "." as
    // only LC_TIME is taken from the environment.
    std::setlocale(LC_TIME, "");
    trelm::cli::setPdfWriter(trelm::shell::writeReportsPdf);
    trelm::cli::setPlotRenderer(trelm::shell::renderPlotBytes);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool demo = !args.empty() && args[0] == "--demo";
    // No arguments opens the window; one argument that is neither an option
    // nor a command is an event file to open in it (as a file manager
    // passes it).
    const bool window = demo || args.empty() || (args.size() == 1 && !args[0].starts_with('-') &&
                                         !trelm::cli::isCommandName(args[0]));
    if (!window)
        return trelm::cli::runCli(args, std::cout, std::cerr);
    if (!trelm::shell::displayAvailable()) {
        std::cerr << "trelmlink: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                     "the commands work without one (see trelmlink --help)\n";
        return 1;
    }
    if (demo) // --demo [ROLE [simulator options]]
        return trelm::shell::runDemo(argc, argv, std::vector<std::string>(args.begin() + 1, args.end()));
    const std::optional<std::string> file = args.empty() ? std::nullopt : std::optional(args[0]);
    return trelm::shell::runWindow(argc, argv, file);
}
