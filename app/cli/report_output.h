// How the report command reaches a PDF printer. The command line library is
// free of Qt; the program installs the PDF writer of its Qt layer at start.
#pragma once

#include <filesystem>
#include <functional>

#include "reports/line_printer.h"

namespace trelm::cli {

using ReportComposer = std::function<Status(LinePrinter &)>;
using PdfWriter = std::function<Status(const std::filesystem::path &, const ReportComposer &)>;

// Without an installed writer, "report --pdf" fails with a clear message.
void setPdfWriter(PdfWriter writer);

} // namespace trelm::cli
