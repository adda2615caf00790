#include <clocale>
#include <iostream>

#include "cli/commands.h"
#include "cli/report_output.h"
#include "shell/report_pdf.h"

int main(int argc, char **argv) {
    // Dates follow the user's short-date order; numbers keep their "." as
    // only LC_TIME is taken from the environment.
    std::setlocale(LC_TIME, "");
    trelm::cli::setPdfWriter(trelm::shell::writeReportsPdf);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return trelm::cli::runCli(args, std::cout, std::cerr);
}
