// Reports written into one PDF file through the Qt line printer, for the
// command line. The file appears only when the whole job succeeded: it is
// composed in a temporary file beside the target and renamed into place.
#pragma once

#include <filesystem>
#include <functional>

#include "reports/line_printer.h"

namespace trelm::shell {

// Runs `compose` on a PDF line printer and writes the result to `output`.
// Makes an offscreen Qt application for the call when none exists.
Status writeReportsPdf(const std::filesystem::path &output, const std::function<Status(LinePrinter &)> &compose);

} // namespace trelm::shell
