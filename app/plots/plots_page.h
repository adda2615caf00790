// The plots page of a print run: after the chosen reports, one landscape
// page with the event's plots, a document of its own named like the
// reports' ("Trelmlink Plots - NAME.bin").
#pragma once

#include <filesystem>

#include "plots/plot_data.h"
#include "reports/line_printer.h"

namespace plots {

trelm::Status printPlotsPage(trelm::LinePrinter &printer, const PlotData &data, const std::filesystem::path &file);

} // namespace plots
