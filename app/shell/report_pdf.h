// Reports written into one PDF file through the Qt line printer, for the
// command line. The file appears only when the whole job succeeded: it is
// composed in a temporary file beside the target and renamed into place.
#pragma once

#include <filesystem>
#include <functional>

#include "reports/line_printer.h"

class QPrinter;

namespace trelm::shell {

using ReportComposer = std::function<Status(LinePrinter &)>;

// Runs `compose` on a PDF line printer and writes the result to `output`.
// Makes an offscreen Qt application for the call when none exists.
Status writeReportsPdf(const std::filesystem::path &output, const ReportComposer &compose);

// The same on a printer set up by the caller (page size, margins, the
// orientation it starts from, as a print dialog left them); its output
// file is the one written. A Qt application must exist.
Status writeReportsPdfOn(QPrinter &printer, const ReportComposer &compose);

} // namespace trelm::shell
